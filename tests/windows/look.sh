#!/bin/bash
# Runs the Windows build's look test (test_windows_look.exe: the manifest, the versions, the native
# style, the windows' frames) under Wine on Xvfb, on Qt's Windows platform, where the windows are
# real. Usage: look.sh TEST_WINDOWS_LOOK.EXE (77 without it, Wine or Xvfb).
source "$(dirname "$0")/lib.sh" "$@"
results=$work/look.txt
(export WINEPREFIX=$root/prefix && cd "$work" && timeout 240 wine "$velkor" -platform windows -o "Z:$results,txt")
status=$?
cat "$results" 2>/dev/null || echo "no results"
exit $status
