# The audio cue in the real window: click to sound and CPU while playing
# (a timing program; needs the test X server and sound server).
add_executable(bench_show_audio bench_show_audio.cpp)
pkg_check_modules(XTST REQUIRED IMPORTED_TARGET xtst x11)
target_link_libraries(bench_show_audio PRIVATE scenova_show_trials Qt6::Widgets Qt6::Test scenova_media PkgConfig::MPV
                                               PkgConfig::XTST)
target_include_directories(bench_show_audio PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
scenova_defaults(bench_show_audio)
