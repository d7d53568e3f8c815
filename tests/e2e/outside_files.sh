#!/bin/bash
# End-to-end: files that others put in place. FIFOs and /dev/zero as the registry files and the
# help file must neither hang nor abort the program, F1 with a help file that cannot be read
# shows the help class's warning, a relative WINEPREFIX still reaches the game once the current
# folder has moved, and a very long InstallPath does not stall the start.
# Usage: outside_files.sh VELKOR
source "$(dirname "$0")/lib.sh" "$@"

# started NAME ROOT [ENV...]: starts the program and reports whether its window appeared.
started() {
    local name=$1
    shift
    if start_velkor "$@"; then ok "$name: the window appeared"; return 0; fi
    fail "$name: the main window did not appear"
    stop_velkor
    return 1
}

# Registry files that are no regular files: the registry is empty, the start goes on.
for kind in fifo zero; do
    root="$work/hive-$kind"
    make_prefix "$root/prefix" win64
    for hive in system.reg user.reg userdef.reg; do
        rm -f "$root/prefix/$hive"
        if [[ $kind == fifo ]]; then mkfifo "$root/prefix/$hive"; else ln -s /dev/zero "$root/prefix/$hive"; fi
    done
    started "$kind as the registry files" "$root" && close_velkor
done

# F1 with a help file beside the program that cannot be read: the warning, then nothing else.
prog="$work/program"
mkdir -p "$prog"
cp "$velkor" "$prog/velkor"
velkor="$prog/velkor"
root="$work/help"
make_prefix "$root/prefix" win32
if started "help file" "$root"; then
    for kind in damaged empty fifo zero; do
        rm -f "$prog/velkorhelp.chm"
        case $kind in
        damaged) head -c 4096 /dev/urandom >"$prog/velkorhelp.chm" ;;
        empty) : >"$prog/velkorhelp.chm" ;;
        fifo) mkfifo "$prog/velkorhelp.chm" ;;
        zero) ln -s /dev/zero "$prog/velkorhelp.chm" ;;
        esac
        xdotool windowfocus --sync "$wid" key F1
        box=$(timeout 10 xdotool search --sync --onlyvisible --name '^HTML Help Class$' | head -n1)
        if [[ -n "$box" ]]; then
            ok "F1, $kind help file: the warning"
            xdotool windowfocus --sync "$box" key Return
            wait_for "! xdotool search --onlyvisible --name '^HTML Help Class$' >/dev/null" ||
                fail "F1, $kind help file: the warning did not close"
        else
            fail "F1, $kind help file: no warning"
        fi
    done
    kill -0 "$velkor_pid" 2>/dev/null || fail "the program ended on F1"
    close_velkor
fi

# A relative WINEPREFIX, taken against the start folder: the game still starts in its folder.
root="$work/relative"
make_prefix "$root/prefix" win64
game="$root/prefix/drive_c/Program Files/Bullfrog/Populous"
if started "relative WINEPREFIX" "$root" WINEPREFIX=../prefix; then
    type_into 66 361 "Rel"
    click_launch
    if read_args "$game/HW_SW_Select.exe"; then
        [[ "$(realpath "$ran_in")" == "$(realpath "$game")" ]] && ok "relative WINEPREFIX: ran in the game's folder" ||
            fail "relative WINEPREFIX: ran in $ran_in"
    else
        fail "relative WINEPREFIX: the game was not started"
    fi
    stop_velkor
fi

# An InstallPath of 2^17 components: the window still comes up.
root="$work/long"
make_prefix "$root/prefix" win32
awk '/^"InstallPath"=/ { s = "\\\\Map"; for (i = 0; i < 17; i++) s = s s; $0 = substr($0, 1, length($0) - 1) s "\"" } 1' \
    "$root/prefix/system.reg" >"$root/system.reg" && mv "$root/system.reg" "$root/prefix/system.reg"
started "long InstallPath" "$root" && close_velkor

finish
