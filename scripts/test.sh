#!/usr/bin/env bash
# Sets up, builds and runs every test: unit and widget tests headless, display
# and playback tests under a private X server (two monitors) and PulseAudio
# null sink that this script starts and stops. Ends with CTest's summary.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SCENOVA_BUILD_DIR:-$top/build}
"$top/scripts/setup.sh" || exit 1
"$top/scripts/build.sh" -DSCENOVA_WERROR=ON || exit 1

envdir=$(mktemp -d /tmp/scenova-test-env.XXXXXX)
cleanup() { "$top/scripts/test-env.sh" stop "$envdir"; rm -rf "$envdir"; }
trap cleanup EXIT INT TERM
"$top/scripts/test-env.sh" start "$envdir" || exit 1
# shellcheck disable=SC1091
. "$envdir/env"
# Tests never touch the user's own configuration.
export HOME="$envdir/home" XDG_CONFIG_HOME="$envdir/home/.config" XDG_RUNTIME_DIR="$envdir/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

ctest --test-dir "$build" --output-on-failure -j2 "$@"
