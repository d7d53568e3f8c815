#!/usr/bin/env bash
# The test command: installs what is missing, builds Velkor and runs every test (unit, window,
# end-to-end, Wine, install). The deeper proof CI adds is scripts/proof.sh.
# VELKOR_WERROR=ON makes the build treat warnings as errors, as CI's does.
set -euo pipefail
cd "$(dirname "$0")/.."
# The tests against real peers need Wine and a compiler for Windows programs.
export VELKOR_WITH_WINE=1
bash scripts/setup.sh
cmake -S . -B build -G Ninja ${VELKOR_WERROR:+-DVELKOR_WERROR=$VELKOR_WERROR} >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j2
