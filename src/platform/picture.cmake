# giflib decodes GIFs so they keep their own palette indices.
find_path(GIF_INCLUDE_DIR gif_lib.h REQUIRED)
find_library(GIF_LIBRARY gif REQUIRED)
# libimagequant reduces true-colour pictures to 256 colours.
find_path(IMAGEQUANT_INCLUDE_DIR libimagequant.h REQUIRED)
find_library(IMAGEQUANT_LIBRARY imagequant REQUIRED)

target_sources(lumarel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/indexed_picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_header.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quantizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/palette_display.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_wait.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_wait.h)
target_include_directories(lumarel_core PRIVATE ${GIF_INCLUDE_DIR} ${IMAGEQUANT_INCLUDE_DIR})
target_link_libraries(lumarel_core PRIVATE ${GIF_LIBRARY} ${IMAGEQUANT_LIBRARY})
# The frame writer is the hot loop of palette cycling.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/palette_display.cpp TARGET_DIRECTORY lumarel_core PROPERTIES COMPILE_OPTIONS "$<$<NOT:$<CONFIG:Debug>>:-O3>")
target_sources(lumarel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/picture_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_box.h)
