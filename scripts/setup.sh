#!/usr/bin/env bash
# Installs the Debian 12 packages one job needs, and only those; installing packages with
# apt-get is the only change it makes to the system. Safe to run again: only what is missing is
# installed, and nothing when all is there.
#
#   scripts/setup.sh run       build Velkor and start it
#   scripts/setup.sh test      run: and the Linux build's tests (Xvfb, xdotool, Wine, MinGW for
#                              the stand-in game, the package checkers, a router and its
#                              clients for the network namespaces; the router is never started
#                              outside them)
#   scripts/setup.sh windows   test: and the Windows build (MinGW's posix compilers, Debian's
#                              source tools for Qt, NSIS, Wine's own fonts for its tests)
#   scripts/setup.sh proof     test: and clang with its sanitizer runtime for fuzzing
#   scripts/setup.sh format    clang-format
set -euo pipefail

run=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libcurl4-openssl-dev libchm-dev libpng-dev fp-utils
  libminiupnpc-dev libnatpmp-dev libsqlite3-dev
)
test=(
  "${run[@]}"
  xvfb xauth xdotool python3 imagemagick fonts-liberation2 xz-utils
  desktop-file-utils appstream lintian
  wine wine64 gcc-mingw-w64-x86-64-posix
  iproute2 miniupnpd-nftables nftables miniupnpc natpmpc xclip
)
windows=(
  "${test[@]}"
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 dpkg-dev perl nsis fonts-wine
)
proof=("${test[@]}" clang libclang-rt-14-dev)
format=(clang-format)

job=${1:?usage: setup.sh run|test|windows|proof|format}
case $job in
  run | test | windows | proof | format) ;;
  *)
    echo "setup.sh: no such job '$job' (run, test, windows, proof, format)" >&2
    exit 2
    ;;
esac
declare -n packages=$job

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "setup.sh: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
