#!/bin/sh
# Sets up the machine, builds the tool and starts it under Wine: on your display
# if there is one, else in a private virtual display, where a screenshot shows it.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target WindowHider wh_probe
exe=build/win32/WindowHider.exe

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec wine "$exe"
fi

export WH_WINE_STATE="$PWD/build/run-env"
env=tests/wine/wine-env.sh
$env start
trap '$env stop >/dev/null' EXIT
$env run "$exe" &
$env run build/win32/wh_probe.exe wait-window 60 >/dev/null
shot="$PWD/build/WindowHider-screenshot.png"
. "$WH_WINE_STATE/env"
DISPLAY=$DISPLAY import -window root "$shot"
echo "WindowHider is running in a virtual display; screenshot: $shot"
DISPLAY=$DISPLAY xdotool key Escape
wait
