#!/bin/bash
# End-to-end launch: runs the built program on a virtual X screen with a fake Wine prefix whose
# registry names a folder under "C:\Program Files" holding a game script that records its
# arguments, types a name, clicks "&Launch Game" and checks what the game received.
# Usage: launch.sh VELKOR
source "$(dirname "$0")/lib.sh" "$@"

# run_velkor NAME ARCH ACTIONS...: starts the program with a fresh prefix and settings, runs the
# actions, clicks "&Launch Game" and leaves the recorded arguments in $args.
run_velkor() {
    local name=$1 root="$work/$1"
    make_prefix "$root/prefix" "$2"
    shift 2
    args=()
    local game="$root/prefix/drive_c/Program Files/Bullfrog/Populous" action
    start_velkor "$root" || { fail "$name: the main window did not appear"; return; }
    for action in "$@"; do eval "$action"; done
    click_launch
    if read_args "$game/HW_SW_Select.exe"; then
        [[ "$(realpath "$ran_in")" == "$(realpath "$game")" ]] || fail "$name: ran in $ran_in"
    else
        fail "$name: the game was not started"
    fi
    [[ -e "$root/prefix/drive_c/Program.exe.args" ]] && fail "$name: the decoy C:\\Program.exe ran"
    [[ -e "$root/prefix/drive_c/Wrong/HW_SW_Select.exe.args" ]] && fail "$name: the 64-bit key"
    stop_velkor
}

# Joining, 64-bit prefix: the join address and a name with shell characters arrive as data.
run_velkor join win64 'click_at 214 240' 'type_into 242 361 "127.0.0.1"' \
    'type_into 66 361 "A;rm -rf ~ \$(id)"'
expect_args join '</j> <tcp> <127\.0\.0\.1> </nA;rm> <-rf> <~> <\$\(id\)>'

# Hosting the expansion, 32-bit prefix: the address is whatever the machine has first.
run_velkor host win32 'click_at 214 192' 'type_into 66 361 "Bo"'
expect_args host '</GAME=UW> </h> <tcp> </boundip> (<[0-9.]+> )?</nBo>'

finish
