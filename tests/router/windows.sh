#!/bin/bash
# velkor.exe under Wine in netns.sh's lan hosting "With Router", through UPnP and through NAT-PMP
# alone: mapped on the click, removed on the close. Usage: windows.sh BUILD-WINDOWS/velkor.exe; 77 without it, Wine, MinGW or root.
# shellcheck disable=SC2016,SC2119 # check's conditions are evaluated there
here=$(realpath "$(dirname "$0")")
source "$here/netns.sh" "$@"
[[ -f $velkor ]] || skip "no Windows build at $velkor"
for tool in wine wineboot wineserver x86_64-w64-mingw32-gcc; do command -v $tool >/dev/null || skip "no $tool"; done
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
root=$work/win && network wine
# Made inside lan: the prefix's wineserver, which owns Wine's sockets, runs there.
ns lan bash "$here/../wine/make_prefix.sh" "$root" >"$work/prefix.log" 2>&1 || { fail "no Wine prefix: $(cat "$work/prefix.log")"; finish; }
appdata=$(echo "$root"/prefix/drive_c/users/*/AppData/Roaming)/Populous/Velkor
record "$appdata/Velkor.cfg" '2:\1' '4:B\0o' 88:198.51.100.1 '114:\1'
printf '#!/bin/sh\nexec wine %q\n' "$velkor" >"$work/velkor-wine" && chmod +x "$work/velkor-wine"
if velkor=$(net_wrap lan "$work/velkor-wine") up wine "$root" VELKOR_RECORD="Z:$root/record"; then
    check "wine: the router's outside address fills External IP" 'within "$EPOCHREALTIME" 15 "[[ \"\$(external)\" == $public_ip ]]"'
    click_launch
    check "wine: the click maps UDP $game_port to the Local IP within 3 s; the game runs" \
        'within "$t_click" 3 mapped && wait_for "[[ -f $root/record ]]" 100'
    sleep 1 && close_velkor && check "wine: closed: the mapping is gone from gw and the router's list, nothing recorded" \
        'within "$EPOCHREALTIME" 3 "! mapped" && [[ -z "$(upnp_mappings)" ]] && ! grep -q "^Mapping=" "$appdata/VelkorRouter.cfg"'
fi
# A router that speaks NAT-PMP alone: the same mapping through libnatpmp, and a friend's datagram
# through it reaches this machine's UDP 7575, where the game (ended here) listened.
network wine-natpmp natpmp-only && rm -f "$root/record"
if velkor=$(net_wrap lan "$work/velkor-wine") up wine-natpmp "$root" VELKOR_RECORD="Z:$root/record"; then
    check "wine-natpmp: the router's outside address fills External IP" 'within "$EPOCHREALTIME" 15 "[[ \"\$(external)\" == $public_ip ]]"'
    click_launch
    check "wine-natpmp: the click maps UDP $game_port within 3 s; the game runs with /externip $public_ip" \
        'within "$t_click" 3 mapped && wait_for "[[ -f $root/record ]]" 100 && grep -qx -- "$public_ip" "$root/record"'
    (hosts lan listen 0.0.0.0 "$game_port" "$work/got" &) && wait_for '[[ -f $work/got ]]' &&
        ns wan bash -c 'printf "hello game" >"/dev/udp/$0/$1"' "$public_ip" "$game_port"
    check "wine-natpmp: the friend's datagram reaches UDP $game_port here" \
        'wait_for "grep -sqx \"$friend_ip:[0-9]* hello game\" $work/got" 30'
    close_velkor && check "wine-natpmp: closed: the mapping is gone from gw" 'within "$EPOCHREALTIME" 3 "! mapped"'
fi
# A device streaming an endless description: the search gives up at once, the memory stays small.
network endless endless
if velkor=$(net_wrap lan "$work/velkor-wine") up wine-endless "$root" VELKOR_RECORD="Z:$root/record"; then
    # Velkor closing the connection first (TIME-WAIT on its side): it gave up the endless answer.
    wait_for '[[ -n "$(ns lan ss -Htn state time-wait dst "$gw_ip:5000")" ]]' 300
    peak=$(awk '/^VmHWM/ {print int($2 / 1024)}' "/proc/$velkor_pid/status")
    check "wine-endless: at most 400 MiB resident at the peak ($peak MiB), the window answering" '((peak <= 400)) && alive'
    close_velkor
fi
finish
