# The router tests' set-up (source netns.sh VELKOR..., $here this folder): tests/e2e/lib.sh, its program in a network of
# namespaces vk<PID>-*, unlinked from this machine's: lan (lan2) behind gw, then wan (cgnat: through isp), a friend.
# shellcheck shell=bash disable=SC2034,SC2154,SC2015,SC2016 # variables for and from the sourcing scripts
export VELKOR_ISOLATED=1 # lib.sh's own namespace is replaced by the closed lan namespace
source "$here/../e2e/lib.sh" "$@"
net_python=$(python3 -c "import sys; print(sys.executable)") # past pyenv's shim: 0.2 s a start
lan_ip=192.168.50.2 lan2_ip=192.168.50.3 gw_ip=192.168.50.1 friend_ip=80.100.100.2 public_ip=80.100.100.1
igd_url=http://$gw_ip:5000/rootDesc.xml game_port=7575 net_id='' net_spaces=() cleanup=net_down

ns() { ip netns exec "vk$net_id-$1" "${@:2}"; }
ipn() { ip -n "vk$net_id-$1" "${@:2}"; }
hosts() { ns "$1" "$net_python" "$here/hosts.py" "${@:2}"; } # NS COMMAND ARGS...
net_listening() { [[ -n "$(ns "$1" ss -Hln "$2" "sport = :$3")" ]]; } # NS -t|-u PORT

((EUID == 0)) || skip "not root (network namespaces need it)"
for tool in ip nft miniupnpd upnpc natpmpc ss flock xclip; do command -v $tool >/dev/null || skip "no $tool"; done
# Shared file system sockets: nscd would look up on this machine's network, minissdpd list its routers.
[[ ! -S /var/run/nscd/socket && ! -S /var/run/minissdpd.sock ]] || skip "nscd or minissdpd runs here"
ip netns add vk$$-probe 2>/dev/null && ip -n vk$$-probe link add probe0 type veth peer name probe1 2>/dev/null &&
    ip netns exec vk$$-probe nft add table inet probe 2>/dev/null
able=$? && ip netns del vk$$-probe 2>/dev/null; ((able == 0)) || skip "no network namespace with veth pairs and nftables"

net_etc() { # + | - NS: /etc/netns/NS made (DNS at gw, where nothing answers) or removed; runs share it.
    { flock 9 && rm -rf "/etc/netns/$2"
        if [[ $1 == + ]]; then
            [[ -d /etc/netns ]] || { mkdir /etc/netns && : >/etc/netns/.vk-tests; }
            mkdir -p "/etc/netns/$2" && echo "nameserver $gw_ip" >"/etc/netns/$2/resolv.conf" &&
                echo 'hosts: files dns' >"/etc/netns/$2/nsswitch.conf"
        elif [[ "$(ls -A /etc/netns 2>/dev/null)" == .vk-tests ]]; then rm -rf /etc/netns; fi; } 9</etc
}
net_space() { # NAME: loopback up, no IPv6 (the "internet" is IPv4 only)
    local n=vk$net_id-$1 && ip netns add "$n" && net_spaces+=("$n") && ipn "$1" link set lo up && net_etc + "$n" &&
        ns "$1" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
}
net_del() { # NS: what runs in NS (these tests' own) ended, by id; NS removed.
    ip netns pids "$1" 2>/dev/null | xargs -r kill 2>/dev/null
    within "$EPOCHREALTIME" 1 "[[ -z \"\$(ip netns pids $1 2>/dev/null)\" ]]" || ip netns pids "$1" | xargs -r kill -9
    ip netns del "$1" && net_etc - "$1"
}
net_link() { # NS1 IF1 ADDR1|br0 NS2 IF2 ADDR2: a veth pair made in NS1, never in this machine's namespace.
    ipn "$1" link add "$2" type veth peer name "$5" netns "vk$net_id-$4" && ipn "$4" addr add "$6" dev "$5" &&
        if [[ $3 == br0 ]]; then ipn "$1" link set "$2" master br0; else ipn "$1" addr add "$3" dev "$2"; fi &&
        ipn "$1" link set "$2" up && ipn "$4" link set "$5" up
}

