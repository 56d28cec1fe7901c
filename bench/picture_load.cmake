lumarel_add_bench(picture_load ${CMAKE_CURRENT_LIST_DIR}/picture_load.cpp)
