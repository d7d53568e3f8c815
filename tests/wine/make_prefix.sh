#!/usr/bin/env bash
# A fresh prefix in $1: the game's key as the 32-bit installer writes it, the recorder as the game;
# with --fonts, Wine's own fonts (Debian's fonts-wine) in its Fonts folder, where Windows has its.
set -euo pipefail
dir=${1:?usage: make_prefix.sh FOLDER [--fonts]} fonts=/usr/share/wine/fonts
[[ ${2:-} != --fonts || -f $fonts/sserife.fon ]] || { echo "no Wine fonts in $fonts: install fonts-wine (scripts/setup.sh windows)"; exit 1; }
command -v wine >/dev/null && command -v wineserver >/dev/null || { echo "Wine is not installed: skipped"; exit 77; }
export WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null || true # an old server keeps the old registry
rm -rf "$dir" && mkdir -p "$dir/config" && mkdir -p -m 700 "$dir/runtime"
game="$WINEPREFIX/drive_c/Program Files/Bullfrog/Populous" && mkdir -p "$game"
x86_64-w64-mingw32-gcc -O2 -s -Wall -Wextra -o "$game/HW_SW_Select.exe" "$(dirname "$0")/recorder.c"
key='HKLM\SOFTWARE\Bullfrog Productions Ltd\Populous: The Beginning'
{ wineboot --init && wine reg add "$key" /v InstallPath /d 'C:\Program Files\Bullfrog\Populous' /reg:32 /f &&
    wine reg add "$key" /v InstallDrive /d 'C:' /reg:32 /f; } >"$dir/wine.log" 2>&1 || { cat "$dir/wine.log"; exit 1; }
cp "$game/HW_SW_Select.exe" "$WINEPREFIX/drive_c/Program.exe"
[[ ${2:-} != --fonts ]] || cp "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"
wineserver -w # the registry files are complete once the server has ended
