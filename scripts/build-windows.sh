#!/usr/bin/env bash
# Builds velkor.exe for 64-bit Windows into a folder (default build-windows) that then holds
# everything the program needs to run, on Windows or under Wine: Qt's libraries and plugins,
# the compiler's runtime and the help file. Makes or reuses the Windows Qt build first
# (scripts/build-qt-windows.sh, which installs the packages of "scripts/setup.sh windows"; about
# 20 minutes the first time, seconds after), then the router libraries miniupnpc and libnatpmp
# (scripts/build-router-windows.sh, scripts/build-natpmp-windows.sh, seconds). The folder also gets
# the installer velkor-VERSION-setup.exe and velkor-VERSION-windows.zip, made from those files, and
# test_windows_backend.exe, which tests/windows/backend.sh runs under Wine.
#
# Usage: scripts/build-windows.sh [folder]     Environment: VELKOR_WINDOWS_JOBS.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-build-windows}")

qt=$("$repo/scripts/build-qt-windows.sh" | tail -n1)
[ -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ] || { echo "build-windows: no Windows Qt in '$qt'" >&2; exit 1; }
router=$("$repo/scripts/build-router-windows.sh" | tail -n1)
[ -f "$router/lib/libminiupnpc.a" ] || { echo "build-windows: no Windows miniupnpc in '$router'" >&2; exit 1; }
natpmp=$("$repo/scripts/build-natpmp-windows.sh" | tail -n1)
[ -f "$natpmp/lib/libnatpmp.a" ] || { echo "build-windows: no Windows libnatpmp in '$natpmp'" >&2; exit 1; }

# The router libraries are looked up anew each time: a rebuild with other options is in another
# cache folder.
cmake -S "$repo" -B "$build" -G Ninja -UMINIUPNPC_INCLUDE_DIR -UMINIUPNPC_LIBRARY \
  -UNATPMP_INCLUDE_DIR -UNATPMP_LIBRARY \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_PREFIX_PATH="$qt;$router;$natpmp" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON \
  ${VELKOR_WERROR:+-DVELKOR_WERROR=$VELKOR_WERROR}
cmake --build "$build" --parallel "${VELKOR_WINDOWS_JOBS:-$(nproc)}"
echo "$build/velkor.exe"
