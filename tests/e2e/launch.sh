#!/bin/bash
# End-to-end launch: runs the built program on a virtual X screen with a fake Wine prefix whose
# registry names a folder under "C:\Program Files" holding a game script that records its
# arguments, types a name, clicks "&Launch Game" and checks what the game received.
# Usage: launch.sh VELKOR
set -u

if [[ "${1:-}" != --inside ]]; then
    for tool in xvfb-run xdotool; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" --inside "$(realpath "$1")"
fi
velkor=$2
work=$(mktemp -d)
velkor_pid=
trap '[[ -n "$velkor_pid" ]] && kill "$velkor_pid" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Writes "<working folder>" and then "<argument>" per line into "<script>.args".
recorder() {
    mkdir -p "$(dirname "$1")"
    cat >"$1" <<'SCRIPT'
#!/bin/sh
{ printf '%s\n' "$(pwd)"; for a in "$@"; do printf '<%s>\n' "$a"; done; } > "$0.args.tmp" && mv "$0.args.tmp" "$0.args"
SCRIPT
    chmod +x "$1"
}

# make_prefix DIR ARCH: drives C: and Z:, the game's key as a 32-bit installer leaves it (under
# Wow6432Node in a win64 prefix, where the 64-bit view names another folder), the recording
# game under C:\Program Files\Bullfrog\Populous and a decoy C:\Program.exe.
make_prefix() {
    local prefix=$1 arch=$2 view='Software' name='Bullfrog Productions Ltd\\Populous: The Beginning'
    mkdir -p "$prefix/dosdevices"
    ln -s ../drive_c "$prefix/dosdevices/c:"
    ln -s / "$prefix/dosdevices/z:"
    recorder "$prefix/drive_c/Program Files/Bullfrog/Populous/HW_SW_Select.exe"
    recorder "$prefix/drive_c/Program.exe"
    recorder "$prefix/drive_c/Wrong/HW_SW_Select.exe"
    {
        printf 'WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=%s\n\n' "$arch"
        if [[ "$arch" == win64 ]]; then
            printf '[Software\\\\%s] 1700000000\n"InstallDrive"="C:"\n' "$name"
            printf '"InstallPath"="C:\\\\Wrong"\n\n'
            view='Software\\Wow6432Node'
        fi
        printf '[%s\\\\%s] 1700000000\n"InstallDrive"="C:"\n' "$view" "$name"
        printf '"InstallPath"="C:\\\\Program Files\\\\Bullfrog\\\\Populous"\n'
    } >"$prefix/system.reg"
}

# Clicks a point given in pixels of the main window's client area (below its menu bar).
click_at() {
    xdotool mousemove --sync $((client_x + $1)) $((client_y + $2)) click 1
    sleep 0.3
}
type_into() { # x y text
    click_at "$1" "$2"
    xdotool type --delay 40 "$3"
    sleep 0.3
}

# run_velkor NAME ARCH ACTIONS...: starts the program with a fresh prefix and settings, runs the
# actions, clicks "&Launch Game" and leaves the recorded arguments in $args.
run_velkor() {
    local name=$1 root="$work/$1"
    make_prefix "$root/prefix" "$2"
    shift 2
    mkdir -p "$root/home" "$root/config" "$root/start"
    (cd "$root/start" && exec env HOME="$root/home" XDG_CONFIG_HOME="$root/config" \
        WINEPREFIX="$root/prefix" QT_QPA_PLATFORM=xcb "$velkor") >"$root/velkor.log" 2>&1 &
    velkor_pid=$!
    args=()
    local wid game="$root/prefix/drive_c/Program Files/Bullfrog/Populous" action
    wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Velkor$' | head -n1)
    if [[ -z "$wid" ]]; then
        fail "$name: the main window did not appear"
        cat "$root/velkor.log"
        return
    fi
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    # The client area is 417 x 437 pixels at the window's bottom left; the menu bar is above.
    client_x=$((X + WIDTH - 417)) client_y=$((Y + HEIGHT - 437))
    xdotool windowfocus --sync "$wid" 2>/dev/null
    for action in "$@"; do eval "$action"; done
    click_at 208 420 # launch: (2160, 6120, 1935, 375) twips
    for _ in $(seq 100); do
        [[ -f "$game/HW_SW_Select.exe.args" ]] && break
        sleep 0.1
    done
    if mapfile -t args <"$game/HW_SW_Select.exe.args" 2>/dev/null; then
        [[ "$(realpath "${args[0]}")" == "$(realpath "$game")" ]] || fail "$name: ran in ${args[0]}"
        args=("${args[@]:1}")
    else
        fail "$name: the game was not started"
    fi
    [[ -e "$root/prefix/drive_c/Program.exe.args" ]] && fail "$name: the decoy C:\\Program.exe ran"
    [[ -e "$root/prefix/drive_c/Wrong/HW_SW_Select.exe.args" ]] && fail "$name: the 64-bit key"
    kill "$velkor_pid" 2>/dev/null
    wait "$velkor_pid" 2>/dev/null
    velkor_pid=
}

expect() { # name pattern: the arguments, as "<a> <b> ...", match the pattern
    if [[ "${args[*]}" =~ ^$2$ ]]; then echo "ok: $1: ${args[*]}"; else fail "$1: ${args[*]}"; fi
}

# Joining, 64-bit prefix: the join address and a name with shell characters arrive as data.
run_velkor join win64 'click_at 214 240' 'type_into 242 361 "127.0.0.1"' \
    'type_into 66 361 "A;rm -rf ~ \$(id)"'
expect join '</j> <tcp> <127\.0\.0\.1> </nA;rm> <-rf> <~> <\$\(id\)>'

# Hosting the expansion, 32-bit prefix: the address is whatever the machine has first.
run_velkor host win32 'click_at 214 192' 'type_into 66 361 "Bo"'
expect host '</GAME=UW> </h> <tcp> </boundip> (<[0-9.]+> )?</nBo>'

((failures)) && { echo "$failures e2e check(s) failed"; exit 1; }
echo "e2e launch: all checks passed"
