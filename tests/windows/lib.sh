# The Windows end-to-end set-up (source lib.sh FILE...): 77 without FILE or Wine; Xvfb, $root/prefix.
if [[ ${1:-} != --inside ]]; then
    [[ -f ${1:?usage: $0 FILE...} ]] || { echo "SKIP: no Windows build at $1"; exit 77; }
    command -v wine >/dev/null || { echo "SKIP: no Wine"; exit 77; }
fi
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh" "$@"
trap 'kill "${background[@]}" 2>/dev/null; stop_velkor; WINEPREFIX=$root/prefix wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
root=$work/win
bash "$(dirname "${BASH_SOURCE[0]}")/../wine/make_prefix.sh" "$root" --fonts || exit $?
env=(VELKOR_RECORD="Z:$root/record") # where the recorder writes; Wine passes no QT_ variable on
# under_wine EXE: $velkor, which up and spawn start, runs EXE under Wine.
under_wine() { velkor=$work/velkor && printf '#!/bin/sh\nexec wine "%s"\n' "$1" >"$velkor" && chmod +x "$velkor"; }
# expect_game NAME PROGRAM SWITCHES: the recorder ran as PROGRAM in its folder; lines in $record.
expect_game() {
    local program=$2 switches=$3
    wait_for "[[ -f '$root/record' ]]" 300 || { fail "$1: the game did not run" && return; }
    mapfile -t record <"$root/record"
    check "$1: $program in its folder" '[[ ${record[2]} == "$program" && ${record[1]} == "${program%\\*}" ]]'
    check "$1: ${record[*]:3}" '[[ "${record[*]:3}" =~ ^$switches$ ]]'
    # While it runs it holds the foreground, and a click meant for Velkor would go for nothing.
    wait_for "game_over '$program'" 300 || fail "$1: the game did not end"
}
# game_over PROGRAM: no process of this prefix runs PROGRAM (as ps names it: 15 characters).
game_over() {
    local name=${1##*\\} pid
    for pid in $(pgrep -x "${name:0:15}"); do
        grep -qxz "WINEPREFIX=$root/prefix" "/proc/$pid/environ" 2>/dev/null && return 1
    done
    return 0
}

# Waiting for what a click does, never for a while: under a busy Wine a click now and then is lost.
click() { xdotool mousemove ${3:+--window "$3"} --sync "$1" "$2" click 1; } # X Y [WINDOW; the screen]
# ink WINDOW X Y W H [BELOW]: a pixel darker than BELOW (of 255; 192: a text's, an option's dot)
# in that rectangle of the window.
ink() {
    import -window "$1" -crop "$4x$5+$2+$3" -depth 8 gray:- 2>/dev/null | od -An -tu1 -v |
        awk -v below="${6:-192}" '{ for (i = 1; i <= NF; i++) if ($i < below) dark = 1 } END { exit !dark }'
}
# until_state [-t TENTHS] CONDITION ACTION...: ACTION, then CONDITION within TENTHS (50) tenths of a
# second; ACTION once more if it was lost.
until_state() {
    local bound=50 try condition
    [[ $1 == -t ]] && bound=$2 && shift 2
    condition=$1 && shift
    for try in 1 2; do
        ((try == 1)) || echo "once more: $*"
        "$@" && wait_for "$condition" "$bound" && return 0
    done
    return 1
}
# choose X Y [WINDOW]: the option whose dot is at X Y of the window (the main window's client area)
# selected.
choose() {
    local id=${3:-$wid} x=$1 y=$2
    [[ -n ${3:-} ]] || x=$((x + WIDTH - 417)) y=$((y + HEIGHT - 437)) # the client area: see up
    until_state "ink $id $((x - 1)) $((y - 1)) 3 3" click "$x" "$y" "$id"
}
# on_screen TITLE: a window with that title is shown.
on_screen() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
# focus_main: a click on the logo makes the main window the active one, its menu black, not grey.
focus_main() { until_state "ink $wid 4 2 40 14 64" click $((client_x + 208)) $((client_y + 60)); }
# keys_to_main KEY...: the keys, the main window active. As a game ends Wine may take the
# foreground from it again: steps that use this wait for what the keys do and try once more.
keys_to_main() { focus_main && xdotool key "$@"; }
