#!/usr/bin/env bash
# Start-up benchmark (prints figures, never fails on them): Velkor's time from start to its main
# window shown, and its peak memory, against a bare Qt window of the same size, with a real Wine
# hive in the prefix. Runs under Xvfb (or the platform in QT_QPA_PLATFORM when set). Then, when
# there is a Windows build and Wine, velkor.exe under Wine against the bare window built for
# Windows (bench/startup_wine.py).
#
#   BENCH_ROUNDS         runs of each program, alternating (default 10)
#   VELKOR_BUILD         the build folder with velkor in it (default build)
#   VELKOR_BENCH_BUILD   the benchmark's own build folder (default build-bench)
#   VELKOR_WINDOWS_BUILD the Windows build folder with velkor.exe (default build-windows)
#   VELKOR_WERROR        ON: compiler warnings are errors
set -euo pipefail
cd "$(dirname "$0")/.."
# The program looks for a router as its window comes up: it runs in a network namespace of its
# own with loopback only, so that nothing of it leaves this machine.
if [ -z "${VELKOR_ISOLATED:-}" ]; then
    as=() && [ "$(id -u)" -eq 0 ] || as=(--map-root-user)
    exec env VELKOR_ISOLATED=1 unshare --net "${as[@]}" sh -c 'ip link set lo up && exec bash "$@"' sh "$0" "$@"
fi
build=${VELKOR_BUILD:-build}
bench=${VELKOR_BENCH_BUILD:-build-bench}

cmake -S . -B "$build" -G Ninja ${VELKOR_WERROR:+-DVELKOR_WERROR=$VELKOR_WERROR} >/dev/null
cmake --build "$build" --target velkor >/dev/null
cmake -S bench -B "$bench" -G Ninja \
    ${VELKOR_WERROR:+-DCMAKE_COMPILE_WARNING_AS_ERROR=$VELKOR_WERROR} >/dev/null
cmake --build "$bench" >/dev/null

command=(python3 bench/startup.py --velkor "$build/velkor" --bare "$bench/bare_window"
         --probe "$bench/libshown_probe.so" --data tests/data/wine-8.0 --rounds "${BENCH_ROUNDS:-10}")
if [ -n "${QT_QPA_PLATFORM:-}" ]; then
    "${command[@]}"
else
    xvfb-run -a -s "-screen 0 1280x1024x24" "${command[@]}"
fi

windows=${VELKOR_WINDOWS_BUILD:-build-windows}
if [ ! -f "$windows/velkor.exe" ] || ! command -v wine >/dev/null; then
    echo "bench-startup: no Windows build in $windows or no Wine: velkor.exe not measured"
    exit 0
fi
qt=$(bash scripts/build-qt-windows.sh | tail -n1)
cmake -S bench -B "$bench-windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    ${VELKOR_WERROR:+-DCMAKE_COMPILE_WARNING_AS_ERROR=$VELKOR_WERROR} >/dev/null
cmake --build "$bench-windows" >/dev/null
# Beside velkor.exe, where Qt's libraries and plugins are.
cp "$bench-windows/bare_window.exe" "$windows/"
xvfb-run -a -s "-screen 0 1280x1024x24" python3 bench/startup_wine.py --build "$windows" \
    --make-prefix tests/wine/make_prefix.sh --rounds "${BENCH_ROUNDS:-10}"
