#!/bin/bash
# Starts under Xvfb: the recording game gets the form's switches in its folder, never the decoy;
# FIFO hives or a long InstallPath do not stop a start; F1 on an unreadable help file warns.
source "$(dirname "$0")/lib.sh" "$@"
while IFS='|' read -r -u 3 name arch set_up actions pattern; do
    root=$work/$name env=() && make_prefix "$root/prefix" $arch && eval "$set_up"
    up "$name" "$root" "${env[@]}" || continue
    if [[ -z $pattern ]]; then ok "$name: the window came up" && close_velkor && continue; fi
    eval "$actions" && click_launch
    expect_run "$name" "$game" "$pattern"
    check "$name: no decoy ran" '! ls "$root"/prefix/drive_c/{,Wrong/}*.args 2>/dev/null'
    stop_velkor
done 3<<'CASES'
join|win64||click_at 214 240; type_into 242 361 127.0.0.1; type_into 66 361 'A;rm -rf ~ $(id)'|</j> <tcp> <127\.0\.0\.1> </nA;rm> <-rf> <~> <\$\(id\)>
relative|win64|env=(WINEPREFIX=../prefix)|type_into 66 361 Rel|</h> <tcp> </boundip> (<[0-9.]+> )?</nRel>
fifo hives|win64|for h in system user userdef; do rm -f "$root/prefix/$h.reg"; mkfifo "$root/prefix/$h.reg"; done
long InstallPath|win32|python3 -c 'import sys; s = open(sys.argv[1]).read(); open(sys.argv[1], "w").write(s.replace("Populous\"\n", "Populous" + "\\\\Map" * 2**17 + "\"\n"))' "$root/prefix/system.reg"
CASES

# A help file beside a copy of the program, F1 each time.
mkdir -p "$work/program" && cp "$velkor" "$work/program" && velkor=$work/program/${velkor##*/} help=$work/program/velkorhelp.chm
make_prefix "$work/help/prefix" win32 && up help "$work/help" || finish
for plant in 'head -c 4096 /dev/urandom >"$help"' ': >"$help"' 'mkfifo "$help"' 'ln -s /dev/zero "$help"'; do
    rm -f "$help" && eval "$plant"
    xdotool windowfocus --sync "$wid" key F1
    check "F1 after $plant: the warning, then nothing" 'dialog "HTML Help Class" >/dev/null && xdotool key Return && gone "HTML Help Class"'
done
check "F1: the program runs on" alive
close_velkor
finish
