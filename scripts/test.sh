#!/usr/bin/env bash
# Builds Morvo with warnings as errors and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVO_BUILD_TESTS=ON -DMORVO_BUILD_BENCH=ON \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build -j "$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$(nproc)"
