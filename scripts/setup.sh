#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test
# Quoterra (with --fuzz also clang and libFuzzer). Safe to run again: it only
# installs what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev libxcb1-dev
  libgif-dev
  libboost1.81-dev libcurl4-openssl-dev ca-certificates
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth xdotool x11-utils x11-apps curl dbus-daemon
  weston xwayland qt6-wayland
  dpkg-dev desktop-file-utils appstream man-db file lintian
)
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
