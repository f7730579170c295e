#!/usr/bin/env bash
# Builds the .deb in a configured build folder, unpacks it into a throw-away
# root and checks what a user gets: the file list, the menu entry, the
# metainfo, the icons, the manual pages, the copyright and changelog
# (lintian, no error or warning), and that the unpacked programs run: the
# ticker from its menu entry's command on a fresh account, on a private X
# server, with the bundled service.
# Usage: scripts/package-check.sh [build-folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

fail() {
  echo "package-check: $*" >&2
  exit 1
}

[ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build folder (bash scripts/build.sh makes one)"
for tool in cpack dpkg-shlibdeps desktop-file-validate appstreamcli man file lintian Xvfb xdotool xwd curl perl; do
  command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/setup.sh installs it)"
done

cmake --build "$build" -j"${QUOTERRA_JOBS:-$(nproc)}" >/dev/null || fail "the build failed"
rm -f "$build"/quoterra_*.deb
if ! (cd "$build" && cpack -G DEB >cpack.log 2>&1); then
  cat "$build/cpack.log" >&2
  fail "cpack could not make the package"
fi
debs=("$build"/quoterra_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no quoterra_*.deb in $build"
deb="${debs[0]}"

version=$(dpkg-deb -f "$deb" Version)
[ "$(dpkg-deb -f "$deb" Package)" = quoterra ] || fail "the package is not called quoterra"
[ "$(basename "$deb")" = "quoterra_${version}_$(dpkg --print-architecture).deb" ] ||
  fail "$(basename "$deb") is not named quoterra_VERSION_ARCH.deb"
# The libraries come from dpkg-shlibdeps; without it they would be missing.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libcurl4 libgif7; do
  grep -qE "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends names no $lib (did dpkg-shlibdeps run?): $depends"
done
# As the About box and the metainfo write it: 4.0.0 is "4.00".
IFS=. read -r major minor patch <<<"$version"
version_text="$major.$minor$patch"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

# Exactly these files. The ticker finds its service at
# ../libexec/quoterra/quoterra-service from its own folder.
sizes=(16 22 24 32 48 64 128 256)
expected=(
  usr/bin/quoterra
  usr/libexec/quoterra/quoterra-service
  usr/share/applications/quoterra.desktop
  usr/share/doc/quoterra/changelog.gz
  usr/share/doc/quoterra/copyright
  usr/share/metainfo/io.github.quoterra.Quoterra.metainfo.xml
  usr/share/man/man1/quoterra.1.gz
  usr/share/man/man1/quoterra-service.1.gz
)
for size in "${sizes[@]}"; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/quoterra.png")
done
wanted=$(printf '%s\n' "${expected[@]}" | sort)
found=$(cd "$root" && find . ! -type d | sed 's|^\./||' | sort)
if [ "$found" != "$wanted" ]; then
  diff <(echo "$wanted") <(echo "$found") | grep '^[<>]' >&2 || true
  fail "the package's files are not the expected ones (< missing, > not expected)"
fi
for program in usr/bin/quoterra usr/libexec/quoterra/quoterra-service; do
  [ -x "$root/$program" ] || fail "$program is not executable"
done

desktop="$root/usr/share/applications/quoterra.desktop"
said=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$said" ] || fail "desktop-file-validate: $said"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$exec_name" ] || fail "the menu entry runs '$exec_name', which the package has not in /usr/bin"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "the menu entry's icon '$icon' is not in the package"

metainfo="$root/usr/share/metainfo/io.github.quoterra.Quoterra.metainfo.xml"
said=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $said"
grep -q "<launchable type=\"desktop-id\">quoterra.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch quoterra.desktop"
grep -q "<release version=\"$version_text\"" "$metainfo" || fail "the metainfo has no release $version_text"

for size in "${sizes[@]}"; do
  png="usr/share/icons/hicolor/${size}x${size}/apps/quoterra.png"
  what=$(file -b "$root/$png")
  [[ "$what" == "PNG image data, $size x $size,"* ]] || fail "$png is not a ${size}x${size} PNG: $what"
done

for page in quoterra quoterra-service; do
  file="$root/usr/share/man/man1/$page.1.gz"
  said=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null) && [ -z "$said" ] ||
    fail "man $page: $said"
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$file" 2>/dev/null | grep -q "^NAME" || fail "man $page renders no NAME section"
done

said=$("$root/usr/bin/quoterra" --version 2>&1) || fail "quoterra --version failed: $said"
[[ "$said" == "Quoterra $version_text "* ]] || fail "quoterra --version says '$said', not Quoterra $version_text"
said=$("$root/usr/libexec/quoterra/quoterra-service" --version 2>&1) || fail "quoterra-service --version failed: $said"
[ "$said" = "quoterra-service $version" ] || fail "quoterra-service --version says '$said', not $version"

