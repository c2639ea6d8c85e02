# The audio command device and the mixer (see the comment in the source).
scenova_add_bench(bench_audio SOURCES bench_audio.cpp LIBS scenova_media)
target_include_directories(bench_audio PRIVATE ${CMAKE_SOURCE_DIR}/tests/platform/media)
