# The Windows end-to-end set-up (source lib.sh FILE...): 77 without FILE or Wine; Xvfb, $root/prefix.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh" "$@"
[[ -f $velkor ]] || skip "no Windows build at $velkor"
command -v wine >/dev/null || skip "no Wine"
root=$work/win cleanup='WINEPREFIX=$root/prefix wineserver -k 2>/dev/null'
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
bash "$(dirname "${BASH_SOURCE[0]}")/../wine/make_prefix.sh" "$root" --fonts || exit $?
env=(VELKOR_RECORD="Z:$root/record") # where the recorder writes; Wine passes no QT_ variable on
appdata=$(echo "$root"/prefix/drive_c/users/*/AppData/Roaming)/Populous/Velkor
# under_wine EXE: $velkor, which up and spawn start, runs EXE under Wine.
under_wine() { velkor=$work/velkor && printf '#!/bin/sh\nexec wine "%s"\n' "$1" >"$velkor" && chmod +x "$velkor"; }
expect_game() { # NAME PROGRAM SWITCHES: the recorder ran as PROGRAM in its folder; lines in $record.
    local program=$2 switches=$3
    wait_for "[[ -f '$root/record' ]]" 300 && mapfile -t record <"$root/record" || { fail "$1: the game did not run" && return; }
    check "$1: $program in its folder" '[[ ${record[2]} == "$program" && ${record[1]} == "${program%\\*}" ]]'
    check "$1: ${record[*]:3}" '[[ "${record[*]:3}" =~ ^$switches$ ]]'
    # While it runs it holds the foreground, and a click meant for Velkor would go for nothing.
    wait_for "game_over '$program'" 300 || fail "$1: the game did not end"
}
game_over() { # PROGRAM: no process of this prefix runs PROGRAM (as ps names it: 15 characters).
    local name=${1##*\\} && set -- $(pgrep -x "${name:0:15}" | sed 's|.*|/proc/&/environ|')
    ! grep -qxz "WINEPREFIX=$root/prefix" "$@" /dev/null 2>/dev/null
}

# Waiting for what a click does, never for a while: under a busy Wine a click now and then is lost.
click() { xdotool mousemove ${3:+--window "$3"} --sync "$1" "$2" click 1; } # X Y [WINDOW; the screen]
ink() { # WINDOW X Y W H [BELOW]: a pixel darker than BELOW (of 255; 192: a text's, an option's dot) there.
    import -window "$1" -crop "$4x$5+$2+$3" -depth 8 gray:- 2>/dev/null | od -An -tu1 -v |
        awk -v below="${6:-192}" '{ for (i = 1; i <= NF; i++) if ($i < below) dark = 1 } END { exit !dark }'
}
until_state() { # [-t TENTHS] CONDITION ACTION...: ACTION, then CONDITION within TENTHS (50); once more if lost.
    local bound=50 && [[ $1 == -t ]] && bound=$2 && shift 2
    "${@:2}" && wait_for "$1" "$bound" && return 0
    echo "once more: ${*:2}" && "${@:2}" && wait_for "$1" "$bound"
}
choose() { # X Y [WINDOW]: the option whose dot is at X Y of the window (the main window's client area) selected.
    local id=${3:-$wid} x=$1 y=$2 && [[ -n ${3:-} ]] || x=$((x + WIDTH - 417)) y=$((y + HEIGHT - 437)) # the client area: see up
    until_state "ink $id $((x - 1)) $((y - 1)) 3 3" click "$x" "$y" "$id"
}
on_screen() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; } # TITLE: a window so titled is shown
# keys_to_main KEY...: the keys, the main window made active by a click on the logo (Wine may take it as a game ends).
keys_to_main() { until_state "ink $wid 4 2 40 14 64" click $((client_x + 208)) $((client_y + 60)) && xdotool key "$@"; }
