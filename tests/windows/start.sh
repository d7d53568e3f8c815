#!/bin/bash
# velkor.exe under Wine on Xvfb: launches, manual load, F1, one instance, Velkor.cfg. Usage: start.sh VELKOR.EXE [LINUX-VELKOR]
source "$(dirname "$0")/lib.sh" "$@"
linux_velkor=${3:-} shown= && under_wine "$velkor"
# No router in here: the port is left alone, as the router's own tests cover it.
record "$appdata/Velkor.cfg" 88:203.0.113.7 && echo OpenPortWhenHosting=0 >"$appdata/VelkorRouter.cfg"
up start "$root" "${env[@]}" || finish

# Launches in turn, the form changed between them, each step waiting for what it does (the switches: test_launch).
name_typed() { click $((client_x + 66)) $((client_y + 361)) && xdotool type --delay 40 Bo; }
while IFS='|' read -r -u 3 name actions switches; do
    rm -f "$root/record" && eval "$actions" && click $((client_x + 208)) $((client_y + 420)) # &Launch Game
    expect_game "$name" 'C:\Program Files\Bullfrog\Populous\HW_SW_Select.exe' "$switches"
    [[ -n $shown ]] || shown=${record[6]:-}
done 3<<'CASES'
host|until_state "ink $wid $((WIDTH - 417 + 20)) $((HEIGHT - 437 + 356)) 40 12" name_typed|/h tcp /boundip [0-9.]+ /nBo
expansion host with router|choose 214 192 && choose 214 288|/GAME=UW /h tcp /boundip [0-9.]+ /externip 203\.0\.113\.7 /nBo
CASES

# The manual load, its folder picked by keys: that program runs, no /GAME=UW.
rm -f "$root/record" && mkdir "$root/prefix/drive_c/Manual" && cp "$root/prefix/drive_c/Program.exe" "$_/poptbUW.exe"
if until_state 'on_screen "Alternative Load"' keys_to_main ctrl+t && aid=$(dialog "Alternative Load"); then
    until_state 'on_screen "Locate Populous Directory"' click 303 97 "$aid" && # &Browse
        dialog "Locate Populous Directory" >/dev/null && xdotool key Tab Tab Tab Home Return &&
        xdotool type --delay 40 Manual && xdotool key Return Tab Return && gone "Locate Populous Directory"
    xdotool windowfocus --sync "$aid" && choose 22 136 "$aid" && click 264 180 "$aid" # Software, OK
    expect_game "manual load" 'C:\Manual\poptbUW.exe' '/h tcp /boundip [0-9.]+ /externip 203\.0\.113\.7 /nBo'
else fail "ctrl+t: no alternative load dialog"; fi

second_start "$root" "${env[@]}"
# The help file through Wine's hhctrl.ocx: its window comes up (Debian's Wine draws no page).
check "F1: the help window" 'until_state -t 300 "on_screen \"Velkor Help\"" keys_to_main F1'
close_velkor && config=$appdata/Velkor.cfg
check "close: Velkor.cfg in the application data, the address shown in it" '[[ $(stat -c %s "$config") == 115 && $(field "$config" 63 24) == "${shown:-none}" ]]'

if [[ -n ${linux_velkor:-} ]]; then
    velkor=$linux_velkor && mkdir -p "$work/linux" && ln -s "$root/prefix" "$work/linux/prefix" && record "$(cfg "$work/linux")" 88:203.0.113.7
    up linux "$work/linux" && close_velkor
    check "the Linux build's record, byte for byte" 'cmp "$config" "$(cfg "$work/linux")"'
fi
finish
