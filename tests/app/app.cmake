lumarel_add_gtest(test_app_layout ${CMAKE_CURRENT_LIST_DIR}/test_layout.cpp)
