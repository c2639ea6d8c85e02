#!/bin/sh
# check-shipped.sh SHIPPED TESTPROGRAM
#
# Fails when the shipped executable carries test doubles or the switch that
# makes its dialogs answer by themselves. The test program, built from the
# same start-up with the doubles linked in, must show both: otherwise the
# search would prove nothing.
shipped=$1
testprogram=$2
status=0
for marker in SCENOVA_TEST_DIALOG_LOG FakeDialogs; do
  if ! grep -q -a -- "$marker" "$testprogram"; then
    echo "the test program lacks $marker: this check cannot see it" >&2
    status=1
  fi
  if grep -q -a -- "$marker" "$shipped"; then
    echo "the shipped program contains $marker" >&2
    status=1
  fi
done
exit $status
