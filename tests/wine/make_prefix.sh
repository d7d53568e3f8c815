#!/usr/bin/env bash
# Builds a fresh Wine prefix for the "wine" tests in folder $1 (removed first):
#   $1/prefix     the prefix, made by wineboot, with the game's registry key written by Wine's
#                 own reg.exe the way the 32-bit installer would
#   $1/config     XDG_CONFIG_HOME for the program under test (its settings folder)
#   $1/runtime    XDG_RUNTIME_DIR (its single-instance lock)
# The game's executables are a small recording program (recorder.c) under the names the launcher
# starts. Exits 77 (skipped) when Wine is not installed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dir=${1:?usage: make_prefix.sh FOLDER}

if ! command -v wine >/dev/null || ! command -v wineboot >/dev/null ||
    ! command -v wineserver >/dev/null; then
    echo "Wine is not installed: skipped"
    exit 77
fi
cc=x86_64-w64-mingw32-gcc
command -v $cc >/dev/null || { echo "$cc is missing (package g++-mingw-w64-x86-64)"; exit 1; }

export WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# A server left over from an earlier run would keep the old prefix's registry.
[ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null || true
rm -rf "$dir"
mkdir -p "$dir/config" "$dir/runtime"
chmod 700 "$dir/runtime"

$cc -O2 -s -Wall -Wextra -o "$dir/recorder.exe" "$here/recorder.c"

quiet() { # Wine's launcher complains on stderr about the missing 32-bit half; keep the log short
    "$@" >"$dir/wine.log" 2>&1 || { cat "$dir/wine.log"; return 1; }
}
quiet wineboot --init
wineserver -w
key='HKLM\SOFTWARE\Bullfrog Productions Ltd\Populous: The Beginning'
quiet wine reg add "$key" /v InstallPath /d 'C:\Games\Populous' /reg:32 /f
quiet wine reg add "$key" /v InstallDrive /d 'C:' /reg:32 /f
# The server writes the registry files when it ends; only then are they complete.
wineserver -w
grep -q '^"InstallPath"="C:\\\\Games\\\\Populous"' "$WINEPREFIX/system.reg" ||
    { echo "the game's key did not reach system.reg"; exit 1; }

game="$WINEPREFIX/drive_c/Games/Populous"
mkdir -p "$game"
for exe in HW_SW_Select.exe D3Dpoptb.exe poptb.exe D3DpoptbUW.exe poptbUW.exe; do
    cp "$dir/recorder.exe" "$game/$exe"
done
# The alternative load dialog's default folder, with a blank in its path, and a decoy at the
# first blank: a start that guesses the program from an unquoted prefix would run C:\Program.exe.
bullfrog="$WINEPREFIX/drive_c/Program Files/Bullfrog/Populous"
mkdir -p "$bullfrog"
cp "$dir/recorder.exe" "$bullfrog/D3Dpoptb.exe"
cp "$dir/recorder.exe" "$WINEPREFIX/drive_c/Program.exe"
echo "prefix ready: $WINEPREFIX"
