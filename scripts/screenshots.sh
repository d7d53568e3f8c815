#!/usr/bin/env bash
# Takes the screenshots of Velkor's four main windows for the README and the project site
# (docs/screenshots/*.png): the built program under Xvfb, with a throw-away home and a Wine prefix
# in which the game is installed, driven with xdotool and captured with ImageMagick's import.
# Usage: scripts/screenshots.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
out=docs/screenshots
mkdir -p "$out"

work=$(mktemp -d)
xvfb=""
pid=""
cleanup() {
  local status=$?
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
  exit $status
}
trap cleanup EXIT

# A player's home: the game installed at C:\Games\Populous, and settings from an earlier game
# (name, a router, addresses from the documentation ranges rather than this machine's).
home="$work/home"
prefix="$home/.wine"
mkdir -p "$prefix/drive_c/Games/Populous" "$prefix/dosdevices" "$home/run"
chmod 700 "$home/run"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"
for exe in HW_SW_Select.exe D3Dpoptb.exe poptb.exe D3DpoptbUW.exe poptbUW.exe; do
  : >"$prefix/drive_c/Games/Populous/$exe"
done
cat >"$prefix/system.reg" <<'EOF'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win32

[Software\\Bullfrog Productions Ltd\\Populous: The Beginning] 1796566135
"InstallDrive"="C:\\"
"InstallPath"="C:\\Games\\Populous"
EOF
mkdir -p "$home/.config/Populous/Velkor"
python3 - "$home/.config/Populous/Velkor/Velkor.cfg" <<'EOF'
import sys
image = bytearray(115)
image[2] = 1  # hosting with a router
for k, c in enumerate(b"Aria"):
    image[4 + 2 * k] = c
image[36] = 1  # local address override
image[38:38 + 12] = b"192.168.1.20"
image[88:88 + 11] = b"203.0.113.7"
open(sys.argv[1], "wb").write(image)
EOF

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
display=$(cat "$work/display")
export DISPLAY=":$display"

start() {
  env -u XDG_CONFIG_HOME -u WAYLAND_DISPLAY HOME="$home" XDG_RUNTIME_DIR="$home/run" \
    WINEPREFIX="$prefix" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$build/velkor" >>"$work/output" 2>&1 &
  pid=$!
  main=$(timeout 15 xdotool search --sync --all --onlyvisible --pid "$pid" --name '^Velkor$' | head -1)
  xdotool windowfocus --sync "$main"
  sleep 1
}

stop() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
}

# The first visible window of the program other than the main window, once it has appeared.
dialog() {
  local id
  for _ in $(seq 50); do
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
      [ "$id" != "$main" ] && { echo "$id"; return 0; }
    done
    sleep 0.2
  done
  return 1
}

capture() { # window, file name
  sleep 0.5
  import -window "$1" "$out/$2"
  echo "screenshots: $out/$2 ($(identify -format '%wx%h' "$out/$2"))"
}

missing=()
shoot() { # file name, xdotool keys that open the window
  local name=$1
  shift
  start
  xdotool key --delay 150 "$@"
  if window=$(dialog); then
    capture "$window" "$name"
  else
    missing+=("$name")
    echo "screenshots: no window opened for $name"
  fi
  stop
}

start
capture "$main" main-window.png
stop
shoot options.png ctrl+o
shoot alternative-load.png ctrl+t
shoot about.png alt+h a

if [ ${#missing[@]} -gt 0 ]; then
  echo "screenshots: missing ${missing[*]}; the program said:"
  cat "$work/output"
  exit 1
fi
