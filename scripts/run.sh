#!/usr/bin/env bash
# Installs what is missing, builds Velkor and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target velkor
exec ./build/velkor "$@"
