#!/bin/sh
# Checks qtest-skips.sh on stand-ins for Qt test programs: a test that
# skipped in initTestCase or skipped every function exits 77, one that ran
# a function (even beside skips) passes, and a failure comes through.
wrapper="$(dirname "$0")/qtest-skips.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail=0

# A stand-in: writes the given verdict lines to the log named by "-o FILE,txt"
# and exits with the given status.
cat > "$dir/fake" <<'FAKE'
#!/bin/sh
status=$1
lines=$2
shift 2
while [ $# -gt 0 ]; do
  if [ "$1" = -o ]; then
    case "$2" in
      -,*) printf '%b' "$lines" ;;
      *) printf '%b' "$lines" > "${2%,txt}" ;;
    esac
    shift
  fi
  shift
done
exit "$status"
FAKE
chmod +x "$dir/fake"

expect() {
  want=$1
  shift
  "$wrapper" "$dir/fake" "$@" >/dev/null 2>&1
  got=$?
  if [ "$got" != "$want" ]; then
    echo "exit status $got, expected $want: $*"
    fail=1
  fi
}

expect 77 0 'SKIP   : T::initTestCase() needs the test X server\nTotals: 0 passed, 0 failed, 1 skipped\n'
expect 77 0 'PASS   : T::initTestCase()\nSKIP   : T::a() no ffmpeg\nSKIP   : T::b() no ffmpeg\nPASS   : T::cleanupTestCase()\n'
expect 0 0 'PASS   : T::initTestCase()\nSKIP   : T::a() no ffmpeg\nPASS   : T::b()\nPASS   : T::cleanupTestCase()\n'
expect 0 0 'PASS   : T::initTestCase()\nPASS   : T::a(row one)\nPASS   : T::cleanupTestCase()\n'
expect 1 1 'SKIP   : T::initTestCase() needs the test X server\n'
expect 1 1 'PASS   : T::initTestCase()\nFAIL!  : T::a() Compared values are not the same\n'
exit $fail
