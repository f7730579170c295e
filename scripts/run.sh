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

port="${QUOTERRA_PORT:-8642}"
# It lives as long as the ticker, however long that pauses.
build/service/quoterra-service --port "$port" --market "$market" --idle-exit 0 &
service=$!
trap 'kill "$service" 2>/dev/null || true' EXIT
# Wait until the service answers before the ticker asks it for a quote.
for _ in $(seq 50); do
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then break; fi
  sleep 0.1
done

QUOTERRA_SERVICE="http://127.0.0.1:$port" build/src/app/quoterra "${ticker_args[@]}"
