#!/bin/sh
# Takes the README's screenshot (docs/WindowHider.png) of the real tool under
# Wine, in a private virtual display, with a window picked.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target WindowHider wh_probe wh_target_app xcursor_tool
export WH_WINE_STATE="$PWD/build/screenshot-env"
env=tests/wine/wine-env.sh
$env start
trap '$env stop >/dev/null' EXIT
b=build/win32
$env run python3 tools/screenshot.py $b/WindowHider.exe $b/wh_probe.exe $b/wh_target_app.exe \
    $b/xcursor docs/WindowHider.png
