lumarel_add_fuzzer(fuzz_map_reader ${CMAKE_CURRENT_LIST_DIR}/fuzz_map_reader.cpp)
