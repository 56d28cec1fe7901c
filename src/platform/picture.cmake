target_sources(lumarel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/indexed_picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_loader.cpp)
target_sources(lumarel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/picture_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_box.h)
