# A layer's stop heard at the sink: how soon it is silent, and whether the
# way down clicks (a timing program; needs the test sound server).
add_executable(bench_layer_stop bench_layer_stop.cpp)
target_link_libraries(bench_layer_stop PRIVATE scenova_media Qt6::Test)
target_include_directories(bench_layer_stop PRIVATE ${CMAKE_SOURCE_DIR}/src
  ${CMAKE_SOURCE_DIR}/tests)
scenova_defaults(bench_layer_stop)
