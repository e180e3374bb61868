#!/bin/sh
# Sets up the machine, builds both presets and runs every test.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset host
cmake --build --preset host
ctest --preset host -j 3
cmake --preset win32
cmake --build --preset win32
ctest --preset win32
