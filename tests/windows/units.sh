#!/bin/bash
# Runs the unit and window tests of the Windows build (every test_*.exe but the backend's own)
# under Wine in a fresh prefix, offscreen. Usage: units.sh BUILD-WINDOWS (77 without it or Wine).
set -u
build=${1:?usage: units.sh build-windows}
tests=$(find "$build" -maxdepth 1 -name 'test_*.exe' ! -name test_windows_backend.exe | sort)
[[ -n $tests ]] || { echo "SKIP: no unit tests in $build"; exit 77; }
command -v wine >/dev/null || { echo "SKIP: no Wine"; exit 77; }
work=$(mktemp -d)
trap 'WINEPREFIX=$work/prefix wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
bash "$(dirname "$0")/../wine/make_prefix.sh" "$work" || exit $?
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
failed=()
for test in $tests; do
    name=$(basename "$test" .exe)
    # Wine passes no QT_ variable to the program, so the platform is an argument; and it gives the
    # console no output of a windowed Qt program, so the results go to a file.
    timeout 240 wine "$test" -platform offscreen -o "Z:$work/$name.txt,txt"
    status=$?
    cat "$work/$name.txt" 2>/dev/null || echo "$name: no results"
    ((status == 0)) || failed+=("$name ($status)")
done
((${#failed[@]} == 0)) || { echo "FAILED: ${failed[*]}"; exit 1; }
