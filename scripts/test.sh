#!/usr/bin/env bash
# The test command: installs what the Linux build's tests need ("scripts/setup.sh test"), builds
# Velkor for Linux and runs every test of that build: unit and window tests (offscreen),
# end-to-end runs under Xvfb, the tests against real Wine, and the install checks. The Windows
# build and its tests are scripts/test-windows.sh; the deeper proof is scripts/proof.sh.
# VELKOR_WERROR=ON makes the build treat warnings as errors, as CI's does.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
cmake -S . -B build -G Ninja ${VELKOR_WERROR:+-DVELKOR_WERROR=$VELKOR_WERROR} >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j2 -LE windows
