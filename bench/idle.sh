#!/usr/bin/env bash
# Idle cost of a running ticker with Interval 60: CPU time over SECONDS
# (default 60) between fetches, and resident memory next to the two floors:
# a bare Qt window and a frameless window with one text label.
set -euo pipefail
source "$(dirname "$0")/common.sh"
span="${SECONDS_TO_WATCH:-60}"
printf '[Software\\Quoterra]\nInterval=60\n[Software\\Quoterra\\Charts]\n' > "$work/config/Quoterra/registry.ini"

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss_kib() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }

"$build/src/app/quoterra" & ticker=$!; pids+=("$ticker")
"$build/bench/quoterra-floor-probe" --bare --stay > /dev/null & bare=$!; pids+=("$bare")
"$build/bench/quoterra-floor-probe" --label --stay > /dev/null & label=$!; pids+=("$label")
sleep 5
start=$(cpu_ticks "$ticker")
sleep "$span"
end=$(cpu_ticks "$ticker")
hz=$(getconf CLK_TCK)
t=$(rss_kib "$ticker"); b=$(rss_kib "$bare"); l=$(rss_kib "$label")
echo "ticker CPU over ${span} s: $(awk "BEGIN { printf \"%.3f\", ($end - $start) / $hz / $span * 100 }")% of one core"
echo "resident memory: ticker $t KiB, label window $l KiB ($(awk "BEGIN { printf \"%.2f\", $t / $l }")x), bare window $b KiB ($(awk "BEGIN { printf \"%.2f\", $t / $b }")x)"
