#!/usr/bin/env bash
# Builds the RTF reader's fuzzer (clang, libFuzzer + ASan + UBSan) in its own
# build folder and runs it for a bounded time on a seed corpus made at run
# time: the test cases and the real-world corpus with its malformed files
# (when present). Exit status is non-zero when the fuzzer finds a fault; the
# input that caused it is kept in the build folder's fuzz/rtf/.
#
#   fuzz/rtf/run-fuzz.sh [seconds]        (default 60)
#
# SCENOVA_FUZZ_BUILD_DIR overrides the build folder (default build-fuzz),
# SCENOVA_CORPUS_DIR the real-world corpus.
set -euo pipefail
. "$(dirname "$0")/../fuzz-common.sh"
seconds=${1:-60}
corpus_dir=${SCENOVA_CORPUS_DIR:-$top/../shared/rtf-corpus}
fuzz_build rtf_fuzzer
for f in "$top"/tests/platform/rtf/cases/*/input.rtf; do
  cp "$f" "$seeds/case-$(basename "$(dirname "$f")").rtf"
done
if [ -d "$corpus_dir" ]; then
  for f in "$corpus_dir"/*.rtf "$corpus_dir"/malformed/*; do
    [ -f "$f" ] && cp "$f" "$seeds/corpus-$(basename "$f")"
  done
fi
fuzz_run rtf rtf_fuzzer "$seconds" -max_len=65536 -dict="$top/fuzz/rtf/rtf.dict"
