#!/usr/bin/env bash
# Installs what building and running Velkor needs ("scripts/setup.sh run": the compiler, CMake,
# Qt and the libraries; nothing for the tests), builds Velkor and starts it. The game itself
# runs under Wine, which the README's "Finding the game" tells how to install.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target velkor
exec ./build/velkor "$@"
