lumarel_add_bench(quantize_error ${CMAKE_CURRENT_LIST_DIR}/quantize_error.cpp)
