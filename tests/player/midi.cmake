lumarel_add_gtest(test_midifile ${CMAKE_CURRENT_LIST_DIR}/test_midifile.cpp)
lumarel_add_gtest(test_midi_output ${CMAKE_CURRENT_LIST_DIR}/test_midi_output.cpp)
lumarel_add_gtest(test_song_queue ${CMAKE_CURRENT_LIST_DIR}/test_song_queue.cpp)
lumarel_add_gtest(test_synth_render ${CMAKE_CURRENT_LIST_DIR}/test_synth_render.cpp)
