#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Velkor need.
# Only what is missing is installed; safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libcurl4-openssl-dev libchm-dev libpng-dev fp-utils
  xvfb xauth xdotool x11-apps python3 imagemagick
  desktop-file-utils appstream lintian fonts-liberation2
  clang libclang-rt-14-dev clang-format xz-utils
)
if [ "${VELKOR_WITH_WINE:-0}" = 1 ]; then
  packages+=(wine wine64 g++-mingw-w64-x86-64)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
