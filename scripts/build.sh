#!/usr/bin/env bash
# Configures (once) and builds Quoterra into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${QUOTERRA_JOBS:-$(nproc)}"
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j"$jobs"
