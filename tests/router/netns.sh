# The router tests' network: source "$(dirname "$0")/netns.sh" (after tests/e2e/lib.sh, whose EXIT
# trap net_up keeps). net_up builds a home network and an "internet" of network namespaces named
# vk<PID>-*, with no link to this machine's own network; net_down (also on exit, Ctrl-C or a
# kill) ends what runs in them and removes them.
#
#   lan  192.168.50.2/24, default via 192.168.50.1    (the player; lan2 is 192.168.50.3)
#   gw   br0 192.168.50.1 (a bridge: one port per lan machine), wan0 80.100.100.1 (the router)
#   wan  80.100.100.2/24, no route into the lan      (a friend on the internet)
#   cgnat: gw's wan0 is 100.64.0.2 behind isp (100.64.0.1 inside, 80.100.100.1 outside, NAT)
# shellcheck shell=bash disable=SC2034,SC2015 # variables for the sourcing tests; A && B || undo
set -u
net_lib=$(realpath "$(dirname "${BASH_SOURCE[0]}")")
net_python=$(python3 -c "import sys; print(sys.executable)" 2>/dev/null) # past pyenv's shim: 0.2 s a start
net_id='' net_dir='' net_spaces=() net_pids=() net_router_pid=''
lan_ip=192.168.50.2 lan2_ip=192.168.50.3 gw_ip=192.168.50.1 friend_ip=80.100.100.2
public_ip=80.100.100.1 router_ip=80.100.100.1 igd_url=http://192.168.50.1:5000/rootDesc.xml
echo_url=http://80.100.100.2:8080/ game_port=7575

# since T0: the seconds since T0 (an $EPOCHREALTIME), 3 decimals.
since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }'; }
# timed LABEL CMD...: runs CMD; its output in $out, status in $rc, seconds in $took, all printed.
timed() {
    local t0=$EPOCHREALTIME label=$1 && shift
    out=$("$@" 2>&1) && rc=0 || rc=$?
    took=$(since "$t0")
    echo "time: $label: $took s (exit $rc)"
}

in_lan() { ip netns exec "vk$net_id-lan" "$@"; }
in_lan2() { ip netns exec "vk$net_id-lan2" "$@"; }
in_gw() { ip netns exec "vk$net_id-gw" "$@"; }
in_wan() { ip netns exec "vk$net_id-wan" "$@"; }
in_isp() { ip netns exec "vk$net_id-isp" "$@"; }

# netns_skip_unless_able: exits 77 with the reason unless this can build and run the network.
netns_skip_unless_able() {
    local tool probe="vk$$-probe"
    [[ $(id -u) == 0 ]] || { echo "SKIP: not root (network namespaces need it)"; exit 77; }
    for tool in ip nft miniupnpd upnpc natpmpc python3 ss flock; do
        command -v $tool >/dev/null || { echo "SKIP: no $tool (packages: iproute2 nftables miniupnpd-nftables miniupnpc natpmpc)"; exit 77; }
    done
    # Filesystem sockets are shared with the namespaces: through nscd a lookup would be answered
    # on this machine's network, through minissdpd (which miniupnpc asks first) its routers listed.
    [[ ! -S /var/run/nscd/socket ]] || { echo "SKIP: nscd runs here"; exit 77; }
    [[ ! -S /var/run/minissdpd.sock ]] || { echo "SKIP: minissdpd runs here"; exit 77; }
    ip netns add "$probe" 2>/dev/null || { echo "SKIP: cannot make a network namespace"; exit 77; }
    if ! ip -n "$probe" link add name probe0 type veth peer name probe1 2>/dev/null; then
        ip netns del "$probe"; echo "SKIP: no veth pairs in a network namespace"; exit 77
    fi
    if ! ip netns exec "$probe" nft add table inet probe 2>/dev/null; then
        ip netns del "$probe"; echo "SKIP: no nftables in a network namespace"; exit 77
    fi
    ip netns del "$probe"
}

