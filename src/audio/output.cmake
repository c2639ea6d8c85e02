# Options, Audio output: the choice of the sound server's output for the
# audio transport, the players, the master volume and sound layers.
add_library(scenova_output STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/output_choice.h ${CMAKE_CURRENT_SOURCE_DIR}/output_choice.cpp)
scenova_headers(scenova_output audio)
target_link_libraries(scenova_output PUBLIC Qt6::Widgets scenova_platform scenova_media)
scenova_defaults(scenova_output)
