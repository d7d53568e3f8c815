#!/usr/bin/env bash
# Builds libnatpmp (the router's NAT-PMP client) for 64-bit Windows as a static library,
# cross-compiled with MinGW-w64, into a cache folder beside the Windows Qt's, as
# scripts/build-router-windows.sh does for miniupnpc.
#
# The source is Debian 13's (trixie) upstream tarball of libnatpmp 20230423: Debian's mirror no
# longer serves the files of Debian 12's 20150609, and for 20230423-1.2 it serves the tarball
# but not Debian's packaging, which changes only the Linux build. The tarball is checked
# against the signed source index (scripts/debian-source.sh --upstream).
#
# The folder is keyed by the version and by a hash of the compile steps.
# It holds include/natpmp.h (and natpmp_declspec.h), lib/libnatpmp.a and the licence in
# share/doc/libnatpmp/LICENSE; its path is printed as the last line of output.
# Environment as build-router-windows.sh's. Takes seconds.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache_root="${VELKOR_ROUTER_WINDOWS_CACHE:-${VELKOR_QT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velkor}}"
natpmp_version=20230423-1.2
natpmp_suite=trixie

tool=build-natpmp-windows
# shellcheck source=windows-cache.sh
source "$repo/scripts/windows-cache.sh"

# Upstream's CMakeLists installs nothing and builds its sample programs too, so the library's
# three files are compiled here as it would compile them.
compile_natpmp() { # <source dir> <install dir>
  local f
  mkdir -p "$2/lib" "$2/include"
  for f in natpmp getgateway wingettimeofday; do
    x86_64-w64-mingw32-gcc -O2 -DNATPMP_STATICLIB -DENABLE_STRNATPMPERR -Wno-pointer-sign \
      -c "$1/$f.c" -o "$1/$f.o"
  done
  x86_64-w64-mingw32-ar rcs "$2/lib/libnatpmp.a" "$1"/natpmp.o "$1"/getgateway.o "$1"/wingettimeofday.o
  install -m 644 "$1/natpmp.h" "$1/natpmp_declspec.h" "$2/include/"
}

cache_key() { declare -f compile_natpmp | sha256sum | cut -c1-12; }

bash "$repo/scripts/setup.sh" windows >&2
start_build "=$natpmp_version" libnatpmp libnatpmp-windows .velkor-libnatpmp-complete \
  --suite "$natpmp_suite" --upstream

rm -rf "$dest"
run_logged "compiling" compile_natpmp "$work/src" "$dest"
install -D -m 644 "$work/src/LICENSE" "$dest/share/doc/libnatpmp/LICENSE"
for f in include/natpmp.h include/natpmp_declspec.h lib/libnatpmp.a share/doc/libnatpmp/LICENSE; do
  [ -f "$dest/$f" ] || die "the install lacks $f; full log: $log"
done
printf 'libnatpmp %s (%s, upstream tarball)\n' "$version" "$natpmp_suite" >"$stamp"
say "done in $((SECONDS - start)) s"
echo "$dest"
