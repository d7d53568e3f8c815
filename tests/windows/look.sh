#!/bin/bash
# test_windows_look.exe under Wine on Xvfb, on Qt's windows platform, where the windows are real.
source "$(dirname "$0")/lib.sh" "$@"
results=$work/look.txt
(export WINEPREFIX=$root/prefix && cd "$work" && timeout 240 wine "$velkor" -platform windows -o "Z:$results,txt")
status=$?
cat "$results" 2>/dev/null || echo "no results"
exit $status
