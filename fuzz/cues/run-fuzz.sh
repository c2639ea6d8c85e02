#!/usr/bin/env bash
# Builds the cue search's fuzzer (clang, libFuzzer + ASan + UBSan) in the
# fuzz build folder and runs it for a bounded time on seeds made at run time.
# Exit status is non-zero when the fuzzer finds a fault; the input that
# caused it is kept in the build folder's fuzz/cues/.
#
#   fuzz/cues/run-fuzz.sh [seconds]        (default 30)
#
# SCENOVA_FUZZ_BUILD_DIR overrides the build folder (default build-fuzz).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${SCENOVA_FUZZ_BUILD_DIR:-$top/build-fuzz}
seconds=${1:-30}

CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DSCENOVA_FUZZ=ON \
  -DSCENOVA_TESTS=OFF -DSCENOVA_BENCH=OFF >/dev/null
cmake --build "$build" --target cue_search_fuzzer -j2

seeds=$(mktemp -d /tmp/scenova-cue-seeds.XXXXXX)
trap 'rm -rf "$seeds"' EXIT
printf 'Act one [[tone.wav]] then [[Play Audio]]\r\n[[Vol 75]] [[ [[x]] ]]' > "$seeds/cues.txt"
printf '[[[[]]]]\r\n[[a\r\nb]] ]] [[' > "$seeds/nested.txt"

out="$build/fuzz/cues"
export QT_QPA_PLATFORM=offscreen
"$out/cue_search_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=16384 -artifact_prefix="$out/" -print_final_stats=1 "$seeds"
