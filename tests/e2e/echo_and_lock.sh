#!/bin/bash
# Hostile echo answers stay off the game's command line; a live Velkor stops a second start.
source "$(dirname "$0")/lib.sh" "$@"
python3 "$4" 280 >"$work/port" & background+=($!)
wait_for '[[ -s "$work/port" ]]' || { fail "the echo server did not start"; finish; }

# Hosting "With Router", the router left alone: /externip is the answer's address, or the stored one;
# a page that never ends its answer holds the window back only for the download's bound.
while IFS='|' read -r -u 3 name page expected; do
    root=$work/$name && make_prefix "$root/prefix" win32 && record "$(cfg "$root")" '2:\1' '4:B\0o' 88:198.51.100.1 '114:\1'
    echo OpenPortWhenHosting=0 >"$(dirname "$(cfg "$root")")/VelkorRouter.cfg"
    [[ $page == /* ]] || page=/say?$(python3 -c 'import sys, urllib.parse as u; print(u.quote(sys.argv[1].encode().decode("unicode_escape"), safe=""))' "$page")
    started=$EPOCHREALTIME
    velkor=$3 up "$name" "$root" VELKOR_E2E_ECHO_URL="http://127.0.0.1:$(head -n1 "$work/port")$page" http_proxy= HTTP_PROXY= all_proxy= ALL_PROXY= || continue
    echo "time: $name: window after $(awk "BEGIN { print $EPOCHREALTIME - $started }") s"
    click_launch
    expect_run "$name" "$game" "</h> <tcp> </boundip> (<[0-9.]+> )?</externip> <${expected//./\\.}> </nBo>"
    close_velkor
    check "$name: kept $expected" '[[ $(field "$(cfg "$root")" 88 24) == "$expected" ]]'
done 3<<'CASES'
public| 80.100.100.7\r\n|80.100.100.7
switches|1.2.3.4 /j 6.6.6.6 "/nEvil x|198.51.100.1
ipv6| 2001:db8::7\n|198.51.100.1
loopback|127.0.0.1|198.51.100.1
broadcast|255.255.255.255|198.51.100.1
silent|/silent|198.51.100.1
dripping|/drip|198.51.100.1
CASES

# While one runs, another start shows a message box and ends on Enter.
root=$work/live && make_prefix "$root/prefix" win32 && up live "$root" || finish
first_wid=$wid && spawn "$root"
[[ -n "$wid" ]] && ((HEIGHT < 437)) && xdotool windowfocus --sync $wid key Return
check "second start: a message, and it ended" "[[ -n '$wid' ]] && ((HEIGHT < 437)) && wait_for '! kill -0 $spawned 2>/dev/null'"
kill $spawned 2>/dev/null; alive || fail "the first Velkor ended"
wid=$first_wid && close_velkor
finish
