target_sources(lumarel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/level_meter.cpp ${CMAKE_CURRENT_LIST_DIR}/level_meter.h
  ${CMAKE_CURRENT_LIST_DIR}/wrap_button.cpp ${CMAKE_CURRENT_LIST_DIR}/wrap_button.h)
