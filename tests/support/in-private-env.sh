#!/bin/sh
# in-private-env.sh NEEDS COMMAND [ARG...]
#
# Runs a test that needs the test X server, the test sound server or a home
# folder of its own, but only inside the private environment that
# scripts/test.sh (through scripts/test-env.sh) makes: SCENOVA_PRIVATE_TEST_ENV
# names that folder, its env file names the X server and sound server, and
# HOME and every XDG folder lie inside it. Anywhere else (a bare ctest on a
# desktop) the test is skipped with exit status 77 and a message, so that it
# never touches the real home, desktop, settings or sound server.
# NEEDS lists what the test uses beyond that: "display", "sound",
# "printer" (the private CUPS daemon) or several (any other word, such as
# "home", for none).
needs=$1
shift
[ $# -gt 0 ] || { echo "in-private-env.sh: no test to run" >&2; exit 2; }

skip() {
  echo "skipped: $* (run scripts/test.sh, or start scripts/test-env.sh and source its env file)" >&2
  exit 77
}

dir=${SCENOVA_PRIVATE_TEST_ENV:-}
[ -n "$dir" ] || skip "not inside the private test environment"
[ -f "$dir/env" ] || skip "$dir is not a private test environment"
top=$(realpath -e -- "$dir") || skip "$dir does not exist"

inside() {
  [ -n "$2" ] || skip "$1 is not set"
  p=$(realpath -m -- "$2")
  case "$p" in
    "$top"/*) ;;
    *) skip "$1=$2 lies outside $dir" ;;
  esac
}
inside HOME "${HOME:-}"
inside XDG_CONFIG_HOME "${XDG_CONFIG_HOME:-}"
inside XDG_DATA_HOME "${XDG_DATA_HOME:-}"
inside XDG_CACHE_HOME "${XDG_CACHE_HOME:-}"
inside XDG_RUNTIME_DIR "${XDG_RUNTIME_DIR:-}"
[ -z "${XDG_STATE_HOME:-}" ] || inside XDG_STATE_HOME "$XDG_STATE_HOME"

# The servers must be the ones that environment started.
own() { sed -n "s/^export $1=//p" "$dir/env" | tail -n 1; }
server=$(own PULSE_SERVER)
[ -n "$server" ] && [ "${PULSE_SERVER:-}" = "$server" ] ||
  skip "PULSE_SERVER is not the test sound server of $dir"
case "$needs" in
  *display*)
    display=$(own DISPLAY)
    [ -n "$display" ] && [ "${DISPLAY:-}" = "$display" ] ||
      skip "DISPLAY is not the test X server of $dir"
    ;;
esac
case "$needs" in
  *printer*)
    cups=$(own CUPS_SERVER)
    [ -n "$cups" ] && [ "${CUPS_SERVER:-}" = "$cups" ] ||
      skip "CUPS_SERVER is not the test print system of $dir"
    inside CUPS_SERVER "$CUPS_SERVER"
    ;;
esac
exec "$@"
