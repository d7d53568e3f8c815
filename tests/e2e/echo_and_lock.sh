#!/bin/bash
# End-to-end address echo and single-instance lock, on a virtual X screen with fake prefixes.
# Echo: a loopback server answers the address-echo page with hostile and sound bodies; hosting
# "With Router" must hand the game exactly the trimmed address, or the stored one when the
# answer is not an address. Lock: files planted where the lock lives must not stop a start;
# a live Velkor must, and a game it started must not hold the lock after it ends.
# Usage: echo_and_lock.sh VELKOR VELKOR_E2E_ECHO ECHO_SERVER
source "$(dirname "$0")/lib.sh" "$@"
echo_velkor=$3 # after --inside and the program
background=()
trap 'kill "${background[@]}" 2>/dev/null; stop_velkor; rm -rf "$work"' EXIT

python3 "$4" 280 >"$work/port" &
background+=($!)
wait_for '[[ -s "$work/port" ]]' || { fail "the echo server did not start"; finish; }
port=$(head -n1 "$work/port")
# Straight to loopback, whatever proxy the environment names.
direct=(http_proxy= HTTP_PROXY= all_proxy= ALL_PROXY=)

# write_settings ROOT: hosting "With Router" as "Bo", 198.51.100.1 stored, the address looked
# up at start.
write_settings() {
    mkdir -p "$1/config/Populous/Velkor"
    python3 - "$1/config/Populous/Velkor/Velkor.cfg" <<'PY'
import sys
image = bytearray(115)
image[2] = 1
image[4], image[6] = ord("B"), ord("o")
image[88:100] = b"198.51.100.1"
image[114] = 1
open(sys.argv[1], "wb").write(image)
PY
}
stored_router() {
    python3 -c 'import sys; print(open(sys.argv[1], "rb").read()[88:112].rstrip(b"\0").decode())' \
        "$1/config/Populous/Velkor/Velkor.cfg"
}

# host_with_router NAME BODY EXPECTED: the page answers BODY; the game must receive EXPECTED
# after /externip, and the settings must keep it.
host_with_router() {
    local name=$1 root="$work/$1" velkor=$echo_velkor
    local game="$root/prefix/drive_c/Program Files/Bullfrog/Populous/HW_SW_Select.exe"
    local say
    say=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1], safe=""))' "$2")
    make_prefix "$root/prefix" win32
    write_settings "$root"
    start_velkor "$root" VELKOR_E2E_ECHO_URL="http://127.0.0.1:$port/say?$say" "${direct[@]}" ||
        { fail "$name: the main window did not appear"; return; }
    click_launch
    if read_args "$game"; then
        expect_args "$name" "</h> <tcp> </boundip> (<[0-9.]+> )?</externip> <${3//./\\.}> </nBo>"
    else
        fail "$name: the game was not started"
    fi
    close_velkor
    [[ "$(stored_router "$root")" == "$3" ]] || fail "$name: stored '$(stored_router "$root")'"
}

host_with_router switches '1.2.3.4 /j 6.6.6.6 "/nEvil x' 198.51.100.1
host_with_router "break inside" $'203.0.113.7\r\n/j 6.6.6.6' 198.51.100.1
host_with_router "line break" $'203.0.113.7\r\n' 203.0.113.7
host_with_router ipv6 $' 2001:db8::7\n' 2001:db8::7

# The main window, not a message box, is up: its client area alone is 437 pixels high.
is_main_window() { [[ -n "$wid" ]] && ((HEIGHT >= 437)); }

# free_start NAME PLANT [ENV=VALUE...]: runs PLANT (with $run the runtime folder, $lock the lock
# in it), then a start must show the main window.
free_start() {
    local name=$1 plant=$2 root="$work/$1"
    shift 2
    run="$root/run" lock="$root/run/velkor.lock"
    mkdir -p "$run" && chmod 700 "$run"
    make_prefix "$root/prefix" win32
    eval "$plant"
    if start_velkor "$root" XDG_RUNTIME_DIR="$run" "$@" && is_main_window; then
        ok "$name: started"
    else
        fail "$name: a start was stopped"
    fi
    stop_velkor
}

# held FILE: another process holds a lock on FILE until the script ends.
held() {
    (exec 9<"$1" && flock -x 9 && exec sleep 280) &
    background+=($!)
    wait_for "! flock -n -x '$1' true"
}

free_start empty ': >"$lock"'
free_start garbage 'head -c 300 /dev/urandom >"$lock"'
free_start folder 'mkdir -p "$lock/inside"'
free_start "dangling link" 'ln -s "$root/nowhere" "$lock"'
free_start "runtime folder open to others" 'chmod 777 "$run"; : >"$lock"; held "$lock"'
if [[ $(id -u) == 0 ]]; then
    free_start "foreign lock" ': >"$lock"; chown nobody "$lock"; held "$lock"'
else
    echo "skipped: foreign lock (giving a file away takes root)"
fi

# second_is_stopped NAME ENV...: with a Velkor running, another start with the same ENV shows
# the message and ends; the first runs on.
second_is_stopped() {
    local name=$1 second box
    shift
    (cd "$root/start" && exec env "$@" HOME="$root/home" XDG_CONFIG_HOME="$root/config" \
        WINEPREFIX="$root/prefix" QT_QPA_PLATFORM=xcb "$velkor") >"$root/second.log" 2>&1 &
    second=$!
    box=$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$second" --name '^Velkor$' | head -n1)
    eval "$(xdotool getwindowgeometry --shell "$box" 2>/dev/null)"
    if [[ -z "$box" ]] || ((HEIGHT >= 437)); then
        fail "$name: a second Velkor started"
        kill "$second"
        return
    fi
    xdotool windowfocus --sync "$box" key Return
    if wait_for "! kill -0 $second 2>/dev/null"; then ok "$name: the second start ended"; else
        fail "$name: the second start did not end"
        kill "$second"
    fi
    kill -0 "$velkor_pid" || fail "$name: the first Velkor ended"
}

root="$work/live"
make_prefix "$root/prefix" win32
game="$root/prefix/drive_c/Program Files/Bullfrog/Populous/HW_SW_Select.exe"
cat >"$game" <<'SCRIPT'
#!/bin/sh
echo $$ >"$0.pid"
{ pwd; for a in "$@"; do printf '<%s>\n' "$a"; done; } >"$0.args.tmp" && mv "$0.args.tmp" "$0.args"
exec sleep 280
SCRIPT
mkdir -p -m 700 "$root/run"
if start_velkor "$root" XDG_RUNTIME_DIR="$root/run"; then
    second_is_stopped "runtime folder" XDG_RUNTIME_DIR="$root/run"
    type_into 66 361 Bo
    click_launch
    read_args "$game" && background+=("$(cat "$game.pid")") || fail "the game was not started"
    close_velkor
    if start_velkor "$root" XDG_RUNTIME_DIR="$root/run" && is_main_window; then
        ok "a game still running does not hold the lock"
    else
        fail "the game Velkor started holds the lock"
    fi
    stop_velkor
else
    fail "live: the main window did not appear"
fi
if start_velkor "$root" XDG_RUNTIME_DIR=; then
    second_is_stopped "cache folder" -u XDG_RUNTIME_DIR
    stop_velkor
else
    fail "cache folder: the main window did not appear"
fi

finish
