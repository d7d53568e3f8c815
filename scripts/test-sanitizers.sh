#!/usr/bin/env bash
# Builds the program and every test with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# the tests there. Any report fails the run: UBSan halts on its first finding, ASan on its first
# error, LeakSanitizer at exit. Leaks inside Qt's plugins and fontconfig are suppressed in
# tests/lsan.supp; our own code is never suppressed.
#
# The tests labelled "wine" are left out: they drive a real Wine prefix, whose set-up takes most of
# their time, and the normal run already covers them.
#
# VELKOR_ASAN_BUILD names the build folder (default build-asan); VELKOR_WERROR=ON makes warnings
# errors.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VELKOR_ASAN_BUILD:-build-asan}

# Debug: no optimiser to hide undefined behaviour behind, and a quicker build.
cmake -S . -B "$build" -G Ninja -DVELKOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
    ${VELKOR_WERROR:+-DVELKOR_WERROR=$VELKOR_WERROR} >/dev/null
cmake --build "$build" -j2

export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:abort_on_error=0:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"

ctest --test-dir "$build" --output-on-failure -j2 -LE wine
