#!/bin/bash
# The router tests' network proven with independent clients only (upnpc, natpmpc, igd.py): in
# each mode what discovery finds and how fast, mapping UDP 7575 and its removal, a friend's
# datagram reaching the player exactly while mapped, and what the player's lookups can reach.
# shellcheck disable=SC2016,SC2034 # check's conditions are evaluated there, with the variables of then
here=$(dirname "$0")
source "$here/netns.sh"
netns_skip_unless_able
failures=0 start=$EPOCHREALTIME
ok() { echo "ok: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if eval "$2"; then ok "$1"; else fail "$1"; fi; } # NAME CONDITION
igd() { in_lan "$net_python" "$here/igd.py" "$@"; }
in_lan_igd() { ip netns exec "vk$net_id-$1" "$net_python" "$here/igd.py" "${@:2}"; }
# arrives FILE TEXT: a datagram TEXT from the friend (80.100.100.2) was written to FILE within 2 s;
# absent FILE TEXT: none within 0.4 s.
arrives() { net_wait "grep -q '^$friend_ip:[0-9]* $2\$' '$1'" 10; }
absent() { sleep 0.4; ! grep -q " $2\$" "$1"; }
# lease_of PORT: the lease the router reports for UDP PORT (GetSpecificPortMappingEntry).
lease_of() { igd call "$igd_url" GetSpecificPortMappingEntry NewRemoteHost= "NewExternalPort=$1" NewProtocol=UDP | sed -n 's/^NewLeaseDuration=//p'; }
add_mapping=(upnpc -u "$igd_url" -e "Velkor 7575" -a "$lan_ip" 7575 7575 UDP 3600)

echo "== upnp+natpmp"
net_up || { fail "upnp+natpmp: the network"; exit 1; }
timed "upnp: igd.py discovery (first answer)" igd discover 2 --first
check "upnp: SSDP finds the router at $igd_url" '[[ $rc == 0 && "$out" == "$igd_url urn:schemas-upnp-org:device:InternetGatewayDevice:1"* ]]'
timed "upnp: upnpc -s (its discovery waits 2 s)" in_lan upnpc -s
check "upnp: upnpc finds a connected IGD, external address $public_ip" '[[ $rc == 0 && "$out" == *"Found valid IGD"* && "$out" == *"ExternalIPAddress = $public_ip"* ]]'
check "upnp: no mapping at first" '[[ -z "$(mappings)" ]]'
udp_listen lan "$lan_ip" 7575 "$net_dir/lan.got"
udp_send wan "$public_ip" 7575 "before mapping"
check "upnp: unmapped, the friend's datagram does not reach the player" 'absent "$net_dir/lan.got" "before mapping"'
timed "upnp: upnpc maps UDP 7575 for 3600 s" in_lan "${add_mapping[@]}"
said="is redirected to internal $lan_ip:7575 \\(duration=3[56][0-9][0-9]\\)" # read back: a second may be gone
check "upnp: upnpc says mapped" '[[ $rc == 0 && "$out" =~ $said ]]'
check "upnp: the router's rules map UDP 7575 to the player" '[[ "$(mappings)" == "UDP 7575 $lan_ip:7575" ]]'
row="^ *0 UDP +7575->$lan_ip:7575 +'Velkor 7575' '' 3[56][0-9][0-9]\$"
check "upnp: the router lists it with its description and lease" '[[ "$(upnp_mappings)" =~ $row ]]'
lease=$(lease_of 7575)
check "upnp: GetSpecificPortMappingEntry: a lease of $lease s left" '((lease > 3500 && lease <= 3600))'
udp_send wan "$public_ip" 7575 "hello host"
check "upnp: the friend's datagram to $public_ip:7575 reaches the player, from the friend's address" 'arrives "$net_dir/lan.got" "hello host"'
timed "upnp: upnpc removes UDP 7575" in_lan upnpc -u "$igd_url" -d 7575 UDP
check "upnp: removed: no mapping, no pinhole left" '[[ $rc == 0 && -z "$(mappings)" && -z "$(in_gw nft list chain inet filter miniupnpd | grep dport)" ]]'
udp_send wan "$public_ip" 7575 "after removal"
check "upnp: removed, the friend's datagram no longer arrives" 'absent "$net_dir/lan.got" "after removal"'
timed "upnp: natpmpc public address" in_lan natpmpc -g "$gw_ip"
check "upnp: NAT-PMP answers beside UPnP" '[[ $rc == 0 && "$out" == *"Public IP address : $public_ip"* ]]'
echo_page_up
timed "echo page from lan" fetch lan "$echo_url"
check "echo page: the player is seen as $public_ip" '[[ $rc == 0 && "$out" == "$public_ip" ]]'
timed "DNS: getent hosts api.ipify.org in lan" in_lan getent hosts api.ipify.org
check "DNS: a lookup from lan fails within 3 s" '[[ $rc != 0 && -z "$out" ]] && awk "BEGIN { exit !($took < 3) }"'
check "DNS: lan's resolver is the router's address, not this machine's" '[[ "$(in_lan cat /etc/resolv.conf)" == "nameserver $gw_ip" ]]'
check "isolation: the friend has no route into the lan" '! in_wan ip route get "$lan_ip" >/dev/null 2>&1'
check "isolation: the router has no route but its own links" '[[ -z "$(in_gw ip route show default)" ]]'
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
    # As tests/e2e/lib.sh starts its X server: from lan only its filesystem socket is reachable.
    timed "X: xdotool in lan on lib.sh's kind of Xvfb" xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -nolisten tcp" \
        ip netns exec "vk$net_id-lan" xdotool getdisplaygeometry
    check "X: a client in lan reaches the X server" '[[ $rc == 0 && "$out" == "1024 768" ]]'
else
    ok "X: not checked (no xvfb-run or xdotool)"
fi

echo "== igdv1 lan2"
net_up igdv1 lan2 || { fail "igdv1 lan2: the network"; exit 1; }
check "lan2: miniupnpd describes an IGD 1" '[[ "$(fetch lan "$igd_url")" == *"WANIPConnection:1"* ]]'
timed "lan2: the other machine maps UDP 7575 to itself" in_lan2 upnpc -u "$igd_url" -e "Other 7575" -a "$lan2_ip" 7575 7575 UDP 3600
check "lan2: mapped to $lan2_ip" '[[ $rc == 0 && "$(mappings)" == "UDP 7575 $lan2_ip:7575" ]]'
timed "lan2: upnpc in lan maps UDP 7575" in_lan "${add_mapping[@]}"
check "lan2: the player's upnpc is refused with 718" '[[ $rc != 0 && "$out" == *"failed with code 718 (ConflictInMappingEntry)"* ]]'
timed "lan2: igd.py AddPortMapping in lan" igd call "$igd_url" AddPortMapping NewRemoteHost= NewExternalPort=7575 NewProtocol=UDP \
    NewInternalPort=7575 "NewInternalClient=$lan_ip" NewEnabled=1 "NewPortMappingDescription=Velkor 7575" NewLeaseDuration=3600
check "lan2: the player's AddPortMapping is refused with 718" '[[ $rc == 2 && "$out" == "error 718 ConflictInMappingEntry" ]]'
timed "lan2: upnpc in lan removes UDP 7575" in_lan upnpc -u "$igd_url" -d 7575 UDP
check "lan2: the player cannot remove the other's mapping (606)" '[[ $rc != 0 && "$out" == *"failed with code : 606"* ]]'
check "lan2: the other's mapping is untouched" '[[ "$(mappings)" == "UDP 7575 $lan2_ip:7575" && "$(upnp_mappings)" == *"'"'"'Other 7575'"'"'"* ]]'
udp_listen lan "$lan_ip" 7575 "$net_dir/lan.got" && udp_listen lan2 "$lan2_ip" 7575 "$net_dir/lan2.got"
udp_send wan "$public_ip" 7575 "to whoever hosts"
check "lan2: the friend's datagram reaches the other machine, not the player" \
    'arrives "$net_dir/lan2.got" "to whoever hosts" && absent "$net_dir/lan.got" "to whoever hosts"'
timed "lan2: natpmpc in lan asks for 7575" in_lan natpmpc -g "$gw_ip" -a 7575 7575 udp 3600
check "lan2: NAT-PMP gives the player another public port instead" '[[ $rc == 0 && "$out" =~ Mapped\ public\ port\ ([0-9]+)\ protocol\ UDP\ to\ local\ port\ 7575 && ${BASH_REMATCH[1]} != 7575 ]]'
check "lan2: the other's 7575 is still untouched" '[[ "$(mappings | grep " 7575 ")" == "UDP 7575 $lan2_ip:7575" ]]'

echo "== natpmp-only"
net_up natpmp-only || { fail "natpmp-only: the network"; exit 1; }
timed "natpmp-only: igd.py discovery (1 s window)" igd discover 1
check "natpmp-only: SSDP finds nothing" '[[ $rc == 1 && -z "$out" ]]'
timed "natpmp-only: natpmpc public address" in_lan natpmpc -g "$gw_ip"
check "natpmp-only: NAT-PMP gives $public_ip" '[[ $rc == 0 && "$out" == *"Public IP address : $public_ip"* ]]'
udp_listen lan "$lan_ip" 7575 "$net_dir/lan.got"
timed "natpmp-only: natpmpc maps UDP 7575 for 3600 s" in_lan natpmpc -g "$gw_ip" -a 7575 7575 udp 3600
check "natpmp-only: mapped" '[[ $rc == 0 && "$out" == *"Mapped public port 7575 protocol UDP to local port 7575 liftime 3600"* && "$(mappings)" == "UDP 7575 $lan_ip:7575" ]]'
udp_send wan "$public_ip" 7575 "hello natpmp"
check "natpmp-only: the friend's datagram reaches the player" 'arrives "$net_dir/lan.got" "hello natpmp"'
timed "natpmp-only: natpmpc removes it (lifetime 0)" in_lan natpmpc -g "$gw_ip" -a 7575 7575 udp 0
check "natpmp-only: removed" '[[ $rc == 0 && -z "$(mappings)" ]]'
udp_send wan "$public_ip" 7575 "after natpmp removal"
check "natpmp-only: removed, the friend's datagram no longer arrives" 'absent "$net_dir/lan.got" "after natpmp removal"'

echo "== none"
net_up none || { fail "none: the network"; exit 1; }
timed "none: igd.py discovery (1 s window)" igd discover 1
check "none: SSDP finds nothing" '[[ $rc == 1 && -z "$out" ]]'
timed "none: upnpc -s (four kinds of device, 2 s each)" in_lan upnpc -s
check "none: upnpc finds no IGD" '[[ $rc != 0 && "$out" == *"No IGD UPnP Device found on the network"* ]]'
timed "none: natpmpc public address" in_lan natpmpc -g "$gw_ip"
check "none: NAT-PMP fails at once (port unreachable)" '[[ $rc != 0 && "$out" == *"returned -7 (FAILED)"* ]] && awk "BEGIN { exit !($took < 1) }"'
echo_page_up
check "none: the router still NATs the player out" '[[ "$(fetch lan "$echo_url")" == "$public_ip" ]]'
udp_listen lan "$lan_ip" 7575 "$net_dir/lan.got" && udp_send wan "$public_ip" 7575 "no router daemon"
check "none: the friend's datagram does not reach the player" 'absent "$net_dir/lan.got" "no router daemon"'

echo "== cgnat"
net_up cgnat || { fail "cgnat: the network"; exit 1; }
timed "cgnat: igd.py discovery (first answer)" igd discover 2 --first
check "cgnat: SSDP finds the router" '[[ $rc == 0 && "$out" == "$igd_url "* ]]'
timed "cgnat: upnpc -s" in_lan upnpc -s
check "cgnat: upnpc reports a not connected IGD" '[[ $rc != 0 && "$out" == *"Found a (not connected?) IGD"* ]]'
timed "cgnat: GetExternalIPAddress" igd call "$igd_url" GetExternalIPAddress
check "cgnat: the router gives no external address" '[[ $rc == 0 && "$out" == "NewExternalIPAddress=" ]]'
timed "cgnat: upnpc maps UDP 7575" in_lan "${add_mapping[@]}"
check "cgnat: the mapping is refused (501)" '[[ $rc != 0 && "$out" == *"failed with code 501"* && -z "$(mappings)" ]]'
timed "cgnat: natpmpc maps UDP 7575" in_lan natpmpc -g "$gw_ip" -a 7575 7575 udp 3600
check "cgnat: the NAT-PMP mapping is refused (network failure)" '[[ $rc != 0 && "$out" == *"returned -52 (FAILED)"* && -z "$(mappings)" ]]'
echo_page_up
check "cgnat: the echo page sees the provider's $public_ip, the router has $router_ip" '[[ "$(fetch lan "$echo_url")" == "$public_ip" && $router_ip == 100.64.0.2 ]]'

echo "== silent"
net_up silent || { fail "silent: the network"; exit 1; }
timed "silent: igd.py discovery (first answer)" igd discover 2 --first
check "silent: SSDP answers with $igd_url" '[[ $rc == 0 && "$out" == "$igd_url "* ]]'
timed "silent: igd.py call bounded at 2 s" igd -t 2 call "$igd_url" GetExternalIPAddress
check "silent: igd.py gives up within its bound" '[[ $rc == 3 && "$out" == "no answer: "* ]] && awk "BEGIN { exit !($took >= 1.9 && $took < 3) }"'
check "silent: the port accepts connections (a hung router, not a closed port)" 'in_lan bash -c "exec 3<>/dev/tcp/$gw_ip/5000"'
timed "silent: upnpc -u (miniupnpc's own HTTP timeout)" in_lan upnpc -u "$igd_url" -s
check "silent: upnpc fails, bounded" '[[ $rc != 0 ]] && awk "BEGIN { exit !($took < 10) }"'
timed "silent: natpmpc public address" in_lan natpmpc -g "$gw_ip"
check "silent: NAT-PMP fails at once" '[[ $rc != 0 ]] && awk "BEGIN { exit !($took < 1) }"'

net_down
check "cleanup: no namespace of this run left" '! ip netns list | grep -q "^vk$$-"'
echo "whole test: $(since "$start") s"
((failures == 0)) || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
