#!/usr/bin/env bash
# The ticker's transfer against each misbehaving loopback server (time-out
# 2 s), each case in a fresh process: what it came to, how long it took and
# how far its peak memory grew. COMPARE=other/build runs that build's
# transfer beside it, case by case.
set -euo pipefail
build="${BUILD:-$(cd "$(dirname "$0")/.." && pwd)/build}"
builds=("$build")
[ -n "${COMPARE:-}" ] && builds+=("$COMPARE")
printf 'build\tcase\toutcome\tms\tpeak KiB\treason\n'
"$build/bench/quoterra-transfer-probe" --list | while IFS= read -r name; do
  for b in "${builds[@]}"; do
    printf '%s\t' "$(basename "$b")"
    "$b/bench/quoterra-transfer-probe" "$name" 2>/dev/null
  done
done
