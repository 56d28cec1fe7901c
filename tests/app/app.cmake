lumarel_add_gtest(test_app_layout ${CMAKE_CURRENT_LIST_DIR}/test_layout.cpp)
lumarel_add_qttest(test_form1 ${CMAKE_CURRENT_LIST_DIR}/test_form1.cpp)
lumarel_add_gtest(test_file_sweep ${CMAKE_CURRENT_LIST_DIR}/test_file_sweep.cpp)
lumarel_add_qttest(test_program ${CMAKE_CURRENT_LIST_DIR}/test_program.cpp)
