target_sources(lumarel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/note_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/note_colors.cpp)