# Namespaces vk<PID>-* whose run died unkillably (SIGKILL, a timeout) are removed with what runs there.
net_sweep() {
    local ns pid
    for ns in $(ip netns list | awk '{ print $1 }' | grep -E '^vk[0-9]+-(lan|lan2|gw|wan|isp|probe)$'); do
        pid=${ns#vk} pid=${pid%%-*}
        [[ -d /proc/$pid ]] && continue
        net_kill_in "$ns"
        ip netns del "$ns" 2>/dev/null
        rm -rf "/etc/netns/$ns"
    done
    net_etc_tidy
    for ns in /tmp/vk*-net.*; do
        pid=${ns#/tmp/vk} pid=${pid%%-*}
        [[ -d $ns && $pid =~ ^[0-9]+$ && ! -d /proc/$pid ]] && rm -rf "$ns"
    done
}
# net_kill_in NS: ends every process in NS (started by these tests: NS is theirs), by id.
net_kill_in() {
    local pid i
    for pid in $(ip netns pids "$1" 2>/dev/null); do kill "$pid" 2>/dev/null; done
    for ((i = 0; i < 50; i++)); do [[ -z "$(ip netns pids "$1" 2>/dev/null)" ]] && return 0; sleep 0.02; done
    for pid in $(ip netns pids "$1" 2>/dev/null); do kill -9 "$pid" 2>/dev/null; done
}

# net_space NAME: a namespace with loopback up and no IPv6 (the "internet" is IPv4 only). Its DNS
# is the router (192.168.50.1, nothing on port 53: lookups fail at once) with hosts: files dns,
# bound over /etc by ip netns exec, so that no lookup goes to this machine's resolver.
net_space() {
    local ns="vk$net_id-$1"
    ip netns add "$ns" || return 1
    net_spaces+=("$ns")
    ip -n "$ns" link set lo up
    ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
    { # under a lock on /etc: another run may be removing /etc/netns just now
        flock -x 9
        [[ -d /etc/netns ]] || { mkdir /etc/netns && : >/etc/netns/.vk-tests; }
        mkdir -p "/etc/netns/$ns"
    } 9</etc
    echo "nameserver $gw_ip" >"/etc/netns/$ns/resolv.conf"
    printf 'hosts: files dns\nnetworks: files\n' >"/etc/netns/$ns/nsswitch.conf"
}
# net_etc_tidy: /etc/netns goes once the last run's folders have, if these tests made it (marked).
net_etc_tidy() {
    {
        flock -x 9
        [[ -f /etc/netns/.vk-tests && "$(ls -A /etc/netns)" == .vk-tests ]] || return 0
        rm -f /etc/netns/.vk-tests && rmdir /etc/netns
    } 9</etc
}
# net_link NS1 IF1 ADDR1 NS2 IF2 ADDR2: a veth pair made inside NS1 (never in this machine's namespace).
net_link() {
    ip -n "vk$net_id-$1" link add name "$2" type veth peer name "$5" netns "vk$net_id-$4" || return 1
    [[ $3 == - ]] || ip -n "vk$net_id-$1" addr add "$3" dev "$2"
    [[ $6 == - ]] || ip -n "vk$net_id-$4" addr add "$6" dev "$5"
    ip -n "vk$net_id-$1" link set "$2" up && ip -n "vk$net_id-$4" link set "$5" up
}

# net_bg NS CMD...: CMD in the background in namespace vk<id>-NS, ended by net_down; its id in $!.
net_bg() {
    local ns="vk$net_id-$1" && shift
    ip netns exec "$ns" "$@" &
    net_pids+=($!)
}
# net_wait CONDITION [TENTHS]: as lib.sh's wait_for, in steps of 20 ms.
net_wait() { local i; for ((i = 0; i < ${2:-50} * 5; i++)); do eval "$1" && return 0; sleep 0.02; done; return 1; }
net_listening() { [[ -n "$(ip netns exec "vk$net_id-$1" ss -Hln "$2" "sport = :$3")" ]]; } # NS -t|-u PORT

# net_up [MODE...]: the network; modes (the router's daemon, one of): upnp+natpmp (the default),
# natpmp-only, none, silent (an SSDP answer pointing at a port 5000 that never answers); and
# cgnat (gw behind a provider's NAT), lan2 (a second lan machine), igdv1 (miniupnpd describes
# itself as IGD 1, as most home routers do, instead of 2). Sets $net_dir (logs), $router_ip.
net_up() {
    local daemon=upnp+natpmp cgnat='' lan2='' v1='' m t0=$EPOCHREALTIME prev
    for m; do
        case $m in
            upnp+natpmp | natpmp-only | none | silent) daemon=$m ;;
            cgnat) cgnat=1 ;;
            lan2) lan2=1 ;;
            igdv1) v1=1 ;;
            *) echo "net_up: unknown mode $m" >&2; return 2 ;;
        esac
    done
    [[ -z "$net_id" ]] || net_down
    net_sweep
    net_id=$$ net_dir=$(mktemp -d /tmp/vk$$-net.XXXXXX) net_mode="$daemon${cgnat:+ cgnat}${lan2:+ lan2}${v1:+ igdv1}"
    net_igdv1=${v1:+yes} && net_igdv1=${net_igdv1:-no}
    if [[ -z "${net_trapped:-}" ]]; then # keep the EXIT trap already set (lib.sh's)
        prev=$(trap -p EXIT) && eval "prev=(${prev:-x x '' x})"
        # shellcheck disable=SC2064
        trap "net_down; ${prev[2]}" EXIT
        trap 'exit 130' INT && trap 'exit 143' TERM && trap 'exit 129' HUP
        net_trapped=1
    fi
    net_space lan && net_space gw && net_space wan || { net_down; return 1; }
    in_gw sysctl -qw net.ipv4.ip_forward=1
    # A bridge in gw, one port per lan machine, so that lan machines see each other as on one segment.
    ip -n "vk$net_id-gw" link add name br0 type bridge mcast_snooping 0 &&
        ip -n "vk$net_id-gw" addr add "$gw_ip/24" dev br0 && ip -n "vk$net_id-gw" link set br0 up &&
        net_link gw port1 - lan eth0 "$lan_ip/24" && ip -n "vk$net_id-gw" link set port1 master br0 &&
        in_lan ip route add default via "$gw_ip" || { net_down; return 1; }
    if [[ -n "$lan2" ]]; then
        net_space lan2 && net_link gw port2 - lan2 eth0 "$lan2_ip/24" &&
            ip -n "vk$net_id-gw" link set port2 master br0 && in_lan2 ip route add default via "$gw_ip" || { net_down; return 1; }
    fi
    if [[ -n "$cgnat" ]]; then
        router_ip=100.64.0.2
        net_space isp && in_isp sysctl -qw net.ipv4.ip_forward=1 &&
            net_link gw wan0 "$router_ip/24" isp in0 100.64.0.1/24 &&
            net_link isp out0 "$public_ip/24" wan eth0 "$friend_ip/24" &&
            in_gw ip route add default via 100.64.0.1 &&
            in_isp nft -f - <<<$'table ip nat {\n chain postrouting { type nat hook postrouting priority srcnat; oifname "out0" masquerade\n }\n}' ||
            { net_down; return 1; }
    else
        router_ip=$public_ip
        net_link gw wan0 "$public_ip/24" wan eth0 "$friend_ip/24" || { net_down; return 1; }
    fi
    # The router's firewall: lan out, answers back in, nothing else forwarded unless miniupnpd
    # maps it; the chains miniupnpd's nftables backend fills by default (table inet filter).
    in_gw nft -f - <<'NFT' || { net_down; return 1; }
