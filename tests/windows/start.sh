#!/bin/bash
# velkor.exe under Wine on Xvfb, in a fresh prefix holding the game's key as its 32-bit installer
# left it: the window comes up; each launch runs the game itself in its folder with the form's
# switches; F1 opens the help window; a second start is turned away; closing saves Velkor.cfg in
# the application data, the same bytes as the Linux build (when named) writes over that prefix.
# Usage: start.sh BUILD-WINDOWS/velkor.exe [LINUX-VELKOR] (77 when the first or Wine is missing).
source "$(dirname "$0")/lib.sh" "$@"
exe=$velkor linux_velkor=${3:-}
under_wine "$exe"

started=$(date +%s%N)
up start "$root" "${env[@]}" || finish
ok "start: the window after $((($(date +%s%N) - started) / 1000000)) ms"

# Each launch in turn, the form changed between them: the game itself (not the decoy at the blank)
# in its folder, with the form's switches.
shown=
while IFS='|' read -r -u 3 name actions switches; do
    rm -f "$root/record" && eval "$actions" && click_launch
    if ! wait_for "[[ -f '$root/record' ]]" 300; then fail "$name: the game did not run" && continue; fi
    mapfile -t record <"$root/record"
    check "$name: the game itself in its folder" '[[ ${record[2]} == "C:\\Program Files\\Bullfrog\\Populous\\HW_SW_Select.exe" && ${record[1]} == "C:\\Program Files\\Bullfrog\\Populous" ]]'
    check "$name: ${record[*]:3}" '[[ "${record[*]:3}" =~ ^$switches$ ]]'
    [[ -n $shown ]] || shown=${record[6]:-}
done 3<<'CASES'
host|type_into 66 361 Bo|/h tcp /boundip [0-9.]+ /nBo
expansion|click_at 214 192|/GAME=UW /h tcp /boundip [0-9.]+ /nBo
join|click_at 214 240; type_into 242 361 127.0.0.1|/GAME=UW /j tcp 127\.0\.0\.1 /nBo
CASES

first=$velkor_pid first_wid=$wid
spawn "$root" "${env[@]}"
box=$wid second=$spawned
check "second start: a message box, not a window" '[[ -n "$box" ]] && ((HEIGHT < 437)) && xdotool windowfocus --sync "$box" key Return'
check "second start: it ends" 'wait_for "! kill -0 $second 2>/dev/null"'
velkor_pid=$first wid=$first_wid
# The help file through Wine's hhctrl.ocx: its window comes up (Debian's Wine draws no page). A
# click on the logo makes the main window the active one again.
click_at 208 60 && xdotool key F1
check "F1: the help window" 'timeout 30 xdotool search --sync --onlyvisible --name "^Velkor Help\$" >/dev/null'
close_velkor
config=$(ls "$root"/prefix/drive_c/users/*/AppData/Roaming/Populous/Velkor/Velkor.cfg 2>/dev/null | head -n1)
check "close: Velkor.cfg in the application data, the address shown in it" '[[ -n "$config" && $(stat -c %s "$config") == 115 && $(field "$config" 63 24) == "${shown:-none}" ]]'

# The Linux build over the same prefix, started and closed alike, writes the same bytes.
if [[ -n ${linux_velkor:-} ]]; then
    velkor=$linux_velkor && mkdir -p "$work/linux" && ln -s "$root/prefix" "$work/linux/prefix"
    up linux "$work/linux" && close_velkor
    check "the Linux build's record, byte for byte" 'cmp "$config" "$(cfg "$work/linux")"'
fi
finish
