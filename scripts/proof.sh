#!/usr/bin/env bash
# The deeper proof, which CI runs after the test command: the tests again under AddressSanitizer
# and UBSan, every parser of outside bytes fuzzed for a minute, the start-up figures (printed,
# never judged), and the Debian package installed on this machine, started and purged. Slow, and
# check-deb.sh changes the system: meant for CI or a throw-away machine.
# VELKOR_WERROR=ON makes every build here treat warnings as errors, the fuzz targets' and the
# benchmark's included, as CI's do.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh proof
# The package is made from the test command's build.
cmake -S . -B build -G Ninja ${VELKOR_WERROR:+-DVELKOR_WERROR=$VELKOR_WERROR} >/dev/null
cmake --build build
bash scripts/test-sanitizers.sh
bash scripts/fuzz.sh
bash scripts/bench-startup.sh
bash scripts/check-deb.sh build
