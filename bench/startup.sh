#!/usr/bin/env bash
# Start-up: process start to first paint of the ticker, and to its first
# quote painted, next to two floors measured in the same run on a private X
# server: a bare Qt window, and a frameless window with one text label (the
# fair floor for a program that shows text). Medians of RUNS runs (default
# 21), wall-clock time and the processor time spent (which a busy machine
# disturbs less). COMPARE=other/build adds that build's ticker to the same
# runs, to weigh two versions against each other; COUNT=1 adds the
# instructions run (see the end).
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs="${RUNS:-21}"
floor="$build/bench/quoterra-floor-probe"
probes=("$build/bench/quoterra-startup-probe")
[ -n "${COMPARE:-}" ] && probes+=("$COMPARE/bench/quoterra-startup-probe")

measure() { # program option name: appends wall and processor microseconds
  local t0 out
  t0=$(date +%s%N)
  out=$("$1" "$2")
  echo $(( (${out% *} - t0) / 1000 )) >> "$work/$3"
  echo "${out#* }" >> "$work/$3.cpu"
}
# One loopback request as the transfer itself takes it (not curl's own start).
roundtrip() {
  curl -s -o /dev/null -w '%{time_total}\n' "$origin/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv" |
    awk '{ printf "%d\n", $1 * 1000000 }'
}

"${probes[0]}" --ticker > /dev/null # first start writes the settings
for _ in $(seq "$runs"); do
  for what in bare label; do measure "$floor" "--$what" "$what"; done
  for i in "${!probes[@]}"; do
    for what in ticker quote; do measure "${probes[$i]}" "--$what" "$what$i"; done
  done
  roundtrip >> "$work/rtt"
done
m() { median < "$work/$1"; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }
bare=$(m bare) label=$(m label) rtt=$(m rtt)
echo "bare Qt window, start to first paint:      ${bare} us ($(m bare.cpu) us CPU)"
echo "label window, start to first paint:        ${label} us ($(m label.cpu) us CPU)"
for i in "${!probes[@]}"; do
  ticker=$(m "ticker$i") quote=$(m "quote$i")
  echo "${probes[$i]%/bench/*}:"
  echo "  ticker, start to first paint:            ${ticker} us ($(ratio "$ticker" "$label")x label, $(ratio "$ticker" "$bare")x bare; $(m "ticker$i.cpu") us CPU)"
  echo "  ticker, start to first quote painted:    ${quote} us ($(ratio "$quote" "($label + $rtt)")x label + one round trip of ${rtt} us; $(m "quote$i.cpu") us CPU)"
done
# COUNT=1: instructions run to the same points under callgrind, a figure a
# busy machine does not move (a forked helper reports too: the largest
# count is the program's own).
[ "${COUNT:-0}" = 1 ] || exit 0
count() { valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
  sed -n 's/.*Collected : //p' | sort -n | tail -1; }
echo "instructions: bare $(count "$floor" --bare), label $(count "$floor" --label)"
for p in "${probes[@]}"; do
  echo "  ${p%/bench/*}: to first paint $(count "$p" --ticker), to first quote $(count "$p" --quote)"
done
