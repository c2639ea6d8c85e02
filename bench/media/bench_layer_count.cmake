# Sixteen layers: a sixteenth started while fifteen play, heard at the sink
# (a timing program; needs the test sound server).
add_executable(bench_layer_count bench_layer_count.cpp)
target_link_libraries(bench_layer_count PRIVATE scenova_media Qt6::Test)
target_include_directories(bench_layer_count PRIVATE ${CMAKE_SOURCE_DIR}/src
  ${CMAKE_SOURCE_DIR}/tests)
scenova_defaults(bench_layer_count)
