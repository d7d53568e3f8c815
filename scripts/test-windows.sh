#!/usr/bin/env bash
# The Windows build and its tests: installs what they need ("scripts/setup.sh windows": MinGW-w64,
# Debian's source tools, NSIS, Wine), builds Qt for Windows from Debian's source or reuses it from
# its cache (about 20 minutes on two cores the first time, seconds after), then velkor.exe, the
# installer and the zip into build-windows, and runs every test labelled windows under Wine. The
# Linux build is made too: those tests compare the two and run from its test list.
# VELKOR_WERROR=ON makes both builds treat warnings as errors, as CI's do.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh windows
cmake -S . -B build -G Ninja ${VELKOR_WERROR:+-DVELKOR_WERROR=$VELKOR_WERROR} >/dev/null
cmake --build build
nice bash scripts/build-windows.sh build-windows
ctest --test-dir build --output-on-failure -j2 -L windows
