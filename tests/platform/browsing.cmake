lumarel_add_gtest(test_file_listing ${CMAKE_CURRENT_LIST_DIR}/test_file_listing.cpp)
lumarel_add_gtest(test_regular_file ${CMAKE_CURRENT_LIST_DIR}/test_regular_file.cpp)
