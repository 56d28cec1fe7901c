lumarel_add_qttest(test_form3 ${CMAKE_CURRENT_LIST_DIR}/test_form3.cpp)
