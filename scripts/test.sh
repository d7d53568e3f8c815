#!/usr/bin/env bash
# The test command: installs what is missing, builds Velkor for Linux and for Windows and runs
# every test (unit, window, end-to-end, Wine, the Windows build under Wine, install). The deeper
# proof CI adds is scripts/proof.sh.
# VELKOR_WERROR=ON makes the build treat warnings as errors, as CI's does.
set -euo pipefail
cd "$(dirname "$0")/.."
# The tests against real peers need Wine and a compiler for Windows programs.
export VELKOR_WITH_WINE=1
bash scripts/setup.sh
cmake -S . -B build -G Ninja ${VELKOR_WERROR:+-DVELKOR_WERROR=$VELKOR_WERROR} >/dev/null
cmake --build build
# The Windows build, which the tests labelled windows run under Wine. Qt for Windows is built
# once (half an hour) into a cache outside the tree, then reused.
nice bash scripts/build-windows.sh build-windows
ctest --test-dir build --output-on-failure -j2