net_up() { # [MODE...]: the network afresh, with miniupnpd as the router unless a MODE names another.
    local n p daemon=upnp+natpmp upnp=yes && net_down
    # Namespaces of runs that were killed (SIGKILL, a timeout) go first.
    for n in $(ip netns list | grep -oE '^vk[0-9]+-(lan2?|gw|wan|isp|probe)\b'); do p=${n%%-*} && [[ -d /proc/${p#vk} ]] || net_del "$n"; done
    net_id=$$ net_dir=$work/net && mkdir -p "$net_dir" && for n; do [[ $n == cgnat || $n == lan2 ]] || daemon=$n; done
    net_space lan && net_space gw && net_space wan && ns gw sysctl -qw net.ipv4.ip_forward=1 &&
        ipn gw link add br0 type bridge mcast_snooping 0 && ipn gw addr add "$gw_ip/24" dev br0 &&
        ipn gw link set br0 up && net_link gw port1 br0 lan eth0 "$lan_ip/24" &&
        ns lan ip route add default via "$gw_ip" || return 1
    if [[ " $* " == *" lan2 "* ]]; then
        net_space lan2 && net_link gw port2 br0 lan2 eth0 "$lan2_ip/24" && ns lan2 ip route add default via "$gw_ip" || return 1
    fi
    if [[ " $* " == *" cgnat "* ]]; then
        net_space isp && ns isp sysctl -qw net.ipv4.ip_forward=1 && net_link gw wan0 100.64.0.2/24 isp in0 100.64.0.1/24 &&
            net_link isp out0 "$public_ip/24" wan eth0 "$friend_ip/24" && ns gw ip route add default via 100.64.0.1 &&
            ns isp nft 'table ip nat { chain post { type nat hook postrouting priority srcnat; oifname "out0" masquerade; }; }' || return 1
    else net_link gw wan0 "$public_ip/24" wan eth0 "$friend_ip/24" || return 1; fi
    # The router's firewall: lan out, answers in, else only what miniupnpd maps (its default chains).
    ns gw nft -f - <<'NFT' || return 1
table inet filter {
    chain forward { type filter hook forward priority 0; policy drop; ct state established,related accept; iifname "br0" oifname "wan0" accept; jump miniupnpd; }
    chain prerouting { type nat hook prerouting priority dstnat; jump prerouting_miniupnpd; }
    chain postrouting { type nat hook postrouting priority srcnat; jump postrouting_miniupnpd; oifname "wan0" masquerade; }
    chain miniupnpd { }; chain prerouting_miniupnpd { }; chain postrouting_miniupnpd { }
}
NFT
    case $daemon in
        none) ;;
        silent | endless) (hosts gw ${daemon/silent/hung}-router "$gw_ip" 2>/dev/null &) && within "$EPOCHREALTIME" 5 'net_listening gw -t 5000 && net_listening gw -u 1900' || return 1 ;;
        *)
            [[ $daemon == natpmp-only ]] && upnp=no
            # secure_mode=no: a lan machine may replace another's mappings; only Velkor's restraint keeps them.
            printf '%s\n' ext_ifname=wan0 listening_ip=br0 http_port=5000 enable_upnp=$upnp enable_natpmp=yes secure_mode=no >"$net_dir/miniupnpd.conf"
            (ns gw miniupnpd -d -f "$net_dir/miniupnpd.conf" -P "$net_dir/miniupnpd.pid" 2>"$net_dir/miniupnpd.log" &)
            within "$EPOCHREALTIME" 5 'net_listening gw -u 5351 && { [[ $upnp == no ]] || net_listening gw -t 5000; }' ||
                { echo "net: miniupnpd did not start: $(tail -n 5 "$net_dir/miniupnpd.log")"; return 1; }
            ;;
    esac
}
net_down() { local n && for n in "${net_spaces[@]}"; do net_del "$n"; done && net_id='' net_spaces=(); }
network() { net_up "${@:2}" || { fail "$1: the network"; finish; }; } # NAME [MODE...]: net_up, or the run ends

mappings() { # the router's port mappings from its nftables rules, "PROTO PORT ADDRESS:PORT" a line.
    ns gw nft list chain inet filter prerouting_miniupnpd 2>/dev/null | awk '/ dnat ip to / {
        proto = $0 ~ /@nh,72,8 0x11|udp dport/ ? "UDP" : $0 ~ /@nh,72,8 0x6|tcp dport/ ? "TCP" : "?"
        match($0, /dport [0-9]+/); port = substr($0, RSTART + 6, RLENGTH - 6)
        match($0, /dnat ip to [0-9.:]+/); print proto, port, substr($0, RSTART + 11, RLENGTH - 11) }' | sort
}
upnp_mappings() { ns lan upnpc -u "$igd_url" -l 2>&1 | grep -E '^ *[0-9]+ (UDP|TCP) '; } # the router's own list
mapped() { mappings | grep -qx "UDP $game_port $lan_ip:$game_port"; }
net_wrap() { # NS PROGRAM: a program running PROGRAM in NS with the same process id (ip netns exec execs).
    local w=$net_dir/in-$1-${2##*/}
    printf '#!/bin/sh\nexec ip netns exec %q %q "$@"\n' "vk$net_id-$1" "$(realpath "$2")" >"$w" && chmod +x "$w" && echo "$w"
}

# within T0 SECONDS CONDITION: it holds by then, T0 an $EPOCHREALTIME.
within() { until eval "$3"; do ((${EPOCHREALTIME/./} - ${1/./} > $2 * 1000000)) && return 1; sleep 0.02; done; }
copy_at() { # X Y [WINDOW]: what ctrl+a, ctrl+c copy from the control at X Y of the main window's client area.
    if [[ -n ${3:-} ]]; then xdotool mousemove --window "$3" "$1" "$2" click 1
    else xdotool windowfocus --sync "$wid" mousemove $((client_x + $1)) $((client_y + $2)) click 1; fi
    xdotool key ctrl+a ctrl+c && sleep 0.1 && timeout 2 xclip -o -selection clipboard 2>/dev/null
}
external() { copy_at 340 312; } # txtRouterIP
