#!/bin/sh
# Checks in-private-env.sh: a guarded test runs only when the marker, HOME,
# every XDG folder and the servers all point into the private environment.
guard="$(dirname "$0")/in-private-env.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'export DISPLAY=:42\nexport PULSE_SERVER=unix:%s/pulse\n' "$dir" > "$dir/env"
fail=0

inside() {
  env -i PATH="$PATH" SCENOVA_PRIVATE_TEST_ENV="$dir" HOME="$dir/home" \
    XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share" \
    XDG_CACHE_HOME="$dir/home/.cache" XDG_RUNTIME_DIR="$dir/run" DISPLAY=:42 \
    PULSE_SERVER="unix:$dir/pulse" "$@"
}
expect() {
  want=$1
  shift
  "$@" >/dev/null 2>&1
  got=$?
  if [ "$got" != "$want" ]; then
    echo "exit status $got, expected $want: $*"
    fail=1
  fi
}

expect 0 inside "$guard" "display sound" true
expect 1 inside "$guard" "" false  # the test's own status comes through
expect 0 inside env DISPLAY=:0 "$guard" "" true  # a headless test needs no display
expect 77 inside env -u SCENOVA_PRIVATE_TEST_ENV "$guard" "" true
expect 77 inside env SCENOVA_PRIVATE_TEST_ENV="$dir/home" "$guard" "" true  # no env file there
expect 77 inside env HOME=/root "$guard" "" true
expect 77 inside env HOME="$dir/../elsewhere" "$guard" "" true
expect 77 inside env -u XDG_DATA_HOME "$guard" "" true
expect 77 inside env XDG_CONFIG_HOME=/root/.config "$guard" "" true
expect 77 inside env XDG_STATE_HOME=/root/.local/state "$guard" "" true
expect 77 inside env XDG_RUNTIME_DIR=/run/user/0 "$guard" "" true
expect 77 inside env DISPLAY=:0 "$guard" "display" true
expect 77 inside env -u PULSE_SERVER "$guard" "" true
expect 77 inside env PULSE_SERVER=unix:/run/user/0/pulse/native "$guard" "sound" true
# Printing tests reach only the environment's own print system.
expect 77 inside "$guard" "printer" true  # this environment has none
printf 'export CUPS_SERVER=%s/cups.sock\n' "$dir" >> "$dir/env"
expect 0 inside env CUPS_SERVER="$dir/cups.sock" "$guard" "printer" true
expect 77 inside env -u CUPS_SERVER "$guard" "printer" true
expect 77 inside env CUPS_SERVER=/run/cups/cups.sock "$guard" "printer" true
expect 77 inside env CUPS_SERVER=localhost "$guard" "printer" true

# private-home.sh: every test gets a fresh, empty home and XDG folders of
# its own, removed afterwards, and its own exit status comes through.
home="$(dirname "$0")/private-home.sh"
seen=$("$home" sh -c 'echo "$HOME"; for v in "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" \
  "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"; do
  case "$v" in "$HOME"/*) [ -d "$v" ] && [ -z "$(ls -A "$v")" ] || echo "not fresh: $v" ;;
  *) echo "outside: $v" ;; esac; done')
first=$(echo "$seen" | head -n 1)
case "$first" in
  "$HOME" | "") echo "private-home.sh kept HOME=$first"; fail=1 ;;
esac
if [ "$(echo "$seen" | wc -l)" != 1 ]; then
  echo "private-home.sh: $seen"
  fail=1
fi
if [ -e "$first" ]; then
  echo "private-home.sh left $first behind"
  fail=1
fi
expect 3 "$home" sh -c 'exit 3'
exit $fail
