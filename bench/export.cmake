lumarel_add_bench(export_encode ${CMAKE_CURRENT_LIST_DIR}/export_encode.cpp)
target_link_libraries(export_encode PRIVATE lumarel_export)
lumarel_add_bench(export_audio ${CMAKE_CURRENT_LIST_DIR}/export_audio.cpp)
target_link_libraries(export_audio PRIVATE lumarel_export)