said=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -E '^[EW]: ' || true)
[ -z "$said" ] || fail "lintian: $said"
changelog_version=$(zcat "$root/usr/share/doc/quoterra/changelog.gz" | sed -n '1s/^quoterra (\([^)]*\)).*/\1/p')
[ "$changelog_version" = "$version" ] || fail "the changelog's newest entry is $changelog_version, not $version"

# The installed program as a user starts it from the menu: a fresh account
# on a private X server, the command the menu entry names, the account's own
# quote service (offline market), announced in its private runtime folder.
home=$(mktemp -d)
display=""
for n in $(seq 150 199); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
[ -n "$display" ] || fail "no free X display number"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
started=()
cleanup() {
  for pid in "${started[@]}" $(pgrep -f "^$root/usr/libexec/quoterra/quoterra-service" || true); do
    kill "$pid" 2>/dev/null || true
  done
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$root" "$home"
}
trap cleanup EXIT
mkdir -m 700 "$home/run"
command=$(sed -n 's/^Exec=//p' "$desktop" | sed 's/ *%[fFuUick]//g')
start() {
  env -u QUOTERRA_SERVICE -u QUOTERRA_HOME -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY HOME="$home" \
    XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_STATE_HOME="$home/state" \
    XDG_RUNTIME_DIR="$home/run" QUOTERRA_MARKET=simulated DISPLAY="$display" PATH="$root/usr/bin:$PATH" \
    $command >>"$home/quoterra.log" 2>&1 &
  started+=($!)
}
# Waits up to 10 s for `xdotool search` with these arguments to find a window.
window() {
  for _ in $(seq 100); do
    local ids
    ids=$(DISPLAY="$display" xdotool search --onlyvisible "$@" 2>/dev/null || true)
    [ -n "$ids" ] && { echo "$ids"; return 0; }
    sleep 0.1
  done
  return 1
}
# Whether the window's full face shows a quote's values: bright pixels in
# the value column, read from xwd's dump (32-bit pixels on Xvfb).
quote_shown() {
  DISPLAY="$display" xwd -silent -id "$1" | perl -e '
    local $/; my $d = <STDIN>; my @f = unpack("N25", $d);
    my ($w, $h, $stride) = ($f[4], $f[5], $f[12]); my $at = $f[0] + $f[19] * 12; my $bright = 0;
    for my $y (20 .. ($h < 115 ? $h - 1 : 114)) { for my $x (90 .. ($w < 170 ? $w - 1 : 169)) {
      my ($b, $g, $r) = unpack("C3", substr($d, $at + $y * $stride + 4 * $x, 3));
      $bright++ if 0.299 * $r + 0.587 * $g + 0.114 * $b > 200; } }
    exit($bright > 200 ? 0 : 1);'
}

start
window --name "Welcome to Quoterra" >/dev/null || fail "the first start showed no welcome text: $(cat "$home/quoterra.log")"
origin=$(sed -n 's/^origin=//p' "$home/run/quoterra/service" 2>/dev/null)
[ -n "$origin" ] || fail "the first start left no quote service announced in $home/run/quoterra"
curl -sf -o /dev/null "$origin/currentversion.txt" || fail "the first start's quote service does not answer at $origin"
kill "${started[0]}"
wait "${started[0]}" || true
printf '[Software\\Quoterra]\nLeft=1500\nTop=1500\nHeight=Full\n' >"$home/config/Quoterra/registry.ini"
printf '%-10s%-40s' IBM "International Business Machines" >"$home/data/Quoterra/stockdata.std"
start
ticker=$(window --classname quoterra) || fail "the second start showed no ticker"
for _ in $(seq 100); do quote_shown "$ticker" && break; sleep 0.1; done
quote_shown "$ticker" || fail "the ticker showed no quote"
# A start while one runs is a second ticker on the same service.
start
tickers() { DISPLAY="$display" xdotool search --onlyvisible --classname quoterra | wc -l; }
for _ in $(seq 100); do [ "$(tickers)" -ge 2 ] && break; sleep 0.1; done
[ "$(tickers)" -ge 2 ] || fail "a start while one ran showed no second ticker"
[ "$(pgrep -cf "^$root/usr/libexec/quoterra/quoterra-service")" = 1 ] || fail "the second ticker started a second service"

echo "package-check: $deb is good ($(echo "$found" | wc -l) files; Depends: $depends)"
