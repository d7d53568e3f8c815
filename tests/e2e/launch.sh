#!/bin/bash
# A long InstallPath or a relative WINEPREFIX does not stop a start; F1 on an unreadable help file warns.
source "$(dirname "$0")/lib.sh" "$@"
root=$work/long && make_prefix "$root/prefix" win32
python3 -c 'import sys; s = open(sys.argv[1]).read(); open(sys.argv[1], "w").write(s.replace("Populous\"\n", "Populous" + "\\\\Map" * 2**17 + "\"\n"))' "$root/prefix/system.reg"
up long "$root" && ok "long InstallPath: the window came up" && close_velkor
# A relative WINEPREFIX holds for the start folder, also once the load has moved into the game's.
root=$work/relative && make_prefix "$root/prefix" win64 && up relative "$root" WINEPREFIX=../prefix &&
    type_into 66 361 Rel && click_launch && expect_run relative "$game" '</h> <tcp> </boundip> (<[0-9.]+> )?</nRel>'
stop_velkor

mkdir -p "$work/program" && cp "$velkor" "$work/program" && velkor=$work/program/${velkor##*/} help=$work/program/velkorhelp.chm
make_prefix "$work/help/prefix" win32 && up help "$work/help" || finish
for plant in 'head -c 4096 /dev/urandom >"$help"' ': >"$help"' 'mkfifo "$help"' 'ln -s /dev/zero "$help"'; do
    rm -f "$help" && eval "$plant" && xdotool windowfocus --sync "$wid" key F1
    check "F1 after $plant: the warning, then nothing" 'dialog "HTML Help Class" >/dev/null && xdotool key Return && gone "HTML Help Class"'
done
check "F1: the program runs on" alive
close_velkor
finish
