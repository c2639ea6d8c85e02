# Benchmarks of the media player control (see the comment in the source).
scenova_add_bench(bench_player SOURCES bench_player.cpp LIBS scenova_media Qt6::Widgets)
