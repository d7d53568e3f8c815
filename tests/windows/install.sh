#!/bin/bash
# The silent installer and uninstaller under Wine, against the zip. Usage: install.sh SETUP.EXE ZIP
source "$(dirname "$0")/lib.sh" "$@"
setup=$velkor zip=$3 folder="$root/prefix/drive_c/Program Files/Velkor"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velkor'
in_prefix() { (export WINEPREFIX=$root/prefix HOME=$root/home && mkdir -p "$HOME" && "$@") 2>>"$root/wine.log"; }
has_key() { in_prefix wine reg query "$key" /reg:64 >/dev/null; }
shortcut() { find "$root/prefix/drive_c" -name Velkor.lnk | grep -q .; }

check "install: silent, done, the firewall's helper beside the program" \
    'in_prefix wine "$setup" /S >/dev/null && [[ -f $folder/velkor.exe && -f $folder/velkor-firewall.exe ]]'
check "install: a Start-menu entry, an uninstall entry" 'shortcut && has_key'
# Add/Remove Programs shows who made it and its size, which is what the folder holds (in KiB).
entry=$(in_prefix wine reg query "$key" /reg:64 | tr -d '\r')
size=$(grep -o 'EstimatedSize *REG_DWORD *0x[0-9a-f]*' <<<"$entry" | grep -o '0x.*')
bytes=$(find "$folder" -type f -printf '%s\n' | awk '{ n += $1 } END { print n }')
check "install: the entry's publisher and size ($((size)) KiB of $bytes bytes)" \
    '[[ $entry == *"Publisher    REG_SZ    Velkor developers"* ]] && ((size > 0 && (size - bytes / 1024) ** 2 <= 4))'
zipped=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip" | grep -v '/$' | sort)
installed=$(cd "$folder" && find . -type f ! -name uninstall.exe | sed 's|^\./||' | sort)
name=$(basename "$zip" -windows.zip)
check "the zip: the installed files in $name/, no tests" \
    '[[ $zipped == "$(sed "s|^|$name/|" <<<"$installed")" && $zipped != *[Tt]est* && $zipped != *offscreen* ]]'
# The licences go with the program: Velkor's, Qt's, and those of miniupnpc and libnatpmp, linked in.
for licence in LICENSE.txt LGPL-3.txt LICENSE-miniupnpc.txt LICENSE-libnatpmp.txt; do
    check "the licences: $licence in the zip and installed" 'grep -qxF "$name/$licence" <<<"$zipped" && [[ -s $folder/$licence ]]'
done
for licence in miniupnpc libnatpmp; do
    check "the licences: $licence's is its BSD licence" \
        'grep -q "^BSD 3-Clause License" "$folder/LICENSE-$licence.txt" && grep -q "Thomas BERNARD" "$folder/LICENSE-$licence.txt"'
done

# Its window comes up (a launch itself: start.sh); closing it saves the settings.
under_wine "$folder/velkor.exe" && up installed "$root" && close_velkor
# The uninstaller copies itself away and returns at once: its end is the folder's going.
in_prefix wine "$folder/uninstall.exe" /S >/dev/null
check "uninstall: the program's folder gone" 'wait_for "[[ ! -e \"$folder\" ]]" 600'
check "uninstall: no Start-menu entry, no uninstall entry" '! shortcut && ! has_key'
check "uninstall: the settings kept" '[[ -f $appdata/Velkor.cfg ]]'
finish
