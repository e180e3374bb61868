#!/bin/sh
# Long use: 10,000 hotkey hide and show cycles and 1,000 drag picks on the
# tool's window under Wine, with its block, handle and memory figures printed.
#   scripts/soak.sh [cycles [picks]]
# The test run does a short one (ctest -R soak_short).
set -eu
cd "$(dirname "$0")/.."
cycles=${1:-10000}
picks=${2:-1000}
./scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target win32_soak
export WH_WINE_STATE="$PWD/build/soak-env"
env=tests/wine/wine-env.sh
$env start
trap '$env stop >/dev/null' EXIT
$env run build/win32/win32_soak.exe --cycles="$cycles" --picks="$picks"
