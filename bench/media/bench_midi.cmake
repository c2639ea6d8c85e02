# MIDI songs of one and three hours in the media player: memory, play to
# sound, seeks (a timing program; needs the test sound server).
add_executable(bench_midi bench_midi.cpp)
target_link_libraries(bench_midi PRIVATE scenova_media Qt6::Widgets)
target_include_directories(bench_midi PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
scenova_defaults(bench_midi)
