# The Windows end-to-end set-up (source lib.sh FILE...): 77 without FILE or Wine; Xvfb, $root/prefix.
if [[ ${1:-} != --inside ]]; then
    [[ -f ${1:?usage: $0 FILE...} ]] || { echo "SKIP: no Windows build at $1"; exit 77; }
    command -v wine >/dev/null || { echo "SKIP: no Wine"; exit 77; }
fi
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh" "$@"
trap 'kill "${background[@]}" 2>/dev/null; stop_velkor; WINEPREFIX=$root/prefix wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
root=$work/win
bash "$(dirname "${BASH_SOURCE[0]}")/../wine/make_prefix.sh" "$root" --fonts || exit $?
env=(VELKOR_RECORD="Z:$root/record") # where the recorder writes; Wine passes no QT_ variable on
# under_wine EXE: $velkor, which up and spawn start, runs EXE under Wine.
under_wine() { velkor=$work/velkor && printf '#!/bin/sh\nexec wine "%s"\n' "$1" >"$velkor" && chmod +x "$velkor"; }
# expect_game NAME PROGRAM SWITCHES: the recorder ran as PROGRAM in its folder; lines in $record.
expect_game() {
    local program=$2 switches=$3
    wait_for "[[ -f '$root/record' ]]" 300 || { fail "$1: the game did not run" && return; }
    mapfile -t record <"$root/record"
    check "$1: $program in its folder" '[[ ${record[2]} == "$program" && ${record[1]} == "${program%\\*}" ]]'
    check "$1: ${record[*]:3}" '[[ "${record[*]:3}" =~ ^$switches$ ]]'
}
