#!/bin/bash
# The program hosting "With Router" against miniupnpd in netns.sh's network. Usage: VELKOR ECHO BOX_SPY
# shellcheck disable=SC2016,SC2034,SC2317,SC2119 # check's conditions are evaluated there, with the variables of then
here=$(realpath "$(dirname "$0")")
source "$here/netns.sh" "$@"
real=$velkor echo_build=$(realpath "$3") spy=$(realpath "$4")
said="Velkor could not open the game's port, UDP $game_port, on your router"

home() { # NAME [LINE...]: a fresh $root hosting With Router as Bo, LINEs in its router record; the game awaits a datagram.
    root=$work/$1 && make_prefix "$root/prefix" win32 && recorder "$game" &&
        echo "exec '$net_python' '$here/hosts.py' listen 0.0.0.0 $game_port \"\$0.got\"" >>"$game"
    record "$(cfg "$root")" '2:\1' '4:B\0o' 88:198.51.100.1 '114:\1' && rcfg=$(dirname "$(cfg "$root")")/VelkorRouter.cfg
    (($# == 1)) || { mkdir -p "${rcfg%/*}" && printf '%s\n' "${@:2}" >"$rcfg"; }
}
start() { # NAME [ENV...]: $program (else the real build) in $space (else lan) with the box probe, its window up at $t_up.
    local bin=${program:-$real} && local w=$work/spied-${bin##*/} && boxes=$root/boxes && : >"$root/boxes"
    # A sanitizer build wants its runtime loaded first.
    printf '#!/bin/sh\nLD_PRELOAD=%q exec %q "$@"\n' "$(ldd "$bin" | awk '/libasan/ {print $3 ":"}')$spy" "$bin" >"$w" && chmod +x "$w"
    velkor=$(net_wrap "${space:-lan}" "$w") up "$1" "$root" http_proxy= https_proxy= HTTP_PROXY= HTTPS_PROXY= all_proxy= ALL_PROXY= \
        VELKOR_BOX_SPY="$boxes" "${@:2}" && t_up=$EPOCHREALTIME
}
# scenario NAME [MODE...]: a fresh network of MODEs and a fresh home, then the program started in it.
scenario() { network "$@" && home "$1" && start "$1"; }
# told NAME TEXT [CONDITION]: a click, a message box with TEXT within 4 s, no game before it, Enter; then CONDITION.
told() { text=$2 && click_launch && check "$1: a message box \"$2\" within 4 s, no game before it" says"${3:+ && $3}"; }
says() {
    within "$t_click" 4 a_box && box_text=$(tail -n1 "$boxes") && echo "message box: $box_text" && [[ $box_text == *"$text"* ]] &&
        [[ ! -f $game.args ]] && xdotool windowfocus --sync "$box" key Return && within "$EPOCHREALTIME" 3 '! a_box'
}
router_label() { # X Y: the text of the Router dialog's label there (src/gui/router/frmRouter.cpp), opened by keys.
    local rid && xdotool windowfocus --sync "$wid" key alt+o r && rid=$(dialog Router) && copy_at "$1" "$2" "$rid"
    xdotool windowfocus --sync "$rid" key Escape && gone Router
}
game_runs() { expect_run "$1: the game" "$game" "</h> <tcp> </boundip> <${lan_ip//./\\.}> </externip> <${2//./\\.}> </nBo>"; } # NAME EXTERNAL
add_mapping() { ns "$1" upnpc -u "$igd_url" -e "$2" -a "$3" "$4" "$4" UDP 3600 >/dev/null; } # NS DESCRIPTION ADDRESS PORT

hosted() { # NAME [ENV...]: mapped on the click, a friend's datagram through it, removed on the close.
    home "$1" && start "$@" || return
    check "$1: the router's outside address fills External IP" 'within "$t_up" 10 "[[ \"\$(external)\" == $public_ip ]]"'
    (($# == 1)) || check "$1: the Router dialog shows the echo page's answer" '[[ "$(router_label 150 56)" == "$public_ip" ]]'
    click_launch
    check "$1: the click maps UDP $game_port to the Local IP within 3 s, no message box" 'within "$t_click" 3 mapped && ! a_box'
    game_runs "$1" "$public_ip"
    within "$EPOCHREALTIME" 5 '[[ -f "$game.got" ]]' && ns wan bash -c 'printf "hello game" >"/dev/udp/$0/$1"' "$public_ip" "$game_port"
    check "$1: the friend's datagram to $public_ip:$game_port reaches the game, which ends" \
        'within "$EPOCHREALTIME" 2 "grep -sqx \"$friend_ip:[0-9]* hello game\" \"$game.got\" && ! net_listening lan -u $game_port"'
    close_velkor && check "$1: closed, no game running: the mapping gone from gw and the router's list, not recorded" \
        'within "$EPOCHREALTIME" 3 "[[ -z \$(mappings) ]]" && [[ -z "$(upnp_mappings)" ]] && ! grep -q ^Mapping= "$rcfg"'
}

# The echo page on the far side, its answer the router's outside address (as the friend sees it).
network upnp && exec 4< <(ns wan "$net_python" "$here/../data/echo_server.py" 280 "$friend_ip") && read -r -t 10 -u 4 port
program=$echo_build hosted upnp VELKOR_E2E_ECHO_URL=http://$friend_ip:$port/say?$public_ip
network natpmp natpmp-only && hosted natpmp # the echo page out of reach

scenario none none && told none "$said: no router answered." && game_runs none 198.51.100.1 && close_velkor
scenario cgnat cgnat && told cgnat "Another NAT sits beyond your router" \
    '[[ "$(router_label 20 100)" == "Another NAT sits beyond your router"* ]]' && close_velkor
# The window taking keys during the wait: test_router_window.
scenario silent silent && told silent "$said: the router did not answer in time." && close_velkor
# No network at all, loopback alone: said plainly, with no address to forward the port to.
net_space solo && home solo && space=solo start solo && told solo "This machine has no network connection" \
    '[[ $box_text != *"forward UDP"* ]]' && close_velkor

# Others' mappings, which every scenario below leaves in place: another program's UDP 7000, this machine's
# UDP 7001 by NAT-PMP, and from lan2 on another machine's Velkor (as this one was before an address change).
network held lan2 && add_mapping lan Other "$lan_ip" 7000 && ns lan natpmpc -g "$gw_ip" -a 7001 7001 udp 3600 >/dev/null
if home kill && start kill; then
    click_launch && within "$t_click" 5 mapped && game_runs kill "$public_ip"
    kill -9 "$velkor_pid" && wait "$velkor_pid" 2>/dev/null; velkor_pid=
    check "kill: after SIGKILL while mapped, the next start removes the leftover, not another program's UDP 7000" \
        'mapped && start kill-next && within "$t_up" 10 "! mapped" && mappings | grep -qx "UDP 7000 $lan_ip:7000"'
    close_velkor
fi

# The other lan machine holds the port; a record as a crash would leave it names this one's by now.
add_mapping lan2 "Velkor ($lan2_ip)" "$lan2_ip" $game_port && listed="$lan2_ip:$game_port +'Velkor \\($lan2_ip\\)'"
home lan2 OpenPortWhenHosting=1 "Mapping=UPnP $game_port $lan_ip 3600 $(date +%s) Velkor ($lan_ip)"
if start lan2 && told lan2 "$said: another machine or program ($lan2_ip) holds it."; then
    close_velkor && check "lan2: the other's mapping stays untouched through the launch and the close" \
        'mappings | grep -qx "UDP $game_port $lan2_ip:$game_port" && [[ "$(upnp_mappings)" =~ $listed ]]'
fi

# Damaged or stale records, each met at a start and a close: every mapping kept.
t=$(date +%s) && lines=("UPnP 7000 $lan_ip 3600 $t Other" "NAT-PMP 7001 $lan_ip 3600 $t Velkor ($lan_ip)"
    "UPnP $game_port $lan2_ip 3600 $t Velkor ($lan2_ip)")
for line in "${lines[@]}"; do
    held=$(mappings) && home record "Mapping=$line"
    start record && within "$t_up" 10 "[[ \"\$(external)\" == $public_ip ]]" && sleep 1 && close_velkor
    check "record '$line': after a start and a close, every mapping kept ($(wc -l <<<"$held"))" '[[ "$(mappings)" == "$held" ]]'
done

finish
