# The about window, the system-information lookup and the web links.
target_sources(lumarel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/about_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/get_key_value.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sys_info_locator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/web_link.cpp)
# The version line shows the project's version: one number to change, in the top-level project().
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/about_text.cpp TARGET_DIRECTORY lumarel_core
  PROPERTIES COMPILE_DEFINITIONS
  "LUMAREL_VERSION_MAJOR=${PROJECT_VERSION_MAJOR};LUMAREL_VERSION_MINOR=${PROJECT_VERSION_MINOR};LUMAREL_VERSION_PATCH=${PROJECT_VERSION_PATCH}")
target_sources(lumarel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/frm_about.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frm_about.h
  ${CMAKE_CURRENT_LIST_DIR}/link_label.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_label.h)
