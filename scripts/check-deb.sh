#!/usr/bin/env bash
# Installs Velkor's Debian package on this machine, starts the installed program, then purges the
# package and checks that nothing of it is left but the player's settings.
# This changes the system (it needs root or sudo): scripts/test.sh runs it, meant for a throwaway
# or CI machine. A velkor package that is already installed is left alone and the check skipped.
# Usage: scripts/check-deb.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")

apt=(env DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o DPkg::Lock::Timeout=300)
[ "$(id -u)" -ne 0 ] && apt=(sudo "${apt[@]}")

installed() { dpkg-query -W -f='${db:Status-Abbrev}' velkor 2>/dev/null | grep -q '^.[^n]'; }
if installed; then
  echo "check-deb: skipped, a velkor package is installed already (apt-get remove --purge velkor)"
  exit 0
fi

work=$(mktemp -d)
pid=""
cleanup() {
  local status=$?
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  installed && "${apt[@]}" remove --purge velkor >/dev/null
  rm -rf "$work"
  exit $status
}
trap cleanup EXIT

passed=0
failed=0
check() { # description, then the command that must succeed
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "check-deb: FAIL: $what"
  fi
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null
deb=("$work"/package/velkor_*.deb)
echo "check-deb: installing ${deb[0]##*/}"
"${apt[@]}" install --no-install-recommends "${deb[0]}" >/dev/null
check "the package is installed" installed
dpkg -L velkor >"$work/files"
# A player's PATH on Debian, where the programs of section games are.
user_path=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games
check "velkor is on a player's PATH" test "$(PATH=$user_path command -v velkor)" = /usr/games/velkor
# The copyright file sends the reader to the licences' texts in this system's common-licenses.
copyright=/usr/share/doc/velkor/copyright
check "the copyright file is installed" grep -q '^License: GPL-3+$' "$copyright"
for text in $(grep -o '/usr/share/common-licenses/[A-Za-z0-9.+-]*' "$copyright" 2>/dev/null); do
  check "the licence text $text is on the system" test -s "$text"
done

# A player who has played before: settings from an earlier run, which the purge must not touch.
home="$work/home"
settings="$home/.config/Populous/Velkor"
mkdir -p "$settings" "$home/run" "$home/prefix"
chmod 700 "$home/run"
head -c 115 /dev/zero >"$settings/Velkor.cfg"

env -u XDG_CONFIG_HOME -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_RUNTIME_DIR="$home/run" \
  WINEPREFIX="$home/prefix" QT_QPA_PLATFORM=offscreen PATH="$user_path" velkor >"$work/output" 2>&1 &
pid=$!
alive=1
for _ in 1 2 3 4 5; do
  sleep 1
  kill -0 "$pid" 2>/dev/null || { alive=0; break; }
done
check "velkor still runs 5 s after starting (output: $(cat "$work/output"))" test $alive = 1
# Qt takes the program's folder, where the help file is, from /proc/self/exe: past the symlink.
exe=$(readlink "/proc/$pid/exe" || true)
check "velkor runs as /usr/libexec/velkor/velkor, not $exe" test "$exe" = /usr/libexec/velkor/velkor
check "the help file is in the program's folder" test -f /usr/libexec/velkor/velkorhelp.chm
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
pid=""

cp -a "$home/.config" "$work/config-before"
"${apt[@]}" remove --purge velkor >/dev/null
check "the package is gone after the purge" bash -c '! dpkg-query -W velkor >/dev/null 2>&1'
left=0
while IFS= read -r path; do
  [ "$path" = /. ] && continue
  if [ -d "$path" ] && [ ! -L "$path" ]; then
    # A folder may stay only as another package's.
    if ! dpkg -S "$path" >/dev/null 2>&1; then
      echo "check-deb: left behind: folder $path ($(ls -A "$path" | head -3 | tr '\n' ' '))"
      left=1
    fi
  elif [ -e "$path" ] || [ -L "$path" ]; then
    echo "check-deb: left behind: $path"
    left=1
  fi
done <"$work/files"
check "nothing of the package is left" test $left = 0
check "the player's settings are kept" diff -r "$work/config-before" "$home/.config"

echo "check-deb: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
