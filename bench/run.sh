#!/bin/sh
# The benchmark: WindowHider.exe against the floor program, under Wine in Xvfb.
#   bench/run.sh [--quick]
# Builds into build/bench, runs in a Wine environment of its own (build/bench/wine-env),
# prints the table and writes it to build/bench/results.md. It passes or fails nothing.
set -eu
cd "$(dirname "$0")/.."
BENCH_T0=$(date +%s)
export BENCH_T0
build=$PWD/build/bench
mkdir -p "$build"
# The sources as built, for the table: the checkout may change while the benchmark runs.
BENCH_SOURCES="commit $(git rev-parse --short HEAD)"
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    BENCH_SOURCES="$BENCH_SOURCES with uncommitted changes"
fi
export BENCH_SOURCES
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" --target WindowHider wh_floor wh_bench_driver wh_bench_target \
    >"$build/build.log" 2>&1 || { cat "$build/build.log" >&2; exit 1; }

# Its own prefix and display: hotkeys are global to one wineserver.
export WH_WINE_STATE="$build/wine-env"
env=tests/wine/wine-env.sh
$env start >/dev/null
trap '$env stop >/dev/null' EXIT
$env run python3 bench/bench.py "$build" "$@"
