#!/bin/bash
# test_windows_look.exe under Wine on Xvfb, on Qt's windows platform, where the windows are real;
# then its divider and captions again at 120, 144 and 192 DPI (125, 150 and 200 %).
source "$(dirname "$0")/lib.sh" "$@"
export WINEPREFIX=$root/prefix && results=$work/look.txt status=0
for dpi in 96 120 144 192; do
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null 2>&1
    ((dpi == 96)) && only=() || only=(dividerOnScreen captionsFit)
    (cd "$work" && timeout 240 wine "$velkor" -platform windows "${only[@]}" -o "Z:$results,txt") || status=1
    echo "at $dpi DPI:" && { cat "$results" 2>/dev/null || echo "no results"; }
done
exit $status
