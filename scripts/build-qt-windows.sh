#!/usr/bin/env bash
# Builds Qt 6 for 64-bit Windows (Core, Gui, Widgets, Test) from Debian's own
# source of the qt6-base version the Linux build uses, cross-compiled with
# MinGW-w64, into a cache folder outside the source tree.
#
# The folder is keyed by that version and by a hash of the configure options,
# this script's configure step and the toolchain file, so a finished build is
# reused until one of them changes. The install folder is printed as the last
# line of output:   qt=$(scripts/build-qt-windows.sh | tail -n1)
#
# Environment: VELKOR_QT_WINDOWS_CACHE (cache root), VELKOR_QT_WINDOWS_JOBS.
# Run it with nice on a shared machine: the build takes about 20 minutes on 2 cores.
# Installs the packages of "scripts/setup.sh windows"; the source comes through the project's own
# apt configuration (scripts/debian-source.sh), so /etc/apt is left as it is.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
toolchain="$repo/cmake/mingw-w64-x86_64.cmake"
cache_root="${VELKOR_QT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velkor}"
host_cmake_dir=/usr/lib/x86_64-linux-gnu/cmake

tool=build-qt-windows
# shellcheck source=windows-cache.sh
source "$repo/scripts/windows-cache.sh"

# Options for Qt's own configure step. Qt 6.4 spells features FEATURE_x.
# Wintab is cut from Debian's source, hence no tablet events; OpenGL and
# Direct2D stay on because the Windows platform plugin does not build without.
qt_options=(
  -DBUILD_SHARED_LIBS=ON
  -DCMAKE_BUILD_TYPE=Release
  -DQT_BUILD_EXAMPLES=OFF
  -DQT_BUILD_TESTS=OFF
  -DFEATURE_sql=OFF
  -DFEATURE_network=OFF
  -DFEATURE_dbus=OFF
  -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF
  -DFEATURE_xml=OFF
  -DFEATURE_vulkan=OFF
  -DFEATURE_jpeg=OFF
  -DFEATURE_icu=OFF
  -DFEATURE_testlib=ON
  -DFEATURE_tabletevent=OFF
)

configure_qt() { # <source dir> <build dir> <install dir>
  cmake -S "$1" -B "$2" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$3" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake_dir" \
    "${qt_options[@]}"
}

# A build made from the same inputs is the same build. Comments do not count:
# declare -f drops them, and the toolchain file is read without them.
cache_key() {
  {
    printf '%s\n' "${qt_options[@]}"
    declare -f configure_qt
    sed -e 's/^[[:space:]]*#.*//' -e '/^[[:space:]]*$/d' "$toolchain"
  } | sha256sum | cut -c1-12
}

bash "$repo/scripts/setup.sh" windows >&2
start_build qt6-base-dev qt6-base qt6-windows .velkor-qt-complete

rm -rf "$dest"
run_logged "configuring" configure_qt "$work/src" "$work/build" "$dest"
run_logged "compiling (this takes a while)" \
  cmake --build "$work/build" --parallel "${VELKOR_QT_WINDOWS_JOBS:-$(nproc)}"
run_logged "installing" cmake --install "$work/build" --strip

for f in bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Test.dll \
  plugins/platforms/qwindows.dll plugins/platforms/qoffscreen.dll; do
  [ -f "$dest/$f" ] || die "the install lacks $f; full log: $log"
done
printf 'qt6-base %s\n%s\n' "$version" "$(printf '%s\n' "${qt_options[@]}")" >"$stamp"
say "done in $(((SECONDS - start) / 60)) min"
echo "$dest"