table inet filter {
    chain forward {
        type filter hook forward priority 0; policy drop;
        ct state established,related accept
        iifname "br0" oifname "wan0" accept
        jump miniupnpd
    }
    chain miniupnpd { }
    chain prerouting { type nat hook prerouting priority dstnat; policy accept; jump prerouting_miniupnpd; }
    chain postrouting { type nat hook postrouting priority srcnat; policy accept; jump postrouting_miniupnpd; oifname "wan0" masquerade; }
    chain prerouting_miniupnpd { }
    chain postrouting_miniupnpd { }
}
NFT
    echo "net: namespaces of $net_mode up in $(since "$t0") s"
    net_daemon="$daemon"
    router_start
}

# router_start / router_stop: the router's daemon of net_up's mode (a router restarting or gone;
# stopped, miniupnpd leaves its rules in place and takes its leases back on start);
# router_forget (stopped): no rules, no leases, as a router that rebooted.
router_start() {
    local t0=$EPOCHREALTIME upnp=yes
    case $net_daemon in
        none) return 0 ;;
        silent)
            net_bg gw "$net_python" "$net_lib/hosts.py" hung-router "$gw_ip"
            net_router_pid=$!
            net_wait 'net_listening gw -t 5000 && net_listening gw -u 1900' || { echo "net: the hung router did not start"; return 1; }
            ;;
        natpmp-only) upnp=no ;&
        upnp+natpmp)
            cat >"$net_dir/miniupnpd.conf" <<EOF
