# The sound layers (files side by side, each at its own level) and their
# rows under the audio panel.
add_library(scenova_layers STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/layer_operations.h
  ${CMAKE_CURRENT_SOURCE_DIR}/sound_layers.h ${CMAKE_CURRENT_SOURCE_DIR}/sound_layers.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/layer_rows.h ${CMAKE_CURRENT_SOURCE_DIR}/layer_rows.cpp)
scenova_headers(scenova_layers audio)
target_link_libraries(scenova_layers PUBLIC scenova_controls scenova_numbers scenova_media
  Qt6::Widgets)
scenova_defaults(scenova_layers)
