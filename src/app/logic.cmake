target_sources(lumarel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/paths.cpp)
