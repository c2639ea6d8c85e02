# The volume slider, its fade buttons and the mixer they drive. The
# window's controls come in through VolumeView, so the logic does not know
# the main window.
add_library(scenova_volume STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/volume_operations.h
  ${CMAKE_CURRENT_SOURCE_DIR}/volume_view.h
  ${CMAKE_CURRENT_SOURCE_DIR}/volume_control.h ${CMAKE_CURRENT_SOURCE_DIR}/volume_control.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/steady_ticker.h ${CMAKE_CURRENT_SOURCE_DIR}/steady_ticker.cpp)
scenova_headers(scenova_volume audio)
target_link_libraries(scenova_volume PUBLIC Qt6::Widgets scenova_platform)
scenova_defaults(scenova_volume)
