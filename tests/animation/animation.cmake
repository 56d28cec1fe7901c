lumarel_add_gtest(test_animate ${CMAKE_CURRENT_LIST_DIR}/test_animate.cpp)
lumarel_add_qttest(test_picture_surface ${CMAKE_CURRENT_LIST_DIR}/test_picture_surface.cpp)
