lumarel_add_gtest(test_maps
  ${CMAKE_CURRENT_LIST_DIR}/test_map_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_palette_strip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_map_generator.cpp)
