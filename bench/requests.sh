#!/bin/sh
# Counts the wineserver requests each program makes for F1 and F2 (see requests.py).
set -eu
cd "$(dirname "$0")/.."
build=$PWD/build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" --target WindowHider wh_floor wh_probe wh_target_app xcursor_tool >/dev/null
export WH_WINE_STATE="$build/requests-env"
env=tests/wine/wine-env.sh
$env start >/dev/null
trap '$env stop >/dev/null' EXIT
log="$build/requests-server.log"
# A wineserver of its own, in the foreground of this shell, tracing every request.
$env run sh -c "wineserver -k 2>/dev/null; wineserver -w; (wineserver -f -d1 2>'$log' &);
    python3 bench/requests.py '$build' '$log'; wineserver -k"
