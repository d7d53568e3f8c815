# Without a display (source prefix.sh FILE): 77 without FILE or Wine; $work/prefix; $cleanup at the end.
set -u
[[ -n ${1:-} && -e $1 ]] || { echo "SKIP: no ${1:-test program}"; exit 77; }
command -v wine >/dev/null || { echo "SKIP: no Wine"; exit 77; }
work=$(mktemp -d) cleanup=: && trap 'eval "$cleanup"; WINEPREFIX=$work/prefix wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
bash "$(dirname "${BASH_SOURCE[0]}")/../wine/make_prefix.sh" "$work" --fonts || exit $?
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
qtest() { # EXE ARGS...: a Qt test under Wine, its results through a file (Wine shows no output).
    local results=$work/$(basename "$1" .exe).txt status
    timeout 240 wine "$1" "${@:2}" -o "Z:$results,txt" || status=$?
    cat "$results" 2>/dev/null || echo "$1: no results"
    return "${status:-0}"
}
