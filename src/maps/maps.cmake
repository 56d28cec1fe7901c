target_sources(lumarel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/map_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/map_generator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/palette_strip.cpp)
