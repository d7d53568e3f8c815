#!/bin/bash
# The program hosting "With Router" against miniupnpd in netns.sh's network. Usage: VELKOR ECHO BOX_SPY
# shellcheck disable=SC2016,SC2034,SC2317,SC2119 # check's conditions are evaluated there, with the variables of then
export VELKOR_ISOLATED=1 # lib.sh's own namespace is replaced by the closed lan namespace
here=$(realpath "$(dirname "$0")")
source "$here/../e2e/lib.sh" "$@"
source "$here/netns.sh"
netns_skip_unless_able
real=$velkor echo_build=$(realpath "$3") spy=$(realpath "$4")
said="Velkor could not open the game's port, UDP $game_port, on your router"

# home NAME: a fresh $root hosting With Router as Bo; the game then awaits a datagram into $game.got.
home() {
    root=$work/$1 && make_prefix "$root/prefix" win32 && recorder "$game" &&
        echo "exec '$net_python' '$here/hosts.py' listen 0.0.0.0 $game_port \"\$0.got\"" >>"$game"
    record "$(cfg "$root")" '2:\1' '4:B\0o' 88:198.51.100.1 '114:\1'
    rcfg=$(dirname "$(cfg "$root")")/VelkorRouter.cfg
}
# start NAME [ENV...]: $program (else the real build) in lan with the box probe, its window up at $t_up.
start() {
    local bin=${program:-$real} && local w=$work/spied-${bin##*/} && boxes=$root/boxes && : >"$root/boxes"
    # A sanitizer build wants its runtime loaded first.
    printf '#!/bin/sh\nLD_PRELOAD=%q exec %q "$@"\n' "$(ldd "$bin" | awk '/libasan/ {print $3 ":"}')$spy" "$bin" >"$w" && chmod +x "$w"
    velkor=$(net_wrap lan "$w") up "$1" "$root" http_proxy= https_proxy= HTTP_PROXY= HTTPS_PROXY= all_proxy= ALL_PROXY= \
        VELKOR_BOX_SPY="$boxes" "${@:2}" && t_up=$EPOCHREALTIME
}
# box_within SECONDS: a message box up by then since the click, its text in $box_text; answer: Enter.
box_within() { within "$t_click" "$1" a_box && box_text=$(tail -n1 "$boxes") && echo "message box: $box_text"; }
answer() { xdotool windowfocus --sync "$box" key Return && within "$EPOCHREALTIME" 3 '! a_box'; }
# router_label X Y: the text of the Router dialog's label there (src/net/frmRouter.cpp), opened by keys.
router_label() {
    local rid && xdotool windowfocus --sync "$wid" key alt+o r && rid=$(dialog Router) && copy_at "$1" "$2" "$rid"
    xdotool windowfocus --sync "$rid" key Escape && gone Router
}
game_runs() { expect_run "$1: the game" "$game" "</h> <tcp> </boundip> <${lan_ip//./\\.}> </externip> <${2//./\\.}> </nBo>"; } # NAME EXTERNAL

# hosted NAME PROTOCOL: mapped on the click, a friend's datagram through it, removed on the close.
hosted() {
    local tag=$1 row="^ *0 UDP +$game_port->$lan_ip:$game_port +'Velkor \\($lan_ip\\) [0-9a-f]{6}' '' 3[56][0-9][0-9]\$"
    home "$tag" && start "$tag" || return
    check "$tag: the router's outside address fills External IP (no echo page)" 'within "$t_up" 10 "[[ \"\$(external)\" == $public_ip ]]"'
    echo "time: $2: discovery (window seen → External IP filled): $took s" && press_launch
    check "$tag: the click maps UDP $game_port to the Local IP within 3 s, no message box" 'within "$t_click" 3 mapped && ! a_box'
    echo "time: $2: mapping (click → mapped in gw): $took s"
    game_runs "$tag" "$public_ip"
    [[ $2 == NAT-PMP ]] || check "$tag: the router lists it as Velkor's for an hour" '[[ "$(upnp_mappings)" =~ $row ]]'
    within "$EPOCHREALTIME" 5 '[[ -f "$game.got" ]]' && ns wan bash -c 'printf "hello game" >"/dev/udp/$0/$1"' "$public_ip" "$game_port"
    check "$tag: the friend's datagram to $public_ip:$game_port reaches the game, which ends" \
        'within "$EPOCHREALTIME" 2 "grep -sqx \"$friend_ip:[0-9]* hello game\" \"$game.got\" && ! net_listening lan -u $game_port"'
    watch_removal && close_velkor && removal_time
    echo "time: $2: removal (close → gone from gw): ${removal:-none} s"
    check "$tag: closed, no game running: the mapping gone from gw and the router's list, not recorded" \
        '[[ -n "$removal" && -z "$(mappings)" && -z "$(upnp_mappings)" ]] && ! grep -q ^Mapping= "$rcfg"'
}

net_up || { fail "upnp+natpmp: the network"; finish; }
hosted upnp UPnP
# The echo page answers the caller's address: the router's outside one, as the friend sees it.
(hosts wan echo-page "$friend_ip" 8080 2>/dev/null &)
home echo
if within "$EPOCHREALTIME" 5 'net_listening wan -t 8080' && program=$echo_build start echo VELKOR_E2E_ECHO_URL=http://$friend_ip:8080/; then
    check "echo: External IP is the page's address, as the Router dialog says" \
        'within "$t_up" 10 "[[ \"\$(external)\" == $public_ip ]]" && [[ "$(router_label 150 56)" == "$public_ip" ]]'
    press_launch && game_runs echo "$public_ip"
    close_velkor
fi

# scenario NAME [MODE...]: a fresh network of MODEs and a fresh home, then the program started in it.
scenario() { net_up "${@:2}" || { fail "$1: the network"; finish; }; home "$1" && start "$1"; }
# says SECONDS TEXT: a message box up by then since the click, with TEXT, answered with Enter.
says() { box_within "$1" && [[ "$box_text" == *"$2"* ]] && answer; }

net_up natpmp-only || { fail "natpmp-only: the network"; finish; }
hosted natpmp NAT-PMP

if scenario none none && press_launch; then
    check "none: within 4 s of the click a message box says no router answered, no game before it" \
        'box_within 4 && [[ ! -f "$game.args" ]] && says 0 "$said: no router answered."'
    game_runs none 198.51.100.1 && close_velkor
fi

if scenario cgnat cgnat && press_launch; then
    check "cgnat: within 4 s a message box names another NAT, and so does the Router dialog" \
        'says 4 "Another NAT sits beyond your router" && [[ "$(router_label 20 100)" == "Another NAT sits beyond your router"* ]]'
    close_velkor
fi

# The other lan machine holds the port; a record as a crash would leave it names this one's by now.
net_up lan2 || { fail "lan2: the network"; finish; }
ns lan2 upnpc -u "$igd_url" -e "Other 7575" -a "$lan2_ip" "$game_port" "$game_port" UDP 3600 >/dev/null
home lan2
mkdir -p "${rcfg%/*}" && printf 'OpenPortWhenHosting=1\nMapping=UPnP %s %s 3600 %s Velkor (%s)\n' $game_port $lan_ip "$(date +%s)" $lan_ip >"$rcfg"
if start lan2 && press_launch; then
    check "lan2: within 4 s a message box tells of the other machine" 'says 4 "$said: another machine or program ($lan2_ip) holds it."'
    close_velkor && listed="$lan2_ip:$game_port +'Other 7575'"
    check "lan2: the other's mapping stays untouched through the launch and the close" \
        '[[ "$(mappings)" == "UDP $game_port $lan2_ip:$game_port" && "$(upnp_mappings)" =~ $listed ]]'
fi

# The window taking keys during the wait: test_router_window.
if scenario silent silent && press_launch; then
    check "silent: within 4 s of the click a message box says the router did not answer in time" 'says 4 "$said: the router did not answer in time."'
    close_velkor
fi

net_up || { fail "kill: the network"; finish; }
ns lan upnpc -u "$igd_url" -e Other -a "$lan_ip" 7000 7000 UDP 3600 >/dev/null
home kill
if start kill; then
    press_launch && within "$t_click" 5 mapped && game_runs kill "$public_ip"
    kill -9 "$velkor_pid" && wait "$velkor_pid" 2>/dev/null
    velkor_pid=
    check "kill: after SIGKILL while mapped, the next start removes the leftover, not another program's UDP 7000" \
        'mapped && start kill-next && within "$t_up" 10 "! mapped" && mappings | grep -qx "UDP 7000 $lan_ip:7000"'
    close_velkor
fi

# A device streaming an endless description: the search gives up at once, the memory stays small.
if scenario endless endless; then
    check "endless: within 10 s of the window the Router dialog says none answered" \
        'within "$t_up" 10 "[[ \"\$(router_label 150 16)\" == \"None answered\" ]]"'
    peak=$(awk '/^VmHWM/ {print int($2 / 1024)}' "/proc/$velkor_pid/status")
    echo "memory: endless description: peak resident $peak MiB"
    check "endless: at most 200 MiB resident at the peak" '((peak <= 200))'
    close_velkor
fi

# Damaged or stale records against a router holding others' mappings: another program's UDP 7000,
# this machine's UDP 7001 by NAT-PMP, another machine's Velkor (as this one was before an address
# change), then this machine's own other UDP 7575 mapping. Each record line is met at a start and a
# close; every mapping stays.
net_up lan2 || { fail "records: the network"; finish; }
ns lan upnpc -u "$igd_url" -e Other -a "$lan_ip" 7000 7000 UDP 3600 >/dev/null
ns lan natpmpc -g "$gw_ip" -a 7001 7001 udp 3600 >/dev/null
ns lan2 upnpc -u "$igd_url" -e "Velkor ($lan2_ip)" -a "$lan2_ip" $game_port $game_port UDP 3600 >/dev/null
t=$(date +%s) && lines=("UPnP 7000 $lan_ip 3600 $t Other" "NAT-PMP 7001 $lan_ip 3600 $t Velkor ($lan_ip)"
    "UPnP $game_port $lan2_ip 3600 $t Velkor ($lan2_ip)" "UPnP $game_port $lan_ip 3600 $t Other $game_port")
for line in "${lines[@]}"; do
    if [[ $line == *Other\ $game_port ]]; then
        ns lan2 upnpc -u "$igd_url" -d $game_port UDP >/dev/null
        ns lan upnpc -u "$igd_url" -e "Other $game_port" -a "$lan_ip" $game_port $game_port UDP 3600 >/dev/null
    fi
    held=$(mappings) && home record && mkdir -p "${rcfg%/*}" && printf 'Mapping=%s\n' "$line" >"$rcfg"
    start record && within "$t_up" 10 "[[ \"\$(external)\" == $public_ip ]]" && sleep 1 && close_velkor
    check "record '$line': after a start and a close, every mapping kept ($(wc -l <<<"$held"))" '[[ "$(mappings)" == "$held" ]]'
done

# Two users of this machine in turn (two homes): the second one's Velkor neither takes the first
# one's mapping, which the first one's game still uses, nor removes it.
net_up || { fail "users: the network"; finish; }
velkors() { upnp_mappings | grep -o "'Velkor [^']*'"; } # the descriptions of Velkor's mappings
# The selector starts the game's own program, which listens (the game running, as Velkor sees it).
home first && d3d=${game%/*}/D3DPopTB.exe && sed -i "s|^exec .*|exec '$d3d'|" "$game" &&
    printf '#!/bin/sh\n%q %q listen 0.0.0.0 %s %q\n' "$net_python" "$here/hosts.py" $game_port "$d3d.got" >"$d3d" && chmod +x "$d3d"
if start first && press_launch && within "$t_click" 5 mapped && game_runs first "$public_ip"; then
    close_velkor && first=$(velkors)
    home second && start second && press_launch
    check "users: within 4 s the second one is told another holds the port" 'says 4 "$said: another machine or program ($lan_ip) holds it."'
    close_velkor
    check "users: the first one's mapping kept while its game runs" '[[ -n "$first" && "$(velkors)" == "$first" ]]'
    ns wan bash -c 'printf "bye" >"/dev/udp/$0/$1"' "$public_ip" "$game_port"
fi
finish
