target_sources(lumarel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/track_rows.cpp)
