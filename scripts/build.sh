#!/usr/bin/env bash
# Configures (once) and builds Quoterra into ./build. QUOTERRA_CMAKE_ARGS
# adds options to the first configure.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${QUOTERRA_JOBS:-$(nproc)}"
if [ ! -f build/CMakeCache.txt ]; then
  # shellcheck disable=SC2086
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo ${QUOTERRA_CMAKE_ARGS:-}
fi
cmake --build build -j"$jobs"
