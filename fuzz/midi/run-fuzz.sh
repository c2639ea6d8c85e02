#!/usr/bin/env bash
# Builds the MIDI reader's fuzzer (clang, libFuzzer + ASan + UBSan) in the
# fuzz build folder and runs it for a bounded time on seeds made at run time.
# Exit status is non-zero when the fuzzer finds a fault; the input that
# caused it is kept in the build folder's fuzz/midi/.
#
#   fuzz/midi/run-fuzz.sh [seconds]        (default 30)
#
# SCENOVA_FUZZ_BUILD_DIR overrides the build folder (default build-fuzz).
set -euo pipefail
. "$(dirname "$0")/../fuzz-common.sh"
seconds=${1:-30}
fuzz_build midi_fuzzer
# A format-0 song (tempo, program, two notes with running status, a system
# exclusive message) and a format-1 song of two tracks with a tempo change.
printf 'MThd\0\0\0\6\0\0\0\1\1\340MTrk\0\0\0\34\0\377Q\3\7\241 \0\300\0\0\220<d\203`<\0\0\360\3~\t\367\0\377/\0' \
  > "$seeds/format0.mid"
printf 'MThd\0\0\0\6\0\1\0\2\0`MTrk\0\0\0\23\0\377Q\3\17B@\201@\377Q\3\7\241 \0\377/\0MTrk\0\0\0\15\0\221@@\203\0\201@\0\0\377/\0' \
  > "$seeds/format1.mid"
fuzz_run midi midi_fuzzer "$seconds" -max_len=65536
