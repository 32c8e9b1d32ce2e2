#!/usr/bin/env bash
# Builds Morvo (what `cmake --install build` installs included) and starts the desktop program
# (arguments are passed on: a program file to open).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target morvo morvo-run morvo_share morvo_man morvo_doc morvo_help
exec ./build/src/morvo "$@"
