target_sources(lumarel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/animate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/animate.h
  ${CMAKE_CURRENT_LIST_DIR}/palette_surface.h)
