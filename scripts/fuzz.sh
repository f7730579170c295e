#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 20)
# from its committed corpus. Usage: scripts/fuzz.sh [build-folder] [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-fuzz}"
seconds="${2:-20}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUOTERRA_BUILD_FUZZ=ON -DQUOTERRA_BUILD_TESTS=OFF -DQUOTERRA_BUILD_BENCH=OFF
fi
cmake --build "$build" -j"${QUOTERRA_JOBS:-$(nproc)}" --target fuzz_all
export QT_QPA_PLATFORM=offscreen
for target in fuzz/corpus/*/; do
  name=$(basename "$target")
  work=$(mktemp -d)
  cp "$target"/* "$work"/
  echo "== $name for ${seconds}s"
  "$build/fuzz/$name" -max_total_time="$seconds" -print_final_stats=0 "$work" 2>&1 | tail -3
  rm -rf "$work"
done
