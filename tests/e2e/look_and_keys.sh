#!/bin/bash
# End-to-end look and keys: screenshots of the main window's etched divider and of the options
# dialog's two-line check box caption; Enter on a focused button presses it, Enter in a text box
# presses nothing; the folder picker opened at a folder it cannot list hands that folder over.
# Usage: look_and_keys.sh VELKOR
source "$(dirname "$0")/lib.sh" "$@"
command -v import >/dev/null || { echo "SKIP: ImageMagick's import is not installed"; exit 77; }

# shot WINDOW: a screenshot of the window into $work/shot.ppm.
shot() { import -window "$1" -depth 8 "$work/shot.ppm" 2>/dev/null; }

# pixels CHECK ARGS...: checks the last screenshot; prints what it saw, fails when it differs.
#   divider Y X0 X1: row Y (negative: from the bottom) one dark colour, the row below white.
#   twolines X0 Y0 X1 Y1: dark text pixels in the box span more than one line (over 17 rows).
pixels() {
    python3 - "$work/shot.ppm" "$@" <<'PY'
import re, sys
data = open(sys.argv[1], 'rb').read()
m = re.match(rb'P6\s+(\d+)\s+(\d+)\s+255\s', data)
w, h, pix = int(m.group(1)), int(m.group(2)), data[m.end():]
rgb = lambda x, y: tuple(pix[3 * (y * w + x):3 * (y * w + x) + 3])
check, a = sys.argv[2], [int(v) for v in sys.argv[3:]]
if check == 'divider':
    y = a[0] + h if a[0] < 0 else a[0]
    upper = {rgb(x, y) for x in range(a[1], a[2])}
    lower = {rgb(x, y + 1) for x in range(a[1], a[2])}
    print('rows', y, y + 1, 'colours', sorted(upper), sorted(lower))
    ok = len(upper) == 1 and max(next(iter(upper))) < 200 and min(min(c) for c in lower) >= 250
else:
    rows = [y for y in range(a[1], a[3]) if any(sum(rgb(x, y)) < 3 * 128 for x in range(a[0], a[2]))]
    print('dark rows', rows[0] if rows else None, 'to', rows[-1] if rows else None)
    ok = bool(rows) and rows[-1] - rows[0] + 1 > 17
sys.exit(0 if ok else 1)
PY
}

# window_named TITLE: the id of the program's visible window with that title, once it is up.
window_named() {
    local id
    id=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1)
    [[ -n "$id" ]] && xdotool windowfocus --sync "$id" 2>/dev/null && echo "$id"
}
gone() { wait_for "! xdotool search --onlyvisible --name '^$1\$' >/dev/null"; }
# click_in WINDOW X Y: a click at pixels of a dialog's client area.
click_in() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

root=$work/run
make_prefix "$root/prefix" win32
game="$root/prefix/drive_c/Program Files/Bullfrog/Populous"
recorder "$game/D3Dpoptb.exe"
sed -i '2i echo start >>"$0.starts"' "$game/HW_SW_Select.exe" # counts the starts
cfg="$root/config/Populous/Velkor/Velkor.cfg"
saved_name() { python3 -c 'import sys; print(open(sys.argv[1], "rb").read()[4:36:2].rstrip(b"\0").decode())' "$cfg" 2>/dev/null; }
start_velkor "$root" || { fail "the main window did not appear"; finish; }

# The divider: Line1 at 5760 twips (row 384) and Line2 at 5770 twips (row 385) of the 437
# rows of the client area, which ends at the window's bottom.
if wait_for 'shot "$wid" && pixels divider $((384 - 437)) 20 400 >/dev/null' 50; then
    ok "divider: $(pixels divider $((384 - 437)) 20 400)"
else
    fail "divider: $(pixels divider $((384 - 437)) 20 400)"
fi

# Enter in the name box does nothing; Tab to "&Launch Game" and Enter starts the game once.
type_into 66 361 "Bo"
xdotool key Return
xdotool type --delay 40 "x"
xdotool key Tab Return
if read_args "$game/HW_SW_Select.exe"; then
    expect_args "Enter on &Launch Game" '</h> <tcp> </boundip> (<[0-9.]+> )?</nBox>'
    starts=$(wc -l <"$game/HW_SW_Select.exe.starts")
    [[ "$starts" == 1 ]] && ok "Enter in the name box started nothing" || fail "$starts starts"
else
    fail "Enter on the focused &Launch Game started nothing"
fi

# Options: the check box caption on two lines within its box, (0, 2880, 2775, 375) twips inside
# (240, 360) twips, right of the indicator.
xdotool windowfocus --sync "$wid" key ctrl+o
if did=$(window_named Options); then
    if wait_for 'shot "$did" && pixels twolines 34 216 201 241 >/dev/null' 50; then
        ok "caption: $(pixels twolines 34 216 201 241)"
    else
        fail "caption on one line: $(pixels twolines 34 216 201 241)"
    fi
    # Enter on the focused Cancel (name box, then OK, then Cancel): closes, saves nothing.
    click_in "$did" 300 199
    xdotool type --delay 40 "Q"
    xdotool key Tab Tab Return
    gone Options && ok "Enter on Cancel closed the options" || fail "Enter on Cancel"
    [[ "$(saved_name)" != *Q* ]] || fail "Cancel saved the name: $(saved_name)"
else
    fail "the options dialog did not appear"
fi

# Enter in the name box does nothing (the next key still reaches it); Enter on OK saves.
xdotool windowfocus --sync "$wid" key ctrl+o
if did=$(window_named Options); then
    click_in "$did" 300 199
    xdotool key ctrl+a
    xdotool type --delay 40 "Zed"
    xdotool key Return
    xdotool type --delay 40 "2"
    xdotool key Tab Return
    gone Options && ok "Enter on OK closed the options" || fail "Enter on OK"
    wait_for '[[ "$(saved_name)" == Zed2 ]]' && ok "OK saved Zed2" || fail "saved: $(saved_name)"
else
    fail "the options dialog did not appear again"
fi

# The picker opened at a folder that has gone since the alternative load dialog entered it:
# Enter on its OK hands that folder over, and with the folder back, OK there starts the game.
xdotool windowfocus --sync "$wid" key ctrl+t
if aid=$(window_named "Alternative Load"); then
    mv "$game" "$game.gone"
    click_in "$aid" 303 97 # &Browse: (4060, 1320, 975, 285) twips
    if pid=$(window_named "Locate Populous Directory"); then
        xdotool key Return
        gone "Locate Populous Directory" || fail "Enter on the picker's OK did not close it"
    else
        fail "the folder picker did not appear"
    fi
    mv "$game.gone" "$game"
    xdotool windowfocus --sync "$aid"
    click_in "$aid" 264 180 # OK: (3360, 2520, 1215, 375) twips
    if read_args "$game/D3Dpoptb.exe"; then
        expect_args "picker on an unlistable folder" '</h> <tcp> </boundip> (<[0-9.]+> )?</nZed2>'
    else
        fail "the picker handed over no folder: nothing started from the game folder"
    fi
else
    fail "the alternative load dialog did not appear"
fi

close_velkor
finish
