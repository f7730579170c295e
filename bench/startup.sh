#!/usr/bin/env bash
# Start-up: process start to first paint of the ticker, and to its first
# quote painted, next to a bare Qt window's start to first paint, measured
# in the same run on a private X server. Medians of RUNS runs (default 21).
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs="${RUNS:-21}"
probe="$build/bench/quoterra-startup-probe"

measure() {
  local t0 t1
  t0=$(date +%s%N)
  t1=$("$probe" "$1")
  echo $(( (t1 - t0) / 1000 ))
}
# One loopback request as the transfer itself takes it (not curl's own start).
roundtrip() {
  curl -s -o /dev/null -w '%{time_total}\n' "$origin/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv" |
    awk '{ printf "%d\n", $1 * 1000000 }'
}

"$probe" --ticker > /dev/null # first start writes the settings
for _ in $(seq "$runs"); do
  measure --bare >> "$work/bare"
  measure --ticker >> "$work/ticker"
  measure --quote >> "$work/quote"
  roundtrip >> "$work/rtt"
done
bare=$(median < "$work/bare"); ticker=$(median < "$work/ticker"); quote=$(median < "$work/quote"); rtt=$(median < "$work/rtt")
echo "bare Qt window, start to first paint:   ${bare} us"
echo "ticker, start to first paint:           ${ticker} us ($(awk "BEGIN { printf \"%.2f\", $ticker / $bare }")x bare)"
echo "ticker, start to first quote painted:   ${quote} us ($(awk "BEGIN { printf \"%.2f\", $quote / ($bare + $rtt) }")x bare + one round trip of ${rtt} us)"
