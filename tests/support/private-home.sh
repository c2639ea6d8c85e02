#!/bin/sh
# private-home.sh COMMAND [ARG...]
#
# Runs one test with a home and XDG folders of its own: HOME,
# XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME, XDG_STATE_HOME and
# XDG_RUNTIME_DIR all lie in a fresh empty folder that is removed when the
# test ends. Whatever a test (or a library under it, such as Qt's colour
# dialog or xdg-mime) writes into "the user's" folders lands there, never in
# the real home, and no test sees what an earlier one left. Every test runs
# through it (tests/CMakeLists.txt, scenova_add_test); display and sound
# tests pass in-private-env.sh first, which checks the environment's own
# folders before this one replaces them.
[ $# -gt 0 ] || { echo "private-home.sh: no test to run" >&2; exit 2; }
home=$(mktemp -d "${TMPDIR:-/tmp}/scenova-home.XXXXXX") || exit 2
trap 'rm -rf "$home"' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
mkdir -p "$home/.config" "$home/.local/share" "$home/.cache" "$home/.local/state" "$home/run" &&
  chmod 700 "$home" "$home/run" || exit 2
HOME=$home
XDG_CONFIG_HOME=$home/.config
XDG_DATA_HOME=$home/.local/share
XDG_CACHE_HOME=$home/.cache
XDG_STATE_HOME=$home/.local/state
XDG_RUNTIME_DIR=$home/run
export HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME XDG_RUNTIME_DIR
"$@"
