#!/usr/bin/env bash
# Builds the remote-control fuzzer (clang, libFuzzer + ASan + UBSan) in the
# fuzz build folder and runs it for a bounded time on seeds made at run time.
# Exit status is non-zero when the fuzzer finds a fault; the input that
# caused it is kept in the build folder's fuzz/osc/.
#
#   fuzz/osc/run-fuzz.sh [seconds]        (default 30)
#
# SCENOVA_FUZZ_BUILD_DIR overrides the build folder (default build-fuzz).
set -euo pipefail
. "$(dirname "$0")/../fuzz-common.sh"
seconds=${1:-30}
fuzz_build osc_fuzzer
# Messages of every address the program answers, one with arguments, a
# bundle of two, a nested bundle, and an MSC GO.
printf '/scenova/go\0,\0\0\0' > "$seeds/go.osc"
printf '/scenova/cue\0\0\0\0,s\0\0Play Audio\0\0' > "$seeds/cue.osc"
printf '/scenova/subscribe\0\0,\0\0\0' > "$seeds/subscribe.osc"
printf '/scenova/go\0,if\0\0\0\0\1\77\200\0\0' > "$seeds/args.osc"
printf '#bundle\0\0\0\0\0\0\0\0\1\0\0\0\20/scenova/go\0,\0\0\0\0\0\0\24/scenova/ping\0\0\0\0,\0\0\0' \
  > "$seeds/bundle.osc"
printf '#bundle\0\0\0\0\0\0\0\0\1\0\0\0\44#bundle\0\0\0\0\0\0\0\0\1\0\0\0\20/scenova/go\0,\0\0\0' \
  > "$seeds/nested.osc"
printf '\360\177\177\2\1\1\367' > "$seeds/msc-go.mid"
fuzz_run osc osc_fuzzer "$seconds" -max_len=8192
