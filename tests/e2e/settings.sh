#!/bin/bash
# End-to-end settings file: the built program on a virtual X screen saves on a first start whose
# ~/.config does not exist, tells the player when a save fails (full disk, a FIFO as the file)
# and loses nothing, never waits on a FIFO at start-up, and hosts with an address when the
# saved address index is beyond the detected list.
# Usage: settings.sh VELKOR
source "$(dirname "$0")/lib.sh" "$@"

mounted=()
trap 'stop_velkor; for m in "${mounted[@]}"; do umount "$m"; done; rm -rf "$work"' EXIT

# settings_image FILE INDEX LOCAL_ADDRESS: a 115-byte record with the name "Keeper", the local
# address and its list index.
settings_image() {
    mkdir -p "$(dirname "$1")"
    python3 - "$@" <<'PY'
import sys
path, index, local = sys.argv[1], int(sys.argv[2]), sys.argv[3].encode()
image = bytearray(115)
for k, c in enumerate(b"Keeper"):
    image[4 + 2 * k] = c
image[63:63 + len(local)] = local
image[113] = index
open(path, "wb").write(image)
PY
}
field() { # FILE OFFSET LENGTH [STEP]: a text field of the record, NUL bytes dropped
    python3 - "$1" "$2" "$3" "${4:-1}" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
offset, length, step = map(int, sys.argv[2:5])
print(data[offset:offset + length * step:step].replace(b"\0", b"").decode("latin-1"))
PY
}

# close_expecting_box NAME: closes the main window; the save must put up a message box titled
# "Velkor" (its text cannot be read from outside under Linux) that holds the program until it is
# answered.
close_expecting_box() {
    local box=
    close_window "$wid"
    wait_for 'box=$(xdotool search --onlyvisible --pid "$velkor_pid" --name "^Velkor$" |
        grep -vx "$wid" | head -n1); [[ -n "$box" ]]'
    if [[ -z "$box" ]]; then
        fail "$1: no message box"
    elif kill -0 "$velkor_pid" 2>/dev/null; then
        ok "$1: a message box titled Velkor"
        xdotool windowfocus --sync "$box" 2>/dev/null
        xdotool key Return
    fi
    wait_for "! kill -0 $velkor_pid 2>/dev/null" || fail "$1: the program did not end"
    stop_velkor
}
# close_expecting_no_box NAME: closes the main window; the program must end on its own.
close_expecting_no_box() {
    close_window "$wid"
    wait_for "! kill -0 $velkor_pid 2>/dev/null" || fail "$1: the program did not end (a message?)"
    stop_velkor
}

# A first start with XDG_CONFIG_HOME several levels below anything that exists.
root=$work/first
make_prefix "$root/prefix" win32
config=$root/not/yet/there/config
if start_velkor "$root" XDG_CONFIG_HOME="$config"; then
    close_expecting_no_box first
    cfg=$config/Populous/Velkor/Velkor.cfg
    if [[ -f "$cfg" && $(stat -c %s "$cfg") == 115 ]]; then
        ok "first start saved"
    else
        fail "first start: no Velkor.cfg"
    fi
else
    fail "first start: the main window did not appear"
    stop_velkor
fi

# A FIFO in place of Velkor.cfg: start-up does not wait on it, the save says it cannot write.
root=$work/fifo
make_prefix "$root/prefix" win32
mkdir -p "$root/config/Populous/Velkor"
mkfifo "$root/config/Populous/Velkor/Velkor.cfg"
if start_velkor "$root"; then
    ok "fifo: the window came up"
    close_expecting_box fifo
    [[ -p "$root/config/Populous/Velkor/Velkor.cfg" ]] || fail "fifo: the FIFO was replaced"
else
    fail "fifo: start-up hung"
    stop_velkor
fi

# A saved index beyond the detected list and a saved address the machine no longer has: the
# game gets an address after /boundip (the first detected one, or the saved one when the
# machine has none), and closing saves that address.
root=$work/index
make_prefix "$root/prefix" win32
settings_image "$root/config/Populous/Velkor/Velkor.cfg" 200 198.51.100.77
if start_velkor "$root"; then
    click_launch
    if read_args "$root/prefix/drive_c/Program Files/Bullfrog/Populous/HW_SW_Select.exe"; then
        expect_args index '</h> <tcp> </boundip> <[0-9.]+> </nKeeper>'
    else
        fail "index: the game was not started"
    fi
    shown=${args[3]:-}
    shown=${shown#<} shown=${shown%>}
    close_expecting_no_box index
    cfg=$root/config/Populous/Velkor/Velkor.cfg
    saved=$(field "$cfg" 63 24)
    if [[ -n "$shown" && "$saved" == "$shown" ]]; then
        ok "index: saved $saved"
    else
        fail "index: saved '$saved', shown '$shown'"
    fi
    [[ $(field "$cfg" 4 16 2) == Keeper ]] || fail "index: the name was lost"
else
    fail "index: the main window did not appear"
    stop_velkor
fi

# A full disk: a small tmpfs filled up where mounting is allowed; else, once the window is up
# (the single-instance lock is written by then), a file size limit of 0 on the program with
# SIGXFSZ ignored, so that every write that would put a byte into a file fails.
# full_disk NAME SETUP: SETUP prepares $root/config before the disk fills; sets $mode.
full_disk() {
    local name=$1 setup=$2
    root=$work/$name
    make_prefix "$root/prefix" win32
    mkdir -p "$root/config"
    if mount -t tmpfs -o size=64k tmpfs "$root/config" 2>/dev/null; then
        mounted+=("$root/config")
        mode=tmpfs
        eval "$setup"
        yes >"$root/config/filler" 2>/dev/null # until the disk is full
        (($(df --output=avail "$root/config" | tail -n1) == 0)) ||
            fail "$name: the disk is not full"
    else
        mode=limit
        eval "$setup"
        trap '' XFSZ # inherited by the program
    fi
    start_velkor "$root"
    local started=$?
    trap - XFSZ
    if ((started)); then
        fail "$name: the main window did not appear"
        stop_velkor
        return 1
    fi
    [[ $mode == tmpfs ]] || prlimit --pid "$velkor_pid" --fsize=0:
}

# First start on a full disk: the folders and an empty file are made, the save cannot write.
if full_disk full-new :; then
    filler=$(stat -c %s "$root/config/filler" 2>/dev/null)
    close_expecting_box "full-new ($mode)"
    cfg=$root/config/Populous/Velkor/Velkor.cfg
    [[ ! -s "$cfg" ]] || fail "full-new: Velkor.cfg holds $(stat -c %s "$cfg") bytes"
    [[ "$(stat -c %s "$root/config/filler" 2>/dev/null)" == "$filler" ]] ||
        fail "full-new: the filler changed"
fi

# A saved file on a full disk: on a tmpfs the in-place write needs no new space and succeeds;
# under the size limit it is refused and said so. Either way nothing stored is lost.
saved_record='settings_image "$root/config/Populous/Velkor/Velkor.cfg" 0 198.51.100.77'
if full_disk full-saved "$saved_record"; then
    cfg=$root/config/Populous/Velkor/Velkor.cfg
    if [[ $mode == tmpfs ]]; then
        close_expecting_no_box full-saved
    else
        close_expecting_box "full-saved ($mode)"
    fi
    if [[ $(stat -c %s "$cfg") == 115 && $(field "$cfg" 4 16 2) == Keeper ]]; then
        ok "full-saved ($mode): record kept"
    else
        fail "full-saved: the record was damaged"
    fi
fi

finish
