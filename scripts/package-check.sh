#!/usr/bin/env bash
# Builds the .deb in a configured build folder, unpacks it into a throw-away
# root and checks what a user gets: the file list, the menu entry, the
# metainfo, the icons, the manual pages, and that the unpacked programs run.
# Usage: scripts/package-check.sh [build-folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

fail() {
  echo "package-check: $*" >&2
  exit 1
}

[ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build folder (bash scripts/build.sh makes one)"
for tool in cpack dpkg-shlibdeps desktop-file-validate appstreamcli man file; do
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

echo "package-check: $deb is good ($(echo "$found" | wc -l) files; Depends: $depends)"
