lumarel_add_gtest(test_file_listing ${CMAKE_CURRENT_LIST_DIR}/test_file_listing.cpp)
lumarel_add_gtest(test_regular_file ${CMAKE_CURRENT_LIST_DIR}/test_regular_file.cpp)
lumarel_add_qttest(test_folder_watcher ${CMAKE_CURRENT_LIST_DIR}/test_folder_watcher.cpp)
