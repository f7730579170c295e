#!/usr/bin/env bash
# Start-up: process start to first paint of the ticker, and to its first
# quote painted, next to two floors measured in the same run on a private X
# server: a bare Qt window, and a frameless window with one text label (the
# fair floor for a program that shows text). Medians of RUNS runs (default 21).
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs="${RUNS:-21}"
probe="$build/bench/quoterra-startup-probe"
floor="$build/bench/quoterra-floor-probe"

measure() { # program option
  local t0 t1
  t0=$(date +%s%N)
  t1=$("$1" "$2")
  echo $(( (t1 - t0) / 1000 ))
}
# One loopback request as the transfer itself takes it (not curl's own start).
roundtrip() {
  curl -s -o /dev/null -w '%{time_total}\n' "$origin/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv" |
    awk '{ printf "%d\n", $1 * 1000000 }'
}

"$probe" --ticker > /dev/null # first start writes the settings
for _ in $(seq "$runs"); do
  for what in bare label; do measure "$floor" "--$what" >> "$work/$what"; done
  for what in ticker quote; do measure "$probe" "--$what" >> "$work/$what"; done
  roundtrip >> "$work/rtt"
done
for what in bare label ticker quote rtt; do declare "$what=$(median < "$work/$what")"; done
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }
echo "bare Qt window, start to first paint:      ${bare} us"
echo "label window, start to first paint:        ${label} us"
echo "ticker, start to first paint:              ${ticker} us ($(ratio "$ticker" "$label")x label, $(ratio "$ticker" "$bare")x bare)"
echo "ticker, start to first quote painted:      ${quote} us ($(ratio "$quote" "($label + $rtt)")x label + one round trip of ${rtt} us)"
