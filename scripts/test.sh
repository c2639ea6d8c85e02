#!/usr/bin/env bash
# Sets up, builds and runs every test: unit and widget tests headless, display
# and playback tests under a private X server (two monitors) and PulseAudio
# null sink that this script starts and stops. Ends with CTest's summary.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SCENOVA_BUILD_DIR:-$top/build}
# Each stage says when it starts, in seconds since this run began.
stage() { echo "== $* (at ${SECONDS} s) =="; }
stage "Setting up"
"$top/scripts/setup.sh" || exit 1
stage "Build"
"$top/scripts/build.sh" -DSCENOVA_WERROR=ON || exit 1

envdir=$(mktemp -d /tmp/scenova-test-env.XXXXXX)
cleanup() { "$top/scripts/test-env.sh" stop "$envdir"; rm -rf "$envdir"; }
trap cleanup EXIT INT TERM
"$top/scripts/test-env.sh" start "$envdir" || exit 1
# shellcheck disable=SC1091
. "$envdir/env"
# Tests never touch the user's own configuration: the env file also gives a
# private HOME, XDG folders and the SCENOVA_PRIVATE_TEST_ENV marker.

# In CI the shared RTF corpus beside the clone must be there: the tests that
# read it fail without it instead of being skipped.
if [ "${CI:-}" = true ]; then
  export SCENOVA_REQUIRE_CORPUS=1
fi

status=0
# Every stage's output is also kept, so that the run can end with what failed:
# CI shows only the last part of a long run's output.
logs="$envdir/logs"
mkdir -p "$logs"
failed=()
# run_stage NAME COMMAND...: runs COMMAND, its output shown and kept; a
# failure is remembered for the closing summary.
run_stage() {
  local name=$1
  shift
  "$@" 2>&1 | tee "$logs/$name.log"
  if [ "${PIPESTATUS[0]}" -ne 0 ]; then
    status=1
    failed+=("$name")
  fi
}
# The summary of a failed stage: its failing tests and fault reports, then
# its last lines.
summarize() {
  local name=$1 log="$logs/$1.log"
  echo "---- failed: $name"
  grep -E 'FAIL!|\*\*\*Failed|\*\*\*Timeout|\*\*\*Exception|ERROR: |runtime error|SUMMARY: |Test +#[0-9]+: .*(Failed|Timeout|Exception)' "$log" | tail -40
  echo "---- last lines of $name:"
  tail -n 25 "$log"
}
# First the headless tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer (leak reports off: the GUI libraries keep caches
# for the life of the process), then every parser of outside input fuzzed for
# a bounded time, and last the whole suite, so that the run ends with its
# summary.
if [ "${SCENOVA_SKIP_SANITIZERS:-0}" != 1 ]; then
  stage "Sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer)"
  # -O1, as the sanitizers advise: it also compiles faster than -O2.
  SCENOVA_BUILD_DIR="$top/build-asan" "$top/scripts/build.sh" -DSCENOVA_WERROR=ON \
    -DSCENOVA_SANITIZE=ON -DSCENOVA_BENCH=OFF \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" || exit 1
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_stage sanitizer-unit-tests ctest --test-dir "$top/build-asan" --output-on-failure -j2 -L unit
fi
if [ "${SCENOVA_SKIP_FUZZ:-0}" != 1 ]; then
  for f in "$top"/fuzz/*/run-fuzz.sh; do
    [ -x "$f" ] || continue
    stage "fuzzing: $(basename "$(dirname "$f")")"
    run_stage "fuzz-$(basename "$(dirname "$f")")" "$f"
  done
fi
stage "All tests"
run_stage all-tests ctest --test-dir "$build" --output-on-failure -j2 "$@"
stage "Done"
if [ ${#failed[@]} -gt 0 ]; then
  echo "== Failed stages: ${failed[*]} =="
  for name in "${failed[@]}"; do summarize "$name"; done
fi
exit $status
