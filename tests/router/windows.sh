#!/bin/bash
# velkor.exe (the Windows build: UPnP only) under Wine in the namespaces' lan (netns.sh), on Xvfb,
# hosting "With Router" against the same miniupnpd: the router's outside address in External IP,
# the game's port mapped when the game starts, a friend's datagram let in, removed on close; and
# a router that never answers (this build's miniupnpc has no socket timeouts of its own).
# Usage: windows.sh BUILD-WINDOWS/velkor.exe; 77 without it, Wine, MinGW, xclip or root.
# shellcheck disable=SC2016,SC2034,SC2119 # check's conditions are evaluated there, with the variables of then
[[ $(id -u) == 0 ]] || { echo "SKIP: not root (network namespaces need it)"; exit 77; }
if [[ ${1:-} != --inside ]]; then
    [[ -f ${1:-} ]] || { echo "SKIP: no Windows build at ${1:-}"; exit 77; }
    for tool in wine wineboot wineserver x86_64-w64-mingw32-gcc xclip; do
        command -v $tool >/dev/null || { echo "SKIP: no $tool"; exit 77; }
    done
fi
export VELKOR_ISOLATED=1 # the program runs in the closed lan namespace instead
here=$(realpath "$(dirname "$0")")
source "$here/../e2e/lib.sh" "$@"
source "$here/netns.sh"
source "$here/drive.sh"
netns_skip_unless_able
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exe=$velkor root=$work/win start_all=$EPOCHREALTIME

net_up || { fail "the network"; finish; }
# Made inside lan: the prefix's wineserver, which owns Wine's sockets, runs there.
timed "wine: a prefix made in lan (wineboot)" in_lan bash "$here/../wine/make_prefix.sh" "$root"
((rc == 0)) || { fail "wine: no prefix: $out"; finish; }
appdata=$(echo "$root"/prefix/drive_c/users/*/AppData/Roaming)/Populous/Velkor
[[ -d ${appdata%/Populous/Velkor} ]] || { fail "wine: no AppData in the prefix"; finish; }
record "$appdata/Velkor.cfg" '2:\1' '4:B\0o' 88:198.51.100.1 '114:\1'
printf '#!/bin/sh\nexec wine %q\n' "$exe" >"$work/velkor-wine" && chmod +x "$work/velkor-wine"
# start NAME: velkor.exe in lan (a new wrapper per network), its window up.
start() { velkor=$(net_wrap lan "$work/velkor-wine") && rm -f "$root/record" && up "$1" "$root" VELKOR_RECORD="Z:$root/record"; }

t0=$EPOCHREALTIME
start wine || finish
echo "time: wine: start → window seen: $(since "$t0") s"
t0=$EPOCHREALTIME
check "wine: the router's outside address fills External IP (through Wine's clipboard)" 'within "$t0" 15 "[[ \"\$(external)\" == $public_ip ]]"'
echo "time: wine: discovery: window seen → External IP filled: $took s"
press_launch
check "wine: the click maps UDP $game_port to the Local IP within 3 s" 'within "$t_click" 3 mapped'
echo "time: wine: mapping: click → mapped in gw: $took s"
row="^ *0 UDP +$game_port->$lan_ip:$game_port +'Velkor \\($lan_ip\\)' '' 3[56][0-9][0-9]\$"
check "wine: the router lists it with Velkor's description and a lease of an hour" '[[ "$(upnp_mappings)" =~ $row ]]'
check "wine: recorded in VelkorRouter.cfg" 'grep -qx "Mapping=UPnP $game_port $lan_ip 3600 [0-9]* Velkor ($lan_ip)" "$appdata/VelkorRouter.cfg"'
if wait_for "[[ -f '$root/record' ]]" 100; then
    mapfile -t game <"$root/record"
    check "wine: the game's switches: ${game[*]:3}" '[[ "${game[*]:3}" == "/h tcp /boundip $lan_ip /externip $public_ip /nBo" ]]'
else fail "wine: the game did not run"; fi
udp_listen lan 0.0.0.0 "$game_port" "$work/got" && udp_send wan "$public_ip" "$game_port" "hello wine"
check "wine: a friend's datagram to $public_ip:$game_port reaches the lan" 'within "$EPOCHREALTIME" 2 "grep -q \" hello wine\$\" \"$work/got\""'
watch_removal && close_velkor && removal_time
echo "time: wine: removal: close → gone from gw: ${removal:-none} s"
check "wine: closed: the mapping is gone, nothing recorded" \
    '[[ -n "$removal" && -z "$(upnp_mappings)" ]] && ! grep -q "^Mapping=" "$appdata/VelkorRouter.cfg"'

net_up silent || { fail "silent: the network"; finish; }
if start "wine silent"; then
    press_launch
    check "wine silent: a message box within 4 s of the click" 'within "$t_click" 4 a_box'
    echo "time: wine silent: click → message box: $took s"
    # Qt copies a message box's text on ctrl+c on Windows.
    [[ -n $box ]] && xdotool windowfocus --sync "$box" key ctrl+c && sleep 0.3 && said=$(timeout 2 xclip -o -selection clipboard 2>/dev/null)
    check "wine silent: it says the router did not answer in time" '[[ "${said:-}" == *"on your router: the router did not answer in time."* ]]'
    [[ -n $box ]] && xdotool windowfocus --sync "$box" key Return
    check "wine silent: answered, the game starts" 'wait_for "[[ -f \"$root/record\" ]]" 100'
    t0=$EPOCHREALTIME && close_velkor
    echo "time: wine silent: close → the program ended: $(since "$t0") s"
fi
net_down
echo "whole test: $(since "$start_all") s"
finish
