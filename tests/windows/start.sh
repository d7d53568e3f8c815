#!/bin/bash
# velkor.exe under Wine on Xvfb, in a fresh prefix holding the game's key as its 32-bit installer
# left it: three launches and the alternative load run the chosen program in its folder with the
# form's switches; F1 opens the help window; a second instance is turned away; Velkor.cfg is read
# back by a second start, and the Linux build (when named) writes the same bytes over that prefix.
# Usage: start.sh BUILD-WINDOWS/velkor.exe [LINUX-VELKOR] (77 when the first or Wine is missing).
source "$(dirname "$0")/lib.sh" "$@"
exe=$velkor linux_velkor=${3:-}
under_wine "$exe"

# The external address as stored settings give it, the same start for the Linux build below.
seed() { record "$1" 88:203.0.113.7; }
seed "$(echo "$root"/prefix/drive_c/users/*/AppData/Roaming)/Populous/Velkor/Velkor.cfg"
# No router in here: the port is left alone, as the router's own tests cover it.
echo OpenPortWhenHosting=0 >"$(echo "$root"/prefix/drive_c/users/*/AppData/Roaming)/Populous/Velkor/VelkorRouter.cfg"
started=$(date +%s%N)
up start "$root" "${env[@]}" || finish
ok "start: the window after $((($(date +%s%N) - started) / 1000000)) ms"

# Launches in turn, the form changed between them: the game itself (not the decoy at the blank)
# in its folder, with the form's switches; the external address is the stored one.
shown=
while IFS='|' read -r -u 3 name actions switches; do
    rm -f "$root/record" && eval "$actions" && click_launch
    expect_game "$name" 'C:\Program Files\Bullfrog\Populous\HW_SW_Select.exe' "$switches"
    [[ -n $shown ]] || shown=${record[6]:-}
done 3<<'CASES'
host|type_into 66 361 Bo|/h tcp /boundip [0-9.]+ /nBo
expansion join|click_at 214 240; type_into 242 361 127.0.0.1; click_at 214 192|/GAME=UW /j tcp 127\.0\.0\.1 /nBo
expansion host with router|click_at 66 240; click_at 214 288|/GAME=UW /h tcp /boundip [0-9.]+ /externip 203\.0\.113\.7 /nBo
CASES

# The manual load from a folder chosen in the picker by keys (Tab to its folder list, Home to C:\,
# Enter opens, the name selects, Enter opens, Tab to OK), with the software program: that copy
# runs there with the form's switches, the expansion named by the program, not by /GAME=UW. A
# click on the logo makes the main window the active one for keys, here and for F1 below, once
# Wine has done handing the focus to the game just started (a second is plenty).
rm -f "$root/record" && mkdir "$root/prefix/drive_c/Manual"
cp "$root/prefix/drive_c/Program.exe" "$root/prefix/drive_c/Manual/poptbUW.exe"
sleep 1 && click_at 208 60 && xdotool key ctrl+t
if aid=$(dialog "Alternative Load"); then
    click_in "$aid" 303 97 # &Browse
    dialog "Locate Populous Directory" >/dev/null && xdotool key Tab Tab Tab Home Return &&
        xdotool type --delay 40 Manual && xdotool key Return Tab Return && gone "Locate Populous Directory"
    xdotool windowfocus --sync "$aid" && click_in "$aid" 40 136 && click_in "$aid" 264 180 # Software, OK
    expect_game "manual load" 'C:\Manual\poptbUW.exe' '/h tcp /boundip [0-9.]+ /externip 203\.0\.113\.7 /nBo'
else fail "ctrl+t: no alternative load dialog"; fi

first=$velkor_pid first_wid=$wid
spawn "$root" "${env[@]}"
box=$wid second=$spawned
check "second start: a message box, not a window" '[[ -n "$box" ]] && ((HEIGHT < 437)) && xdotool windowfocus --sync "$box" key Return'
check "second start: it ends" 'wait_for "! kill -0 $second 2>/dev/null"'
velkor_pid=$first wid=$first_wid
# The help file through Wine's hhctrl.ocx: its window comes up (Debian's Wine draws no page).
click_at 208 60 && xdotool key F1
check "F1: the help window" 'timeout 30 xdotool search --sync --onlyvisible --name "^Velkor Help\$" >/dev/null'
close_velkor
config=$(ls "$root"/prefix/drive_c/users/*/AppData/Roaming/Populous/Velkor/Velkor.cfg 2>/dev/null | head -n1)
check "close: Velkor.cfg in the application data, the address shown in it" '[[ -n "$config" && $(stat -c %s "$config") == 115 && $(field "$config" 63 24) == "${shown:-none}" ]]'
# A second start reads back what the first wrote: the external address (the name is not kept).
rm -f "$root/record"
if up again "$root" "${env[@]}"; then
    type_into 66 361 Bo && click_at 214 288 && click_launch
    expect_game "second start" 'C:\Program Files\Bullfrog\Populous\HW_SW_Select.exe' \
        '/h tcp /boundip [0-9.]+ /externip 203\.0\.113\.7 /nBo'
    close_velkor
fi

# The Linux build over the same prefix, started and closed alike, writes the same bytes.
if [[ -n ${linux_velkor:-} ]]; then
    velkor=$linux_velkor && mkdir -p "$work/linux" && ln -s "$root/prefix" "$work/linux/prefix" && seed "$(cfg "$work/linux")"
    up linux "$work/linux" && close_velkor
    check "the Linux build's record, byte for byte" 'cmp "$config" "$(cfg "$work/linux")"'
fi
finish
