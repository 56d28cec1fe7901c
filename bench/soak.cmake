lumarel_add_bench(soak ${CMAKE_CURRENT_LIST_DIR}/soak.cpp)
