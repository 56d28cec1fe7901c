lumarel_add_gtest(test_note_names ${CMAKE_CURRENT_LIST_DIR}/test_note_names.cpp)
