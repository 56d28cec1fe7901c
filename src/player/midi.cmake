# The MIDI reader, the output (queue, clock, devices) and the queueing of a song.
# GLOBAL: lumarel_core is defined one folder up, where the link is resolved.
pkg_check_modules(LUMAREL_FLUIDSYNTH REQUIRED IMPORTED_TARGET GLOBAL fluidsynth)
pkg_check_modules(LUMAREL_RTMIDI REQUIRED IMPORTED_TARGET GLOBAL rtmidi)
target_sources(lumarel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/midifile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/midi_events.cpp
  ${CMAKE_CURRENT_LIST_DIR}/midi_output.cpp
  ${CMAKE_CURRENT_LIST_DIR}/playback_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recording_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fluid_synth_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fluid_messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rtmidi_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/song_queue.cpp)
target_link_libraries(lumarel_core PRIVATE PkgConfig::LUMAREL_FLUIDSYNTH PkgConfig::LUMAREL_RTMIDI)
