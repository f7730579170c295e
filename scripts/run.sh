#!/usr/bin/env bash
# Installs what is missing, builds, starts the bundled quote service and the
# ticker against it. Ends the service when the ticker ends.
#   bash scripts/run.sh              live delayed quotes (needs the internet)
#   bash scripts/run.sh --simulated  the offline simulated market
# Other arguments go to the ticker.
set -euo pipefail
cd "$(dirname "$0")/.."

market=live
ticker_args=()
for arg in "$@"; do
  if [ "$arg" = "--simulated" ]; then
    market=simulated
  else
    ticker_args+=("$arg")
  fi
done

bash scripts/setup.sh
bash scripts/build.sh

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No desktop session found (DISPLAY is not set)." >&2
  echo "Run this from a desktop terminal, or try: xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi

# A port the system picks; the service says which on its first line. It
# lives as long as the ticker, however long that pauses.
said=$(mktemp)
build/service/quoterra-service --port 0 --market "$market" --idle-exit 0 >"$said" &
service=$!
trap 'kill "$service" 2>/dev/null || true; rm -f "$said"' EXIT
origin=""
for _ in $(seq 50); do
  origin=$(sed -n 's/^quoterra-service listening on //p' "$said")
  [ -n "$origin" ] && break
  sleep 0.1
done
if [ -z "$origin" ]; then
  echo "The quote service did not start." >&2
  exit 1
fi

QUOTERRA_SERVICE="$origin" build/src/app/quoterra "${ticker_args[@]}"
