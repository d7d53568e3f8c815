#!/usr/bin/env bash
# Installs what is missing, builds Velkor and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
# The tests against real peers need Wine and a compiler for Windows programs.
export VELKOR_WITH_WINE=1
bash scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j2
# Proof against real peers: the tests again under AddressSanitizer and UBSan, every parser of
# outside bytes fuzzed for a minute, and the start-up figures (printed, never judged).
bash scripts/test-sanitizers.sh
bash scripts/fuzz.sh
bash scripts/bench-startup.sh
# The Debian package installs, starts and uninstalls cleanly.
bash scripts/check-deb.sh build
