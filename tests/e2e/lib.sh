# The end-to-end set-up (source lib.sh VELKOR...): the script again on Xvfb, a throw-away $work.
set -u
skip() { echo "SKIP: $*"; exit 77; }
if [[ "${1:-}" != --inside ]]; then
    for tool in xvfb-run xdotool; do command -v $tool >/dev/null || skip "no $tool"; done
    # Unless the caller closed it in already, loopback only: the echo page and routers unreached.
    if [[ -z "${VELKOR_ISOLATED:-}" ]]; then
        as=() && ((EUID == 0)) || as=(--map-root-user)
        unshare --net "${as[@]}" true 2>/dev/null || skip "no network namespace can be made"
        exec env VELKOR_ISOLATED=1 unshare --net "${as[@]}" sh -c 'ip link set lo up && exec bash "$@"' sh "$0" "$@"
    fi
    exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" --inside "$(realpath -m "$1")" "${@:2}"
fi
velkor=$2 work=$(mktemp -d) velkor_pid= failures=0 background=() cleanup=: # $cleanup: the sourcing script's own
trap 'kill "${background[@]}" 2>/dev/null; stop_velkor; eval "$cleanup"; rm -rf "$work"' EXIT && trap exit INT TERM HUP
ok() { echo "ok: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if eval "$2"; then ok "$1"; else fail "$1"; fi; } # NAME CONDITION
finish() { ((failures == 0)) || { echo "$failures check(s) failed"; exit 1; }; echo "all checks passed"; exit 0; }
wait_for() { local i; for ((i = 0; i < ${2:-100}; i++)); do eval "$1" && return 0; sleep 0.1; done; return 1; } # CONDITION [TENTHS]

recorder() { # FILE [FIRST]: a game writing what FIRST prints (its folder), "<argument>"s to FILE.args.
    mkdir -p "$(dirname "$1")"
    printf '#!/bin/sh\n{ %s; for a in "$@"; do printf "<%%s>\\n" "$a"; done; } >"$0.t" && mv "$0.t" "$0.args"\n' "${2:-pwd}" >"$1" && chmod +x "$1"
}
make_prefix() { # DIR ARCH: the game's key (win64: C:\Wrong in the 64-bit view), $game, two decoys.
    local key='Bullfrog Productions Ltd\\Populous: The Beginning' view=Software
    mkdir -p "$1/dosdevices" && ln -sfn ../drive_c "$1/dosdevices/c:" && ln -sfn / "$1/dosdevices/z:"
    game="$1/drive_c/Program Files/Bullfrog/Populous/HW_SW_Select.exe"
    recorder "$game" && recorder "$1/drive_c/Program.exe" && recorder "$1/drive_c/Wrong/HW_SW_Select.exe"
    { printf 'WINE REGISTRY Version 2\n\n#arch=%s\n\n' "$2"
        [[ $2 == win64 ]] && printf '[Software\\\\%s] 1\n"InstallPath"="C:\\\\Wrong"\n\n' "$key" && view='Software\\Wow6432Node'
        printf '[%s\\\\%s] 1\n"InstallDrive"="C:"\n"InstallPath"="C:\\\\Program Files\\\\Bullfrog\\\\Populous"\n' "$view" "$key"
    } >"$1/system.reg"
}

spawn() { # ROOT [NAME=VALUE | NAME=]...: starts it, folders below ROOT; $spawned, $wid, its geometry.
    local root=$1 e && local -a env=() && shift
    mkdir -p "$root/home" "$root/config" "$root/start" && mkdir -p -m 700 "$root/run"
    for e; do if [[ $e == *= ]]; then env=(-u "${e%=}" "${env[@]}"); else env+=("$e"); fi; done
    (cd "$root/start" && export HOME="$root/home" XDG_CONFIG_HOME="$root/config" WINEPREFIX="$root/prefix" \
        XDG_RUNTIME_DIR="$root/run" QT_QPA_PLATFORM=xcb && exec env "${env[@]}" "$velkor") >>"$root/velkor.log" 2>&1 &
    spawned=$! && local geometry
    # A window gone before it could be measured (Wine may map one and make it anew) is looked for again.
    for _ in 1 2 3; do
        wid=$(timeout 30 xdotool search --sync --all --onlyvisible --pid $spawned --name '^Velkor$' | head -n1)
        [[ -n "$wid" ]] && geometry=$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null) && eval "$geometry" && return
        kill -0 $spawned 2>/dev/null || break
    done
    wid=
}
up() { # NAME ROOT [ENV...]: spawn; the main window (client area 417 x 437 at the bottom left) is up.
    spawn "${@:2}"; velkor_pid=$spawned
    [[ -n "$wid" ]] && ((HEIGHT >= 437)) || { fail "$1: no main window: $(cat "$2/velkor.log")"; stop_velkor; return 1; }
    client_x=$((X + WIDTH - 417)) client_y=$((Y + HEIGHT - 437)) && xdotool windowfocus --sync "$wid" 2>/dev/null || :
}
second_start() { # ROOT [ENV...]: another start while one runs shows a message box, not a window, and ends on Enter.
    local first_wid=$wid && spawn "$@"
    check "second start: a message box, not a window, and it ends on Enter" \
        '[[ -n "$wid" ]] && ((HEIGHT < 437)) && xdotool windowfocus --sync "$wid" key Return && wait_for "! kill -0 $spawned 2>/dev/null"'
    kill "$spawned" 2>/dev/null; wid=$first_wid && check "second start: the first one runs on" alive
}
stop_velkor() { [[ -z "$velkor_pid" ]] || { kill $velkor_pid 2>/dev/null; wait $velkor_pid 2>/dev/null; velkor_pid=; }; }
alive() { kill -0 $velkor_pid 2>/dev/null; }
# a_box: a message box (titled Velkor, beside the main window) is up: its id in $box.
a_box() { box=$(xdotool search --onlyvisible --pid "$velkor_pid" --name '^Velkor$' | grep -vx "$wid" | head -n1); [[ -n $box ]]; }

