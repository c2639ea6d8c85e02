#!/bin/sh
# qtest-skips.sh TEST [ARG...]
#
# Runs a Qt test program and exits with 77 (which CTest counts as skipped)
# when it ran nothing: it passed, but skipped in initTestCase (QSKIP there
# skips every function) or skipped every test function it has. Qt's own
# exit status is 0 in both cases, and CTest would count the test as passed.
# The test writes its usual text to standard output and the same to a log
# this script reads.
[ $# -gt 0 ] || { echo "qtest-skips.sh: no test to run" >&2; exit 2; }
log=$(mktemp "${TMPDIR:-/tmp}/scenova-qtest.XXXXXX") || exit 2
trap 'rm -f "$log"' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
"$@" -o "$log,txt" -o -,txt
status=$?
[ "$status" -eq 0 ] || exit "$status"
# A test function that ran: any verdict but SKIP, on a function other
# than the two that frame the others.
ran=$(grep -E '^(PASS|FAIL!|XFAIL|XPASS|BPASS|BFAIL|BXPASS|BXFAIL) +: ' "$log" |
  grep -v -E '::(initTestCase|cleanupTestCase)\(\)' | head -n 1)
if [ -z "$ran" ] && grep -q -E '^SKIP +: ' "$log"; then
  echo "skipped: the test ran none of its functions (status 77)" >&2
  exit 77
fi
exit 0
