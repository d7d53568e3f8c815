# Shared helpers of the end-to-end scripts: the built program on a virtual X screen with a
# throw-away home, settings folder and Wine prefix, driven with xdotool.
# A script sources this file first, with the program's path as its first argument:
#     source "$(dirname "$0")/lib.sh" "$@"
# It re-runs the script under xvfb-run (or exits 77 to skip without it), then sets $velkor
# and $work, a temporary folder removed on exit.
set -u

if [[ "${1:-}" != --inside ]]; then
    for tool in xvfb-run xdotool; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    # A random first display number: -a alone races with runs started at the same moment.
    exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -nolisten tcp" \
        bash "$0" --inside "$(realpath "$1")" "${@:2}"
fi
velkor=$2
shift 2
work=$(mktemp -d)
velkor_pid=
trap 'stop_velkor; rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
ok() { echo "ok: $*"; }

# Ends the script with its verdict.
finish() {
    ((failures)) && { echo "$failures e2e check(s) failed"; exit 1; }
    echo "$(basename "$0" .sh): all checks passed"
    exit 0
}

# recorder FILE: a game script that writes "<working folder>" and then "<argument>" per line
# into "FILE.args".
recorder() {
    mkdir -p "$(dirname "$1")"
    cat >"$1" <<'SCRIPT'
#!/bin/sh
{ printf '%s\n' "$(pwd)"; for a in "$@"; do printf '<%s>\n' "$a"; done; } > "$0.args.tmp" && mv "$0.args.tmp" "$0.args"
SCRIPT
    chmod +x "$1"
}

# make_prefix DIR ARCH [GAME_FOLDER]: drives C: and Z:, the game's key as a 32-bit installer
# leaves it (under Wow6432Node in a win64 prefix, where the 64-bit view names another folder),
# the recording game in GAME_FOLDER (default "Program Files\Bullfrog\Populous", below drive_c,
# with '/' between components) and a decoy C:\Program.exe.
make_prefix() {
    local prefix=$1 arch=$2 game=${3:-Program Files/Bullfrog/Populous}
    local view='Software' name='Bullfrog Productions Ltd\\Populous: The Beginning'
    local winpath="C:\\\\${game//\//\\\\\\\\}"
    mkdir -p "$prefix/dosdevices"
    ln -sfn ../drive_c "$prefix/dosdevices/c:"
    ln -sfn / "$prefix/dosdevices/z:"
    recorder "$prefix/drive_c/$game/HW_SW_Select.exe"
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
        printf '"InstallPath"="%s"\n' "$winpath"
    } >"$prefix/system.reg"
}

# start_velkor ROOT [ENV=VALUE...]: starts the program in ROOT/start with HOME=ROOT/home,
# XDG_CONFIG_HOME=ROOT/config, WINEPREFIX=ROOT/prefix and its own runtime folder ROOT/run, so
# that no other run's single-instance lock is in the way (each overridable by the extra
# assignments; an assignment "NAME=" with nothing after it removes NAME), waits for the main
# window and sets $wid, $client_x and $client_y. Returns 1 when no window appears.
start_velkor() {
    local root=$1
    shift
    mkdir -p "$root/home" "$root/config" "$root/start"
    mkdir -p -m 700 "$root/run"
    local -a envs=(HOME="$root/home" XDG_CONFIG_HOME="$root/config" WINEPREFIX="$root/prefix"
        XDG_RUNTIME_DIR="$root/run" QT_QPA_PLATFORM=xcb "$@") unset_args=() set_args=()
    local -A last=()
    local e i
    # A later assignment of a name replaces an earlier one.
    for i in "${!envs[@]}"; do last[${envs[i]%%=*}]=$i; done
    for i in "${!envs[@]}"; do
        e=${envs[i]}
        ((last[${e%%=*}] == i)) || continue
        if [[ "$e" == *= ]]; then unset_args+=(-u "${e%=}"); else set_args+=("$e"); fi
    done
    (cd "$root/start" && exec env "${unset_args[@]}" "${set_args[@]}" "$velkor") \
        >"$root/velkor.log" 2>&1 &
    velkor_pid=$!
    wid=$(timeout 30 xdotool search --sync --all --onlyvisible --pid "$velkor_pid" --name '^Velkor$' |
        head -n1)
    if [[ -z "$wid" ]]; then
        cat "$root/velkor.log"
        return 1
    fi
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    # The client area is 417 x 437 pixels at the window's bottom left; the menu bar is above.
    client_x=$((X + WIDTH - 417)) client_y=$((Y + HEIGHT - 437))
    xdotool windowfocus --sync "$wid" 2>/dev/null
    return 0
}

# close_window WID: asks a window to close as a window manager's close button does (the
# WM_DELETE_WINDOW message); xdotool's windowclose destroys it instead, so nothing would be saved.
close_window() {
    python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XFlush.argtypes = x.XCloseDisplay.argtypes = [ctypes.c_void_p]
class Message(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("xclient", Message), ("pad", ctypes.c_long * 24)]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                         ctypes.POINTER(Event)]
display = x.XOpenDisplay(None)
if not display:
    sys.exit(1)
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = int(sys.argv[1])
event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
sent = x.XSendEvent(display, int(sys.argv[1]), 0, 0, ctypes.byref(event))
x.XFlush(display)
x.XCloseDisplay(display)
sys.exit(0 if sent else 1)
PY
}

# Closes the main window the way a player does (the window manager's close), so that the
# program saves its settings, and waits for it to end; a program still running after 10 s
# fails the check and is killed.
close_velkor() {
    [[ -n "$velkor_pid" ]] || return 0
    close_window "$wid"
    wait_for "! kill -0 $velkor_pid 2>/dev/null" || fail "the window did not close"
    stop_velkor
}

stop_velkor() {
    [[ -n "$velkor_pid" ]] || return 0
    kill "$velkor_pid" 2>/dev/null
    wait "$velkor_pid" 2>/dev/null
    velkor_pid=
}

# wait_for CONDITION [TENTHS]: polls a shell condition every 0.1 s, 10 s by default.
wait_for() {
    local i
    for ((i = 0; i < ${2:-100}; i++)); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
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
# Clicks "&Launch Game": (2160, 6120, 1935, 375) twips.
click_launch() { click_at 208 420; }

# read_args FILE: the recorded working folder into $ran_in and the arguments into $args;
# waits up to 10 s for the file. Returns 1 when the game did not start.
read_args() {
    args=()
    ran_in=
    wait_for "[[ -f '$1.args' ]]" || return 1
    mapfile -t args <"$1.args"
    ran_in=${args[0]}
    args=("${args[@]:1}")
}

expect_args() { # name pattern: the arguments, as "<a> <b> ...", match the pattern
    if [[ "${args[*]}" =~ ^$2$ ]]; then ok "$1: ${args[*]}"; else fail "$1: ${args[*]}"; fi
}
