# The help window that shows Lmr.HLP.
target_sources(lumarel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/help_viewer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/help_viewer.h)
