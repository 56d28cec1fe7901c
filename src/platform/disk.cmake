# The disk as users have it: names that are not valid UTF-8, shown safely; files opened only when
# they are regular files; folders and the mount table watched so the lists stay fresh.
target_sources(lumarel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/path_codec.cpp ${CMAKE_CURRENT_LIST_DIR}/path_codec.h
  ${CMAKE_CURRENT_LIST_DIR}/visible_name.cpp ${CMAKE_CURRENT_LIST_DIR}/visible_name.h
  ${CMAKE_CURRENT_LIST_DIR}/regular_file.cpp ${CMAKE_CURRENT_LIST_DIR}/regular_file.h)
target_sources(lumarel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/folder_watcher.cpp ${CMAKE_CURRENT_LIST_DIR}/folder_watcher.h
  ${CMAKE_CURRENT_LIST_DIR}/mount_watcher.cpp ${CMAKE_CURRENT_LIST_DIR}/mount_watcher.h)
