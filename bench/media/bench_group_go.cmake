# GO on a cue group in show mode to full-level sound at the null sink (a
# timing program; needs the test X server and sound server).
add_executable(bench_group_go bench_group_go.cpp)
pkg_check_modules(XTST REQUIRED IMPORTED_TARGET xtst x11)
target_link_libraries(bench_group_go PRIVATE scenova_show_trials Qt6::Widgets Qt6::Test PkgConfig::XTST)
target_include_directories(bench_group_go PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
scenova_defaults(bench_group_go)
