lumarel_add_fuzzer(fuzz_midifile ${CMAKE_CURRENT_LIST_DIR}/fuzz_midifile.cpp)
