#!/bin/bash
# The Windows build's test_*.exe but test_windows_* under Wine, offscreen. Usage: units.sh BUILD
build=${1:?usage: units.sh build-windows}
tests=$(find "$build" -maxdepth 1 -name 'test_*.exe' ! -name 'test_windows_*.exe' | sort)
source "$(dirname "$0")/prefix.sh" "${tests%%$'\n'*}" && failed=()
for test in $tests; do # Wine passes no QT_ variable on: the platform is an argument, to those with windows
    args=() && grep -q Qt6Gui "$test" && args=(-platform offscreen)
    qtest "$test" "${args[@]}" || failed+=("$(basename "$test") ($?)")
done
((${#failed[@]} == 0)) || { echo "FAILED: ${failed[*]}"; exit 1; }
