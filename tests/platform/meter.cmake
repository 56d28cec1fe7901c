lumarel_add_qttest(test_level_meter ${CMAKE_CURRENT_LIST_DIR}/test_level_meter.cpp)
