lumarel_add_bench(palette_step ${CMAKE_CURRENT_LIST_DIR}/palette_step.cpp)
