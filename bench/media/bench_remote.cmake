# Remote control in the real window: an OSC GO on the loopback address to
# sound, beside a click to sound, and the CPU of a listening program (a
# timing program; needs the test X server and sound server).
add_executable(bench_remote bench_remote.cpp)
target_link_libraries(bench_remote PRIVATE scenova_show_trials Qt6::Widgets Qt6::Test Qt6::Network scenova_osc
                                           PkgConfig::XTST)
target_include_directories(bench_remote PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
scenova_defaults(bench_remote)
