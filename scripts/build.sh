#!/usr/bin/env bash
# Configures and builds into build/ (the working program folder).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SCENOVA_BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build"
