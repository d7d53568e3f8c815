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
# Run it with nice on a shared machine: the build takes half an hour on 2 cores.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
toolchain="$repo/cmake/mingw-w64-x86_64.cmake"
cache_root="${VELKOR_QT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velkor}"
host_cmake_dir=/usr/lib/x86_64-linux-gnu/cmake

say() { echo "build-qt-windows: $*" >&2; }
die() {
  say "$*"
  exit 1
}

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

install_missing_packages() {
  local packages=(
    cmake ninja-build perl xz-utils dpkg-dev
    qt6-base-dev qt6-base-dev-tools
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    nsis # not for Qt: the program's installer, made by scripts/build-windows.sh after this
  )
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  $sudo apt-get update -qq >&2
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

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

# The source lists this machine already uses for binaries, as source lists.
deb_src_entry() {
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    # Stanzas whose Types include "deb", copied with Types set to deb-src.
    awk 'BEGIN { RS = "" }
      {
        n = split($0, lines, "\n"); out = ""; binary = 0; enabled = 1
        for (i = 1; i <= n; i++) {
          line = lines[i]
          if (line ~ /^#/) continue
          if (tolower(line) ~ /^types:/) {
            if (line ~ /[: \t]deb([ \t]|$)/) binary = 1
            line = "Types: deb-src"
          }
          if (tolower(line) ~ /^enabled:[ \t]*no/) enabled = 0
          out = out line "\n"
        }
        if (binary && enabled) printf "%s\n", out
      }' /etc/apt/sources.list.d/debian.sources | sed -e '${/^$/d}'
  elif [ -f /etc/apt/sources.list ]; then
    sed -n -e 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list
  fi
}

source_available() { # <version>
  apt-cache showsrc qt6-base 2>/dev/null | grep -qx "Version: $1"
}

enable_debian_sources() { # <version>
  source_available "$1" && return 0
  local format=sources
  [ -f /etc/apt/sources.list.d/debian.sources ] || format=list
  local file="/etc/apt/sources.list.d/velkor-deb-src.$format" entry
  entry=$(deb_src_entry)
  [ -n "$entry" ] || die "no Debian entry found in /etc/apt/sources.list.d/debian.sources or /etc/apt/sources.list"
  if [ "$(cat "$file" 2>/dev/null)" != "$entry" ]; then
    say "adding source lists in $file"
    printf '%s\n' "$entry" | $sudo tee "$file" >/dev/null
  fi
  $sudo apt-get update -qq >&2
  source_available "$1" || die "Debian no longer offers the source of qt6-base $1; update qt6-base-dev and run again"
}

run_logged() { # <what> <command...>
  local what=$1
  shift
  say "$what"
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    die "$what failed; full log: $log"
  fi
}

install_missing_packages
version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
[ -n "$version" ] || die "cannot tell the installed qt6-base-dev version"
name="qt6-windows-$version-$(cache_key)"
dest="$cache_root/$name"
stamp="$dest/.velkor-qt-complete"

if [ -f "$stamp" ]; then
  echo "$dest"
  exit 0
fi

mkdir -p "$cache_root"
# One build per folder at a time; a second caller waits and then reuses it.
exec 9>"$cache_root/.$name.lock"
if ! flock -n 9; then
  say "another build of $name is running; waiting for it"
  flock 9
fi
if [ -f "$stamp" ]; then
  echo "$dest"
  exit 0
fi

log="$cache_root/$name.log"
: >"$log"
work=$(mktemp -d "${TMPDIR:-/tmp}/velkor-qt-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP
start=$SECONDS
say "building Qt $version for Windows into $dest (log: $log)"

enable_debian_sources "$version"
cd "$work"
run_logged "fetching the source of qt6-base $version" \
  apt-get source --download-only qt6-base="$version"
# dpkg-source applies Debian's patches, security fixes included.
run_logged "unpacking" dpkg-source -x ./qt6-base_*.dsc src
rm -f ./*.tar.* ./*.dsc

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
