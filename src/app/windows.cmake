target_sources(lumarel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/form1.cpp ${CMAKE_CURRENT_LIST_DIR}/form1.h
  ${CMAKE_CURRENT_LIST_DIR}/form1_animation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/form1_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/form2.cpp ${CMAKE_CURRENT_LIST_DIR}/form2.h
  ${CMAKE_CURRENT_LIST_DIR}/program.cpp ${CMAKE_CURRENT_LIST_DIR}/program.h
  ${CMAKE_CURRENT_LIST_DIR}/main_window_link.h)
