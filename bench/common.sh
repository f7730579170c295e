# Shared by the measuring scripts: an X server, the quote service and a
# throw-away profile with a two-symbol list.
build="${BUILD:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

for n in $(seq 150 199); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 1024x768x24 -noreset -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

"$build/service/quoterra-service" --port 0 --seed 1 --market simulated > "$work/service.out" &
pids+=($!)
for _ in $(seq 50); do grep -q listening "$work/service.out" 2>/dev/null && break; sleep 0.1; done
origin=$(sed -n 's/.*listening on //p' "$work/service.out")

mkdir -p "$work/config/Quoterra" "$work/home"
printf '%-10s%-40s%-10s%-40s' IBM "IBM" MSFT "Microsoft" > "$work/home/stockdata.std"
export DISPLAY="$display" XDG_CONFIG_HOME="$work/config" QUOTERRA_HOME="$work/home" QUOTERRA_SERVICE="$origin"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$work/runtime"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
