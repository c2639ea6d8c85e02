#!/bin/sh
# check-shipped.sh SHIPPED TESTPROGRAM
#
# Fails when the shipped executable carries test doubles (any Fake class),
# the switch that makes its dialogs answer by themselves or the start-up
# probe of the benchmark. The test program, built from the same start-up
# with the doubles linked in, must show each: otherwise the search would
# prove nothing.
shipped=$1
testprogram=$2
status=0
for marker in SCENOVA_TEST_DIALOG_LOG SCENOVA_STARTUP_PROBE FakeDialogs; do
  if ! grep -q -a -- "$marker" "$testprogram"; then
    echo "the test program lacks $marker: this check cannot see it" >&2
    status=1
  fi
  if grep -q -a -- "$marker" "$shipped"; then
    echo "the shipped program contains $marker" >&2
    status=1
  fi
done
# Any test double at all, by its mangled class name (the symbol table, or
# the type names RTTI keeps when the binary is stripped).
fakes=$(grep -a -o -E '[0-9]+Fake[A-Za-z0-9_]+' "$shipped" | sort -u | head -n 5)
if [ -n "$fakes" ]; then
  echo "the shipped program contains test doubles: $fakes" >&2
  status=1
fi
if ! grep -q -a -E '[0-9]+Fake[A-Za-z0-9_]+' "$testprogram"; then
  echo "the test program shows no Fake class name: this check cannot see one" >&2
  status=1
fi
exit $status
