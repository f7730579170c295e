#!/usr/bin/env bash
# Takes the README's pictures of the real program on a private X server
# (needs Xvfb, xdotool and ImageMagick's import).
set -euo pipefail
source "$(dirname "$0")/../bench/common.sh"
out="$(cd "$(dirname "$0")" && pwd)"

shoot() { # name size height [action]
  local name=$1 size=$2 height=$3 action=${4:-}
  printf '[Software\\Quoterra]\nLeft=1500\nTop=1500\nSize=%s\nHeight=%s\nInterval=3\n[Software\\Quoterra\\Charts]\n' \
    "$size" "$height" > "$work/config/Quoterra/registry.ini"
  "$build/src/app/quoterra" & local app=$!
  local win=""
  for _ in $(seq 100); do
    win=$(xdotool search --onlyvisible --classname quoterra 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break; sleep 0.1
  done
  sleep 1.5
  if [ "$action" = menu ]; then
    xdotool mousemove 104 104 click 1
    sleep 0.5
    import -window root -crop 200x200+98+98 "$out/$name.png"
  else
    import -window "$win" "$out/$name.png"
  fi
  kill "$app"; wait "$app" 2>/dev/null || true
}

shoot ticker-standard-shaded Standard Shade
shoot ticker-standard-full Standard Full
shoot ticker-large-shaded Large Shade
shoot ticker-large-full Large Full
shoot options-menu Standard Shade menu
echo "pictures written to $out"
