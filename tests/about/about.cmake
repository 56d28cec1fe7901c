lumarel_add_gtest(test_about_logic
  ${CMAKE_CURRENT_LIST_DIR}/test_get_key_value.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_sys_info_locator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_web_link.cpp)
target_include_directories(test_about_logic PRIVATE ${CMAKE_CURRENT_LIST_DIR})

lumarel_add_qttest(test_frm_about ${CMAKE_CURRENT_LIST_DIR}/test_frm_about.cpp)
