#!/bin/bash
# End-to-end launch: runs the built program on a virtual X screen with a fake Wine prefix whose
# registry names a folder under "C:\Program Files" holding a game script that records its
# arguments, types a name, clicks "&Launch Game" and checks what the game received.
# Usage: launch.sh VELKOR
set -u

if [[ "${1:-}" == --inside ]]; then
    inside=1
    shift
else
    inside=0
fi
velkor=$(realpath "$1")

if ((!inside)); then
    for tool in xvfb-run xdotool; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIP: $tool is not installed"
            exit 77
        fi
    done
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" --inside "$velkor"
fi

work=$(mktemp -d)
velkor_pid=
cleanup() {
    [[ -n "$velkor_pid" ]] && kill "$velkor_pid" 2>/dev/null && wait "$velkor_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Writes "<working folder>" and then "<argument>" per line into "<script>.args".
recorder() {
    cat >"$1" <<'SCRIPT'
#!/bin/sh
{ printf '%s\n' "$(pwd)"; for a in "$@"; do printf '<%s>\n' "$a"; done; } > "$0.args.tmp" && mv "$0.args.tmp" "$0.args"
SCRIPT
    chmod +x "$1"
}

# make_prefix DIR ARCH: a prefix with drives C: and Z:, the game's key in system.reg as a
# 32-bit installer leaves it (under Wow6432Node in a win64 prefix, where a 64-bit view of the
# key names another folder), the recording game under C:\Program Files\Bullfrog\Populous and a
# decoy C:\Program.exe.
make_prefix() {
    local prefix=$1 arch=$2 software='Software' other=''
    mkdir -p "$prefix/dosdevices" "$prefix/drive_c/Program Files/Bullfrog/Populous"
    ln -s ../drive_c "$prefix/dosdevices/c:"
    ln -s / "$prefix/dosdevices/z:"
    if [[ "$arch" == win64 ]]; then
        software='Software\\Wow6432Node'
        mkdir -p "$prefix/drive_c/Wrong"
        recorder "$prefix/drive_c/Wrong/HW_SW_Select.exe"
        other='[Software\\Bullfrog Productions Ltd\\Populous: The Beginning] 1700000000
#time=1da1a2b3c4d5e6f
"InstallDrive"="C:"
"InstallPath"="C:\\Wrong"
'
    fi
    cat >"$prefix/system.reg" <<REG
WINE REGISTRY Version 2
;; All keys relative to \\\\Machine

#arch=$arch

[$software\\\\Bullfrog Productions Ltd\\\\Populous: The Beginning] 1700000000
#time=1da1a2b3c4d5e6f
"InstallDrive"="C:"
"InstallPath"="C:\\\\Program Files\\\\Bullfrog\\\\Populous"

[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1700000000
#time=1da1a2b3c4d5e6f
"ProgramFilesDir"="C:\\\\Program Files"

$other
REG
    recorder "$prefix/drive_c/Program Files/Bullfrog/Populous/HW_SW_Select.exe"
    recorder "$prefix/drive_c/Program.exe"
}

# Clicks a point given in pixels of the main window's client area (below its menu bar).
click_at() {
    local x=$((client_x + $1)) y=$((client_y + $2))
    xdotool mousemove --sync "$x" "$y" click 1
    sleep 0.3
}

# run_velkor NAME ARCH ACTIONS...: starts the program with a fresh prefix and settings, runs the
# actions, clicks "&Launch Game" and leaves the recorded lines in $recorded.
run_velkor() {
    local name=$1 arch=$2
    shift 2
    local root="$work/$name"
    local prefix="$root/prefix"
    mkdir -p "$root/home" "$root/config" "$root/runtime" "$root/start"
    chmod 700 "$root/runtime"
    make_prefix "$prefix" "$arch"
    game="$prefix/drive_c/Program Files/Bullfrog/Populous"

    (cd "$root/start" && exec env HOME="$root/home" XDG_CONFIG_HOME="$root/config" \
        XDG_RUNTIME_DIR="$root/runtime" WINEPREFIX="$prefix" QT_QPA_PLATFORM=xcb \
        "$velkor") >"$root/velkor.log" 2>&1 &
    velkor_pid=$!

    local wid
    wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Velkor$' | head -n1)
    if [[ -z "$wid" ]]; then
        fail "$name: the main window did not appear"
        cat "$root/velkor.log"
        return
    fi
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    # The client area is 417 x 437 pixels at the window's bottom left; the menu bar is above.
    client_x=$((X + WIDTH - 417))
    client_y=$((Y + HEIGHT - 437))
    xdotool windowfocus --sync "$wid" 2>/dev/null || true

    local action
    for action in "$@"; do
        eval "$action"
    done
    click_at 208 420 # launch: (2160, 6120, 1935, 375) twips

    local record="$game/HW_SW_Select.exe.args"
    for _ in $(seq 100); do
        [[ -f "$record" ]] && break
        sleep 0.1
    done
    if [[ -f "$record" ]]; then
        mapfile -t recorded <"$record"
    else
        recorded=()
        fail "$name: the game was not started"
        xdotool search --onlyvisible --name '' getwindowname %@ 2>/dev/null | sed 's/^/  window: /'
    fi
    [[ -e "$prefix/drive_c/Program.exe.args" ]] && fail "$name: the decoy C:\\Program.exe ran"
    if [[ ${#recorded[@]} -gt 0 ]] &&
        [[ "$(realpath "${recorded[0]}")" != "$(realpath "$game")" ]]; then
        fail "$name: the game ran in ${recorded[0]}, not in its folder"
    fi

    kill "$velkor_pid" 2>/dev/null
    wait "$velkor_pid" 2>/dev/null
    velkor_pid=
}

type_into() { # x y text: clicks a text box and types into it
    click_at "$1" "$2"
    xdotool type --delay 40 "$3"
    sleep 0.3
}

expect_arguments() { # name expected...
    local name=$1
    shift
    local got=("${recorded[@]:1}") want=()
    local a
    for a in "$@"; do want+=("<$a>"); done
    if [[ "${got[*]}" != "${want[*]}" || ${#got[@]} -ne ${#want[@]} ]]; then
        fail "$name: arguments ${got[*]:-none}, expected ${want[*]}"
    else
        echo "ok: $name: ${got[*]}"
    fi
}

# Joining, 64-bit prefix: the join address and a name with shell characters arrive as data.
run_velkor join win64 \
    'click_at 214 240' \
    'type_into 242 361 "127.0.0.1"' \
    'type_into 66 361 "A;rm -rf ~ \$(id)"'
expect_arguments join /j tcp 127.0.0.1 '/nA;rm' -rf '~' '$(id)'

# Hosting the expansion, 32-bit prefix: the address is whatever the machine has first.
run_velkor host win32 \
    'click_at 214 192' \
    'type_into 66 361 "Bo"'
if [[ ${#recorded[@]} -gt 0 ]]; then
    args=("${recorded[@]:1}")
    head="${args[*]:0:4}"
    last="${args[${#args[@]}-1]}"
    if [[ "$head" != "</GAME=UW> </h> <tcp> </boundip>" || "$last" != "</nBo>" ||
        (${#args[@]} -ne 5 && ${#args[@]} -ne 6) ]]; then
        fail "host: arguments ${args[*]}"
    else
        echo "ok: host: ${args[*]}"
    fi
fi

if ((failures)); then
    echo "$failures e2e check(s) failed"
    exit 1
fi
echo "e2e launch: all checks passed"
