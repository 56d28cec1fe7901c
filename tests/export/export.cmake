# The export writers; the tests read back what they wrote with FFmpeg and giflib.
function(lumarel_add_export_test name)
  lumarel_add_gtest(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE lumarel_export PkgConfig::LUMAREL_FFMPEG ${GIF_LIBRARY})
  target_include_directories(${name} PRIVATE ${GIF_INCLUDE_DIR})
endfunction()

lumarel_add_export_test(test_gif_frame_plan ${CMAKE_CURRENT_LIST_DIR}/test_gif_frame_plan.cpp)
lumarel_add_export_test(test_gif_writer ${CMAKE_CURRENT_LIST_DIR}/test_gif_writer.cpp)
lumarel_add_export_test(test_video_encoder ${CMAKE_CURRENT_LIST_DIR}/test_video_encoder.cpp)
lumarel_add_export_test(test_audio_render ${CMAKE_CURRENT_LIST_DIR}/test_audio_render.cpp)
lumarel_add_export_test(test_export_failures ${CMAKE_CURRENT_LIST_DIR}/test_export_failures.cpp)
