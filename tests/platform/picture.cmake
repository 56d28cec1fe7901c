lumarel_add_gtest(test_picture_loader ${CMAKE_CURRENT_LIST_DIR}/test_picture_loader.cpp)
# The test writes GIFs with giflib's encoder.
find_path(GIF_INCLUDE_DIR gif_lib.h REQUIRED)
find_library(GIF_LIBRARY gif REQUIRED)
target_include_directories(test_picture_loader PRIVATE ${GIF_INCLUDE_DIR})
target_link_libraries(test_picture_loader PRIVATE ${GIF_LIBRARY})

lumarel_add_gtest(test_palette_display ${CMAKE_CURRENT_LIST_DIR}/test_palette_display.cpp)
lumarel_add_qttest(test_message_wait ${CMAKE_CURRENT_LIST_DIR}/test_message_wait.cpp)

# Our BMP decoder on files the tests write byte by byte (bmp_builder.h).
lumarel_add_gtest(test_bmp_decoder ${CMAKE_CURRENT_LIST_DIR}/test_bmp_decoder.cpp
                  ${CMAKE_CURRENT_LIST_DIR}/test_bmp_damage.cpp ${CMAKE_CURRENT_LIST_DIR}/bmp_builder.h)
