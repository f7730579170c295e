#!/usr/bin/env bash
# Idle cost of a running ticker with Interval 60: CPU time over SECONDS
# (default 60) between fetches, and resident memory (now and at its peak)
# next to the two floors: a bare Qt window and a frameless window with one
# text label. COMPARE=other/build runs that build's ticker beside it.
set -euo pipefail
source "$(dirname "$0")/common.sh"
span="${SECONDS_TO_WATCH:-60}"
printf '[Software\\Quoterra]\nInterval=60\n[Software\\Quoterra\\Charts]\n' > "$work/config/Quoterra/registry.ini"

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
kib() { awk -v f="$2:" '$1 == f { print $2 }' "/proc/$1/status"; }

builds=("$build")
[ -n "${COMPARE:-}" ] && builds+=("$COMPARE")
tickers=()
for b in "${builds[@]}"; do
  "$b/src/app/quoterra" & tickers+=($!); pids+=($!)
done
"$build/bench/quoterra-floor-probe" --bare --stay > /dev/null & bare=$!; pids+=("$bare")
"$build/bench/quoterra-floor-probe" --label --stay > /dev/null & label=$!; pids+=("$label")
sleep 5
start=(); for t in "${tickers[@]}"; do start+=("$(cpu_ticks "$t")"); done
sleep "$span"
hz=$(getconf CLK_TCK)
b=$(kib "$bare" VmRSS); l=$(kib "$label" VmRSS)
echo "resident memory: label window $l KiB, bare window $b KiB"
for i in "${!tickers[@]}"; do
  t=${tickers[$i]} rss=$(kib "${tickers[$i]}" VmRSS) peak=$(kib "${tickers[$i]}" VmHWM)
  echo "${builds[$i]}:"
  echo "  ticker CPU over ${span} s: $(awk "BEGIN { printf \"%.3f\", ($(cpu_ticks "$t") - ${start[$i]}) / $hz / $span * 100 }")% of one core"
  echo "  resident memory: $rss KiB ($(awk "BEGIN { printf \"%.2f\", $rss / $l }")x label, $(awk "BEGIN { printf \"%.2f\", $rss / $b }")x bare), at its peak $peak KiB"
done