close_velkor() { # [NAME]: WM_DELETE_WINDOW as a window manager sends; NAME: a message box comes first.
    python3 - "$wid" <<'PY'
import ctypes as c, sys
x = c.CDLL("libX11.so.6"); x.XOpenDisplay.restype = c.c_void_p; x.XInternAtom.restype = c.c_ulong
d, w = c.c_void_p(x.XOpenDisplay(None)), c.c_ulong(int(sys.argv[1]))
e = (c.c_long * 24)(33, 0, 0, 0, w.value, x.XInternAtom(d, b"WM_PROTOCOLS", 0), 32, x.XInternAtom(d, b"WM_DELETE_WINDOW", 0))
x.XSendEvent(d, w, 0, 0, e); x.XFlush(d)
PY
    [[ -z "${1:-}" ]] || check "$1: a message box" 'wait_for a_box && alive && xdotool windowfocus --sync "$box" key Return'
    wait_for '! alive' || fail "${1:-close}: the program did not end"; stop_velkor
}

# Clicks, types at pixels of the main window's client area (geometry in twips / 15).
click_at() { xdotool mousemove --sync $((client_x + $1)) $((client_y + $2)) click 1; sleep 0.3; }
type_into() { click_at "$1" "$2"; xdotool type --delay 40 "$3"; sleep 0.3; }
click_launch() { t_click=$EPOCHREALTIME && click_at 208 420; } # &Launch Game: (2160, 6120, 1935, 375); $t_click: when
click_in() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; } # WINDOW X Y
# dialog TITLE: the id of the window with that title, focused, once it is up; gone TITLE: it closed.
dialog() { local id=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1); [[ -n "$id" ]] && xdotool windowfocus --sync "$id" 2>/dev/null && echo "$id"; }
gone() { wait_for "! xdotool search --onlyvisible --name '^$1\$' >/dev/null"; }

# read_args FILE: waits for FILE.args: the folder in $ran_in, "<a> <b> ..." in $args.
read_args() { local -a lines && ran_in= args= && wait_for "[[ -f '$1.args' ]]" && mapfile -t lines <"$1.args" && ran_in=${lines[0]:-} args=${lines[*]:1}; }
expect_run() { # NAME FILE PATTERN: FILE ran in its own folder with arguments matching PATTERN.
    if ! read_args "$2"; then fail "$1: $2 did not run"
    elif [[ "$(realpath "$ran_in")" != "$(realpath "$(dirname "$2")")" ]]; then fail "$1: ran in $ran_in"
    elif [[ "$args" =~ ^$3$ ]]; then ok "$1: $args"; else fail "$1: $args"; fi
}

# The settings record: record FILE OFFSET:TEXT(printf escapes)...; field FILE OFFSET LENGTH.
cfg() { echo "$1/config/Populous/Velkor/Velkor.cfg"; }
record() { # FILE OFFSET:TEXT...
    local file=$1 a && mkdir -p "$(dirname "$1")" && head -c 115 /dev/zero >"$1" && shift
    for a; do printf "${a#*:}" | dd of="$file" bs=1 seek=${a%%:*} conv=notrunc status=none; done
}
field() { dd if="$1" bs=1 skip=$2 count=$3 status=none | tr -d '\0'; }
