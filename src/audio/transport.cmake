# The audio transport (play, stop, skips, counter) and the hover look of its
# buttons. They work on the window's controls, never on the window itself.
add_library(scenova_transport STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/audio_transport.h ${CMAKE_CURRENT_SOURCE_DIR}/audio_transport.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/transport_buttons.h ${CMAKE_CURRENT_SOURCE_DIR}/transport_buttons.cpp)
scenova_headers(scenova_transport audio)
target_link_libraries(scenova_transport PUBLIC scenova_controls scenova_numbers scenova_media
  Qt6::Widgets)
scenova_defaults(scenova_transport)
