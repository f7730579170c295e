#!/usr/bin/env bash
# Builds with gcc's coverage counters in a folder of its own, runs every
# test, and prints which share of the lines of src/ and service/ the tests
# run: the other guard, beside scripts/mutants.sh, for whoever trims tests.
# Needs gcovr (apt-get install gcovr).
#
#   bash scripts/coverage.sh [build folder, build-coverage by default]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-coverage}
command -v gcovr >/dev/null || { echo "coverage.sh needs gcovr: apt-get install gcovr" >&2; exit 1; }

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUOTERRA_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="--coverage" -DCMAKE_EXE_LINKER_FLAGS="--coverage" >/dev/null
cmake --build "$build" -j2
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" --output-on-failure
# Threads racing on a counter can leave a branch count below zero; lines are
# unaffected.
gcovr --gcov-ignore-parse-errors --root "$root" --filter "$root/src/" --filter "$root/service/" "$build"
