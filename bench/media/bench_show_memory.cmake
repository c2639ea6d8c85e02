# Memory over a long show: 1,000 cues through the media engine, the resident
# memory every 100 (a plain program; needs the test X server and sound server).
add_executable(bench_show_memory bench_show_memory.cpp)
target_link_libraries(bench_show_memory PRIVATE Qt6::Widgets Qt6::Test scenova_media)
target_include_directories(bench_show_memory PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
scenova_defaults(bench_show_memory)
