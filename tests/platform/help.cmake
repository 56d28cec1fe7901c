lumarel_add_qttest(test_help_viewer ${CMAKE_CURRENT_LIST_DIR}/test_help_viewer.cpp)
