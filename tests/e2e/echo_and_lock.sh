#!/bin/bash
# Hostile echo answers stay off the game's command line; a live Velkor stops a second start.
source "$(dirname "$0")/lib.sh" "$@"
exec 4< <(exec python3 "$4" 280) && background+=($!) && read -r -t 10 -u 4 port || { fail "the echo server did not start"; finish; }

# Hosting "With Router", the router left alone: /externip is the answer's address, or the stored one;
# a page that never ends its answer holds the window back only for the download's bound. /say?TEXT: TEXT.
while IFS='|' read -r -u 3 name page expected; do
    root=$work/$name && make_prefix "$root/prefix" win32 && record "$(cfg "$root")" '2:\1' '4:B\0o' 88:198.51.100.1 '114:\1'
    echo OpenPortWhenHosting=0 >"$(dirname "$(cfg "$root")")/VelkorRouter.cfg"
    started=$EPOCHREALTIME
    velkor=$3 up "$name" "$root" VELKOR_E2E_ECHO_URL="http://127.0.0.1:$port$page" http_proxy= HTTP_PROXY= all_proxy= ALL_PROXY= || continue
    echo "time: $name: window after $(awk "BEGIN { print $EPOCHREALTIME - $started }") s"
    click_launch && expect_run "$name" "$game" "</h> <tcp> </boundip> (<[0-9.]+> )?</externip> <${expected//./\\.}> </nBo>"
    close_velkor
    check "$name: kept $expected" '[[ $(field "$(cfg "$root")" 88 24) == "$expected" ]]'
done 3<<'CASES'
public|/say?%2080.100.100.7%0D%0A|80.100.100.7
switches|/say?1.2.3.4%20/j%206.6.6.6%20%22/nEvil%20x|198.51.100.1
ipv6|/say?%202001:db8::7%0A|198.51.100.1
loopback|/say?127.0.0.1|198.51.100.1
silent|/silent|198.51.100.1
dripping|/drip|198.51.100.1
CASES

root=$work/live && make_prefix "$root/prefix" win32 && up live "$root" || finish
second_start "$root" && close_velkor
finish
