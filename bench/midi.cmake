lumarel_add_bench(midi_timing ${CMAKE_CURRENT_LIST_DIR}/midi_timing.cpp)
lumarel_add_bench(midi_load ${CMAKE_CURRENT_LIST_DIR}/midi_load.cpp)
lumarel_add_bench(queue_song ${CMAKE_CURRENT_LIST_DIR}/queue_song.cpp)
