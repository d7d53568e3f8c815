# The router tests' driving of the program's windows (after tests/e2e/lib.sh, netns.sh): waits
# timed to the moment, the form's boxes read through the clipboard, the game's port watched.
# shellcheck shell=bash disable=SC2034,SC2154 # lib.sh's and netns.sh's variables
ours="UDP $game_port $lan_ip:$game_port"

# within T0 SECONDS CONDITION: CONDITION holds by SECONDS after T0 (tried every 20 ms); $took
# is when, counted from T0.
within() {
    until eval "$3"; do
        awk -v a="$(since "$1")" -v b="$2" 'BEGIN { exit !(a > b) }' && { took=$(since "$1"); return 1; }
        sleep 0.02
    done
    took=$(since "$1")
}

# copy_at X Y [WINDOW]: what ctrl+a, ctrl+c copy from the control at pixels X Y of the main
# window's client area (or of WINDOW). No mousemove --sync: it waits long for a pointer that is
# already there.
copy_at() {
    if [[ -n ${3:-} ]]; then xdotool mousemove --window "$3" "$1" "$2" click 1
    else xdotool windowfocus --sync "$wid" mousemove $((client_x + $1)) $((client_y + $2)) click 1; fi
    xdotool key ctrl+a ctrl+c && sleep 0.1 && timeout 2 xclip -o -selection clipboard 2>/dev/null
}
external() { copy_at 340 312; } # txtRouterIP: (4080, 360, 1575, 255) in bg03 in hostsettings

# press_launch: a click on Launch Game, no pause after it; $t_click: just before it (the times
# measured from it include xdotool's own).
press_launch() { t_click=$EPOCHREALTIME && xdotool windowfocus --sync "$wid" mousemove $((client_x + 208)) $((client_y + 420)) click 1; }

# a_box: a message box (titled Velkor, beside the main window) is up: its id in $box.
a_box() { box=$(xdotool search --onlyvisible --pid "$velkor_pid" --name '^Velkor$' | grep -vx "$wid" | head -n1); [[ -n $box ]]; }

# mapped: the router maps UDP 7575 to the player (its rules, as netns.sh's mappings reads them).
mapped() { mappings | grep -qx "$ours"; }

# watch_removal: in the background from now, the seconds until UDP 7575 is no longer mapped, in
# $work/removed; removal_time: waits for it, then $removal (empty: not within 15 s).
watch_removal() { rm -f "$work/removed"; local t0=$EPOCHREALTIME; { net_wait '! mapped' 150 && since "$t0" >"$work/removed"; } & watcher=$!; }
removal_time() { wait "$watcher"; removal=$(cat "$work/removed" 2>/dev/null); }
