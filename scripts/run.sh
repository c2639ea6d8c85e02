#!/usr/bin/env bash
# Sets up, builds and starts the program. Arguments go to the program.
# Builds only the program and what ships beside it (not the tests or the
# benchmarks), in build/ unless SCENOVA_BUILD_DIR says otherwise.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SCENOVA_BUILD_DIR:-$top/build}
"$top/scripts/setup.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target scenova
exec "$build/scenova" "$@"
