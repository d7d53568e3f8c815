#!/bin/bash
# The etched divider and the two-line caption in screenshots; Enter presses a focused button.
source "$(dirname "$0")/lib.sh" "$@"
command -v import >/dev/null || { echo "SKIP: ImageMagick's import is not installed"; exit 77; }
looks() { # WINDOW divider Y X0 X1 (a dark row over a white one, within 2 of Y) | twolines X0 Y0 X1 Y1 (dark over 17 rows)
    import -window "$1" -depth 8 "$work/shot.ppm" 2>/dev/null && python3 - "$work/shot.ppm" "${@:2}" <<'PY'
import re, sys
m = re.match(rb'P6\s+(\d+)\s+(\d+)\s+255\s', data := open(sys.argv[1], 'rb').read())
w, h, pix, a = int(m[1]), int(m[2]), data[m.end():], [int(v) for v in sys.argv[3:]]
rgb = lambda x, y: tuple(pix[3 * (y * w + x):3 * (y * w + x) + 3])
if sys.argv[2] == 'divider':
    row = lambda y: {rgb(x, y % h) for x in range(a[1], a[2])}
    pairs = [(row(y), row(y + 1)) for y in range(a[0] - 2, a[0] + 3)]
    found = [len(up) == 1 and max(next(iter(up))) < 200 and min(map(min, low)) >= 250 for up, low in pairs]
    print(pairs[2]); sys.exit(not any(found))
rows = [y for y in range(a[1], a[3]) if any(sum(rgb(x, y)) < 384 for x in range(a[0], a[2]))]
print('dark rows', rows[:1], rows[-1:]); sys.exit(not (rows and rows[-1] - rows[0] >= 17))
PY
}

root=$work/run && make_prefix "$root/prefix" win32 && up main "$root" || finish
# Line1 at 5760 twips (row 384) and Line2 below it, of the 437 rows of the client area.
check "divider" 'wait_for "looks $wid divider $((384 - 437)) 20 400" 50'

# Options: the caption at (240, 3240) twips; Enter on the focused Cancel saves nothing.
xdotool windowfocus --sync "$wid" key ctrl+o
did=$(dialog Options) && check "caption on two lines" 'wait_for "looks $did twolines 34 216 201 241" 50'
click_in "$did" 300 199 && xdotool type --delay 40 Q && xdotool key Tab Tab Return
check "Enter on Cancel" 'gone Options && [[ "$(field "$(cfg "$root")" 4 32)" != *Q* ]]'
close_velkor

# At 150 % the divider's rows fall between device rows: both lines are still drawn.
up scaled "$root" QT_SCALE_FACTOR=1.5 || finish
check "divider at 150 %" 'wait_for "looks $wid divider $((-53 * 3 / 2)) 30 600" 50'
close_velkor
finish
