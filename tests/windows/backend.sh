#!/bin/bash
# Runs the Windows build's backend test under Wine in a fresh prefix, with the loopback echo page
# for its downloads. Usage: backend.sh BUILD-WINDOWS ECHO_SERVER.py (77 without them or Wine).
set -u
build=${1:?usage: backend.sh build-windows echo_server.py} server=${2:?}
[[ -f $build/test_windows_backend.exe ]] || { echo "SKIP: no test_windows_backend.exe in $build"; exit 77; }
command -v wine >/dev/null || { echo "SKIP: no Wine"; exit 77; }
work=$(mktemp -d) server_pid=
trap 'kill $server_pid 2>/dev/null; WINEPREFIX=$work/prefix wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
bash "$(dirname "$0")/../wine/make_prefix.sh" "$work" || exit $?
mkdir -p "$work/files"
exec 3< <(exec python3 "$server" 120) && server_pid=$! && read -r -u 3 port
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export VELKOR_TEST_FOLDER="Z:$work/files" VELKOR_ECHO_URL="http://127.0.0.1:$port/"
# Wine gives the console no output of a windowed Qt program: the results go to a file.
wine "$build/test_windows_backend.exe" -o "Z:$work/result.txt,txt"
status=$?
cat "$work/result.txt" 2>/dev/null || echo "no results"
exit $status
