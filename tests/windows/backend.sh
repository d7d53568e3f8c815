#!/bin/bash
# The backend test under Wine, downloading from the loopback echo page. Usage: BUILD ECHO_SERVER.py
build=${1:?usage: backend.sh build-windows echo_server.py} server=${2:?}
source "$(dirname "$0")/prefix.sh" "$build/test_windows_backend.exe"
mkdir -p "$work/files" && exec 3< <(exec python3 "$server" 120) && cleanup="kill $! 2>/dev/null" && read -r -u 3 port
export VELKOR_TEST_FOLDER="Z:$work/files" VELKOR_ECHO_URL="http://127.0.0.1:$port/"
qtest "$build/test_windows_backend.exe"
