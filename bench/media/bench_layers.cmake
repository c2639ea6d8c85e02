# Sound layers in the real window: click to sound, CPU and memory with eight
# layers (a timing program; needs the test X server and sound server).
add_executable(bench_layers bench_layers.cpp)
pkg_check_modules(XTST REQUIRED IMPORTED_TARGET xtst x11)
target_link_libraries(bench_layers PRIVATE scenova_show_trials Qt6::Widgets Qt6::Test PkgConfig::MPV PkgConfig::XTST)
target_include_directories(bench_layers PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
scenova_defaults(bench_layers)
