# Shared by the fuzz/*/run-fuzz.sh scripts (sourced, not run): the fuzz build
# folder, a temporary seed folder removed on exit, and one bounded run.
#
#   . "$(dirname "$0")/../fuzz-common.sh"
#   fuzz_build TARGET                    builds TARGET in $build
#   fuzz_run NAME TARGET SECONDS [libFuzzer options...]
#       runs $build/fuzz/NAME/TARGET on $seeds for SECONDS; the input of a
#       fault is kept in $build/fuzz/NAME/; non-zero status on a fault.
#
# SCENOVA_FUZZ_BUILD_DIR overrides the build folder (default build-fuzz).
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${SCENOVA_FUZZ_BUILD_DIR:-$top/build-fuzz}
seeds=$(mktemp -d /tmp/scenova-fuzz-seeds.XXXXXX)
trap 'rm -rf "$seeds"' EXIT

fuzz_build() {
  CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DSCENOVA_FUZZ=ON \
    -DSCENOVA_TESTS=OFF -DSCENOVA_BENCH=OFF >/dev/null
  cmake --build "$build" --target "$1" -j2
}

fuzz_run() {
  local name=$1 target=$2 seconds=$3
  shift 3
  local out="$build/fuzz/$name"
  QT_QPA_PLATFORM=offscreen "$out/$target" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$out/" -print_final_stats=1 -print_funcs=0 "$@" "$seeds"
}