ext_ifname=wan0
listening_ip=br0
http_port=5000
enable_upnp=$upnp
enable_natpmp=yes
force_igd_desc_v1=$net_igdv1
secure_mode=yes
system_uptime=yes
lease_file=$net_dir/leases
uuid=3d3cec3a-8cf0-11e0-98ee-001a6bd2d07b
friendly_name=Velkor test router
allow 1024-65535 192.168.50.0/24 1024-65535
deny 0-65535 0.0.0.0/0 0-65535
EOF
            net_bg gw miniupnpd -d -f "$net_dir/miniupnpd.conf" -P "$net_dir/miniupnpd.pid" 2>>"$net_dir/miniupnpd.log"
            net_router_pid=$!
            { [[ $upnp == no ]] || net_wait 'net_listening gw -t 5000'; } && net_wait 'net_listening gw -u 5351' ||
                { echo "net: miniupnpd did not start: $(tail -n 5 "$net_dir/miniupnpd.log")"; return 1; }
            ;;
    esac
    echo "net: router ($net_daemon) ready in $(since "$t0") s"
}
router_stop() {
    [[ -n "$net_router_pid" ]] || return 0
    kill "$net_router_pid" 2>/dev/null && wait "$net_router_pid" 2>/dev/null
    net_router_pid=
}

router_forget() {
    local chain
    for chain in miniupnpd prerouting_miniupnpd postrouting_miniupnpd; do in_gw nft flush chain inet filter $chain; done
    rm -f "$net_dir/leases"
}

# net_down: ends what runs in the namespaces, removes them and their files; again is harmless.
net_down() {
    [[ -n "$net_id" ]] || return 0
    local ns t0=$EPOCHREALTIME
    ((${#net_pids[@]} == 0)) || kill "${net_pids[@]}" 2>/dev/null
    for ns in "${net_spaces[@]}"; do net_kill_in "$ns"; done
    wait "${net_pids[@]}" 2>/dev/null
    for ns in "${net_spaces[@]}"; do ip netns del "$ns"; rm -rf "/etc/netns/$ns"; done
    net_etc_tidy
    rm -rf "$net_dir"
    echo "net: $net_mode down in $(since "$t0") s"
    net_id='' net_dir='' net_spaces=() net_pids=() net_router_pid=''
}

# mappings: the router's port mappings from its nftables rules, "PROTO EXTERNAL_PORT ADDRESS:PORT"
# a line, sorted; upnp_mappings: the router's own list as upnpc -l in lan prints it.
mappings() {
    in_gw nft list chain inet filter prerouting_miniupnpd 2>/dev/null | awk '
        / dnat ip to / {
            proto = $0 ~ /@nh,72,8 0x11|udp dport/ ? "UDP" : $0 ~ /@nh,72,8 0x6|tcp dport/ ? "TCP" : "?"
            match($0, /dport [0-9]+/); port = substr($0, RSTART + 6, RLENGTH - 6)
            match($0, /dnat ip to [0-9.:]+/); print proto, port, substr($0, RSTART + 11, RLENGTH - 11)
        }' | sort
}
upnp_mappings() { in_lan upnpc -u "$igd_url" -l 2>&1 | grep -E '^ *[0-9]+ (UDP|TCP) '; }

# net_wrap NS PROGRAM: prints the path of a program that runs PROGRAM in namespace NS with the
# same process id (ip netns exec execs), e.g. velkor=$(net_wrap lan "$velkor") before lib.sh's up.
net_wrap() {
    local wrapper && wrapper="$net_dir/in-$1-$(basename "$2")"
    printf '#!/bin/bash\nexec ip netns exec %q %q "$@"\n' "vk$net_id-$1" "$(realpath "$2")" >"$wrapper" && chmod +x "$wrapper" && echo "$wrapper"
}
# fetch NS URL [SECONDS]: the body of one GET from NS (bounded: 5 s).
fetch() { ip netns exec "vk$net_id-$1" "$net_python" "$net_lib/hosts.py" fetch "${@:2}"; }

# udp_listen NS ADDR PORT FILE: a listener in NS, ready on return, writing "FROM TEXT" lines to FILE.
udp_listen() {
    rm -f "$4"
    net_bg "$1" "$net_python" "$net_lib/hosts.py" listen "$2" "$3" "$4"
    net_wait "[[ -f '$4' ]]" || { echo "net: no listener on $1 $2:$3"; return 1; }
}
# udp_send NS ADDR PORT TEXT: one datagram from NS.
udp_send() { ip netns exec "vk$net_id-$1" "$net_python" "$net_lib/hosts.py" send "$2" "$3" "$4"; }
# echo_page_up: $echo_url (in wan) answers the caller's address as plain text, as api.ipify.org does.
echo_page_up() {
    net_bg wan "$net_python" "$net_lib/hosts.py" echo-page "$friend_ip" 8080
    net_wait 'net_listening wan -t 8080' || { echo "net: no echo page"; return 1; }
}
