target_sources(lumarel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/picture_surface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_surface.h)
