#!/usr/bin/env bash
# Takes the README's pictures of the real program on a private X server
# (needs Xvfb, xdotool, ImageMagick's import, and dunst to draw a desktop
# notification).
set -euo pipefail
source "$(dirname "$0")/../bench/common.sh"
out="$(cd "$(dirname "$0")" && pwd)"

first_window() { # xdotool search arguments: the first visible window they find, within 10 s
  local w=""
  for _ in $(seq 100); do
    w=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -1 || true)
    [ -n "$w" ] && break; sleep 0.1
  done
  echo "$w"
}

shoot() { # name size height [action]
  local name=$1 size=$2 height=$3 action=${4:-}
  printf '[Software\\Quoterra]\nLeft=1500\nTop=1500\nSize=%s\nHeight=%s\nInterval=3\n[Software\\Quoterra\\Charts]\n' \
    "$size" "$height" > "$work/config/Quoterra/registry.ini"
  "$build/src/app/quoterra" & local app=$!
  local win
  win=$(first_window --classname quoterra)
  sleep 1.5
  if [ "$action" = menu ]; then
    xdotool mousemove 104 104 click 1
    sleep 0.5
    import -window root -crop 200x224+98+98 "$out/$name.png"
  else
    import -window "$win" "$out/$name.png"
  fi
  kill "$app"; wait "$app" 2>/dev/null || true
}

# The Symbol Manager, opened with the list button of the full window, on a
# list with the four indices, a row selected.
shoot_symbol_manager() {
  printf '[Software\\Quoterra]\nLeft=1500\nTop=1500\nSize=Standard\nHeight=Full\nInterval=60\n[Software\\Quoterra\\Charts]\n' \
    > "$work/config/Quoterra/registry.ini"
  printf '%-10s%-40s' IBM "International Business Machines" MSFT "Microsoft Corporation" \
    DJIA "Dow Jones Industrials Average" NASDAQ "NASDAQ Composite" "S&P 500" "S&P 500 Index" \
    30YR "30 Year Bond" AAPL "Apple Inc." GE "General Electric" > "$work/home/stockdata.std"
  "$build/src/app/quoterra" & local app=$!
  first_window --classname quoterra >/dev/null
  sleep 1.5
  # The list button: left 2760, top 1020 twips from the window's corner.
  xdotool mousemove 294 176 click 1
  local win
  win=$(first_window --name "Quoterra - Symbol Manager")
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$win")"
  xdotool mousemove $((X + 60)) $((Y + 75)) click 1
  sleep 0.5
  import -window "$win" "$out/symbol-manager.png"
  kill "$app"; wait "$app" 2>/dev/null || true
}

# The chart browser docked under the full window, its one-year chart
# fetched with UPDATE.
shoot_docked() { # name size chart-top (the ticker's bottom edge in twips)
  local name=$1 size=$2 top=$3
  printf '[Software\\Quoterra]\nLeft=1500\nTop=1500\nSize=%s\nHeight=Full\nInterval=60\nDocked=True\n[Software\\Quoterra\\Charts]\nStartUp=True\nLeft=1500\nTop=%s\n' \
    "$size" "$top" > "$work/config/Quoterra/registry.ini"
  printf '%-10s%-40s' IBM "International Business Machines" > "$work/home/stockdata.std"
  "$build/src/app/quoterra" & local app=$!
  local chart=""
  for _ in $(seq 100); do
    chart=$(xdotool search --onlyvisible --classname quoterra 2>/dev/null | while read -r w; do
      eval "$(xdotool getwindowgeometry --shell "$w")"; [ "$WIDTH" = 210 ] && [ "$HEIGHT" = 120 ] && echo "$w"; done | head -1 || true)
    [ -n "$chart" ] && break; sleep 0.1
  done
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$chart")"
  xdotool mousemove $((X + 170)) $((Y + 22)) click 1 # UPDATE
  sleep 1.5
  import -window root -crop "290x$((Y + HEIGHT - 100 + 2))+98+98" "$out/$name.png"
  kill "$app"; wait "$app" 2>/dev/null || true
}

# The price alerts dialog, opened from the research menu of the symbol on
# the full window, on a list with alerts set.
shoot_alerts() {
  printf '[Software\\Quoterra]\nLeft=1500\nTop=1500\nSize=Standard\nHeight=Full\nInterval=60\n[Software\\Quoterra\\Charts]\n[Software\\Quoterra\\Alerts]\nMSFT=40;30\n30YR=;4.2\n' \
    > "$work/config/Quoterra/registry.ini"
  printf '%-10s%-40s' IBM "International Business Machines" MSFT "Microsoft Corporation" \
    30YR "30 Year Bond" "S&P 500" "S&P 500 Index" AAPL "Apple Inc." > "$work/home/stockdata.std"
  "$build/src/app/quoterra" & local app=$!
  first_window --classname quoterra >/dev/null
  sleep 1.5
  xdotool mousemove 200 122 click 3 # the symbol, IBM
  sleep 0.5
  xdotool key a # Alert on This Symbol...
  local win
  win=$(first_window --name "Quoterra - Price Alerts")
  sleep 0.5
  xdotool type 25.50
  sleep 0.3
  import -window "$win" "$out/price-alerts.png"
  kill "$app"; wait "$app" 2>/dev/null || true
}

# A desktop notification as dunst draws it, on a session bus of its own: an
# alert on the first symbol whose level the price was last seen below.
shoot_notification() {
  dbus-daemon --session --nofork --nopidfile --address="unix:path=$work/bus" & pids+=($!)
  for _ in $(seq 50); do [ -e "$work/bus" ] && break; sleep 0.1; done
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus"
  dunst & pids+=($!)
  local price level
  price=$(curl -s "$origin/d/quotes.csv?s=MSFT&f=sl1d1t1c1ohgv&e=.csv" | cut -d, -f2)
  level=$(awk "BEGIN { printf \"%d\", $price - 0.5 }")
  printf '[Software\\Quoterra]\nLeft=1500\nTop=1500\nSize=Standard\nHeight=Full\nInterval=60\n[Software\\Quoterra\\Charts]\n[Software\\Quoterra\\Alerts]\nMSFT=%s;;armed;\n' \
    "$level" > "$work/config/Quoterra/registry.ini"
  printf '%-10s%-40s' MSFT "Microsoft Corporation" > "$work/home/stockdata.std"
  "$build/src/app/quoterra" & local app=$!
  local win
  win=$(first_window --classname Dunst)
  sleep 0.5
  import -window "$win" "$out/alert-notification.png"
  kill "$app"; wait "$app" 2>/dev/null || true
  unset DBUS_SESSION_BUS_ADDRESS
}

shoot ticker-standard-shaded Standard Shade
shoot ticker-standard-full Standard Full
shoot ticker-large-shaded Large Shade
shoot ticker-large-full Large Full
shoot options-menu Standard Shade menu
shoot_symbol_manager
shoot_docked charts-docked-standard Standard 3240
shoot_docked charts-docked-large Large 3820
# On a 200 % desktop, as its session announces it: the same face at twice
# the pixels.
xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$(printf 'Xft.dpi:\t192')"
shoot ticker-standard-full-2x Standard Full
xprop -root -remove RESOURCE_MANAGER
shoot_alerts
shoot_notification
echo "pictures written to $out"
