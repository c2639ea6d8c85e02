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
. "$(dirname "$0")/../fuzz-common.sh"
seconds=${1:-30}
fuzz_build cue_search_fuzzer
printf 'Act one [[tone.wav]] then [[Play Audio]]\r\n[[Vol 75]] [[ [[x]] ]]' > "$seeds/cues.txt"
printf '[[[[]]]]\r\n[[a\r\nb]] ]] [[' > "$seeds/nested.txt"
fuzz_run cues cue_search_fuzzer "$seconds" -max_len=16384
