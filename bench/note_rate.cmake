lumarel_add_bench(note_rate ${CMAKE_CURRENT_LIST_DIR}/note_rate.cpp)
