#!/usr/bin/env bash
# Sets up, builds and starts the program. Arguments go to the program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
exec "${SCENOVA_BUILD_DIR:-$top/build}/scenova" "$@"
