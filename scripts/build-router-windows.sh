#!/usr/bin/env bash
# Builds miniupnpc (the router's UPnP IGD client) for 64-bit Windows as a static library from
# Debian's own source of the version the Linux build links (libminiupnpc-dev), cross-compiled
# with MinGW-w64, into a cache folder beside the Windows Qt's.
#
# The folder is keyed by that version and by a hash of the configure options, this script's
# patch and configure steps, the patches in scripts/patches/ it applies and the toolchain file,
# so a finished build is reused until one of them changes. It holds include/miniupnpc/*.h, lib/libminiupnpc.a and the licence in
# share/doc/miniupnpc/LICENSE. The install folder is printed as the last line of output:
#   router=$(scripts/build-router-windows.sh | tail -n1)
#
# NAT-PMP stays out of the Windows build: Debian's mirror answers 404 for the files of
# libnatpmp 20150609-7.1, so the program is built there without VELKOR_WITH_NATPMP.
#
# Environment: VELKOR_ROUTER_WINDOWS_CACHE (cache root; default that of VELKOR_QT_WINDOWS_CACHE),
# VELKOR_WINDOWS_JOBS. Takes well under a minute. Installs the packages of
# "scripts/setup.sh windows"; the source comes through scripts/debian-source.sh, so /etc/apt is
# left as it is.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
toolchain="$repo/cmake/mingw-w64-x86_64.cmake"
cache_root="${VELKOR_ROUTER_WINDOWS_CACHE:-${VELKOR_QT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velkor}}"

tool=build-router-windows
# shellcheck source=windows-cache.sh
source "$repo/scripts/windows-cache.sh"

# miniupnpc's CMakeLists sets MINIUPNPC_SET_SOCKET_TIMEOUT only off Windows, so it is given here.
# On Windows the source alone does not bound a call with it: Winsock would read the library's
# struct timeval as a DWORD of milliseconds (3 s becoming 3 ms), and no socket option bounds a
# blocking connect(), so a router that never answers would hold a call for Windows' own connect
# timeout, about 21 s. The patch below fixes both under _WIN32 only: the timeouts are 3000 ms,
# and connect() waits at most 3 s, so a dead router holds a call about 3 s.
router_options=(
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_C_FLAGS=-DMINIUPNPC_SET_SOCKET_TIMEOUT
  -DUPNPC_BUILD_SHARED=OFF
  -DUPNPC_BUILD_STATIC=ON
  -DUPNPC_BUILD_TESTS=OFF
  -DUPNPC_BUILD_SAMPLE=OFF
)

# Applied in order to the unpacked source; one that does not apply exactly stops the build.
patches=("$repo/scripts/patches/miniupnpc-windows-timeouts.patch")

apply_patch() { # <source dir> <patch>
  patch -d "$1" -p1 --forward --fuzz=0 --batch --no-backup-if-mismatch -i "$2"
}

configure_router() { # <source dir> <build dir> <install dir>
  cmake -S "$1" -B "$2" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$3" \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    "${router_options[@]}"
}

# A build made from the same inputs is the same build. Comments do not count:
# declare -f drops them, the toolchain file is read without them, and a patch from its first
# "--- " line on, without the text that says why above it.
cache_key() {
  local p
  {
    printf '%s\n' "${router_options[@]}"
    declare -f apply_patch configure_router
    for p in "${patches[@]}"; do
      printf 'patch %s\n' "$(basename "$p")"
      sed -n '/^--- /,$p' "$p"
    done
    sed -e 's/^[[:space:]]*#.*//' -e '/^[[:space:]]*$/d' "$toolchain"
  } | sha256sum | cut -c1-12
}

bash "$repo/scripts/setup.sh" windows >&2
for p in "${patches[@]}"; do
  grep -q '^--- ' "$p" 2>/dev/null || die "$p is missing or holds no diff"
done
start_build libminiupnpc-dev miniupnpc miniupnpc-windows .velkor-miniupnpc-complete

for p in "${patches[@]}"; do
  run_logged "applying ${p#"$repo/"}" apply_patch "$work/src" "$p"
done

rm -rf "$dest"
run_logged "configuring" configure_router "$work/src" "$work/build" "$dest"
run_logged "compiling" cmake --build "$work/build" --parallel "${VELKOR_WINDOWS_JOBS:-$(nproc)}"
run_logged "installing" cmake --install "$work/build"
install -D -m 644 "$work/src/LICENSE" "$dest/share/doc/miniupnpc/LICENSE"

for f in include/miniupnpc/miniupnpc.h include/miniupnpc/upnpcommands.h lib/libminiupnpc.a \
  share/doc/miniupnpc/LICENSE; do
  [ -f "$dest/$f" ] || die "the install lacks $f; full log: $log"
done
# The timeout took: every file was compiled with it, and connecthostport, which sets socket
# options only under it, calls setsockopt.
commands=$(grep '"command"' "$work/build/compile_commands.json")
[[ $commands == *connecthostport.c* ]] || die "no compile command for connecthostport.c; full log: $log"
if grep -v -q -e -DMINIUPNPC_SET_SOCKET_TIMEOUT <<<"$commands"; then
  die "a miniupnpc file was compiled without MINIUPNPC_SET_SOCKET_TIMEOUT; full log: $log"
fi
symbols=$(x86_64-w64-mingw32-nm -A "$dest/lib/libminiupnpc.a")
grep -q 'connecthostport\.c\.obj:.* U __imp_setsockopt$' <<<"$symbols" ||
  die "connecthostport in $dest/lib/libminiupnpc.a sets no socket timeout"
# and the patch took: connecthostport bounds its connect() with a non-blocking socket.
grep -q 'connecthostport\.c\.obj:.* U __imp_ioctlsocket$' <<<"$symbols" ||
  die "connecthostport in $dest/lib/libminiupnpc.a does not bound connect(); is the patch applied?"
printf 'miniupnpc %s\n%s\n%s\n' "$version" "$(printf '%s\n' "${router_options[@]}")" \
  "$(for p in "${patches[@]}"; do printf 'patch %s\n' "$(basename "$p")"; done)" >"$stamp"
say "done in $((SECONDS - start)) s"
echo "$dest"
