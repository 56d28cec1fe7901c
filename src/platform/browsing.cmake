target_sources(lumarel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/file_listing.cpp)
target_sources(lumarel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/drive_list.cpp ${CMAKE_CURRENT_LIST_DIR}/drive_list.h
  ${CMAKE_CURRENT_LIST_DIR}/folder_list.cpp ${CMAKE_CURRENT_LIST_DIR}/folder_list.h
  ${CMAKE_CURRENT_LIST_DIR}/file_list.cpp ${CMAKE_CURRENT_LIST_DIR}/file_list.h)
