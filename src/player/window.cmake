target_sources(lumarel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/form3.cpp ${CMAKE_CURRENT_LIST_DIR}/form3.h
  ${CMAKE_CURRENT_LIST_DIR}/form3_playback.cpp
  ${CMAKE_CURRENT_LIST_DIR}/form3_rows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/form3_notes.cpp)
