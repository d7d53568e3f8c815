#!/bin/bash
# The program itself hosting "With Router" in the namespaces' home network (netns.sh), on Xvfb
# (tests/e2e/lib.sh), against a real miniupnpd: the game's port mapped and a friend's datagram
# reaching the game, removed on close and after a crash, and the player told once when the
# router cannot help (none, a provider's NAT, another machine's mapping, a router that hangs).
# Usage: product.sh VELKOR VELKOR_E2E_ECHO BOX_SPY (box_spy.cpp's library); root only, else 77.
# VELKOR_ROUTER_CASES="upnp none" runs only those (upnp echo off natpmp none cgnat lan2 silent kill).
# shellcheck disable=SC2016,SC2034,SC2317,SC2119 # conditions (and the helpers they call) are evaluated by check, with the variables of then
[[ $(id -u) == 0 ]] || { echo "SKIP: not root (network namespaces need it)"; exit 77; }
export VELKOR_ISOLATED=1 # lib.sh's own namespace is replaced by the closed lan namespace
here=$(realpath "$(dirname "$0")")
source "$here/../e2e/lib.sh" "$@"
source "$here/netns.sh"
source "$here/drive.sh"
netns_skip_unless_able
command -v xclip >/dev/null || { echo "SKIP: no xclip (package xclip)"; exit 77; }
real=$velkor echo_build=$(realpath "$3") spy=$(realpath "$4") start_all=$EPOCHREALTIME
cases=" ${VELKOR_ROUTER_CASES:-upnp echo off natpmp none cgnat lan2 silent kill} "
wanted() { [[ $cases == *" $1 "* ]]; }
mine="Velkor ($lan_ip)"
said="Velkor could not open the game's port, UDP $game_port, on your router"
quiet=(http_proxy= https_proxy= HTTP_PROXY= HTTPS_PROXY= all_proxy= ALL_PROXY=)

# home NAME: a fresh $root: the prefix whose recording game, once it has written its arguments
# (and a line to $game.runs), listens on UDP 7575 for one datagram into $game.got; Velkor.cfg
# hosting With Router as Bo, 198.51.100.1 stored, automatic detection on; $rcfg the router file.
home() {
    root=$work/$1 && make_prefix "$root/prefix" win32 &&
        recorder "$game" 'echo >>"$0.runs"; pwd' &&
        echo "exec '$net_python' '$here/hosts.py' listen-once 0.0.0.0 $game_port \"\$0.got\"" >>"$game"
    record "$(cfg "$root")" '2:\1' '4:B\0o' 88:198.51.100.1 '114:\1'
    rcfg=$(dirname "$(cfg "$root")")/VelkorRouter.cfg
}
# start NAME [ENV...]: Velkor ($program, else the real one) in lan with the box probe (the boxes
# it shows in $boxes), its window up; the moments it was started and its window seen in
# $t_spawn, $t_up.
start() {
    local spied && spied=$work/spied-$(basename "${program:-$real}")
    # A sanitizer build wants its runtime loaded before anything else.
    local first && first=$(ldd "${program:-$real}" | awk '/libasan/ {print $3 ":"}')
    printf '#!/bin/sh\nLD_PRELOAD=%q exec %q "$@"\n' "$first$spy" "${program:-$real}" >"$spied" && chmod +x "$spied"
    boxes=$root/boxes && : >"$boxes"
    t_spawn=$EPOCHREALTIME
    velkor=$(net_wrap lan "$spied") up "$1" "$root" "${quiet[@]}" VELKOR_BOX_SPY="$boxes" "${@:2}" || return 1
    t_up=$EPOCHREALTIME
}
name_box() { copy_at 84 361; }  # username: (240, 5280, 2055, 285)
# box_within T0 SECONDS: the message box is up by then: its id in $box, its text (from the
# probe) in $box_text; answer: Enter on it.
box_within() {
    box_text=
    within "$1" "$2" a_box || return 1
    box_text=$(tail -n1 "$boxes") && echo "message box: $box_text"
    [[ $box_text == $'Velkor\t'* ]] && box_text=${box_text#*$'\t'}
}
answer() { xdotool windowfocus --sync "$box" key Return && within "$EPOCHREALTIME" 3 '! a_box'; }
# router_dialog: Options, Router... opened by keys: its id in $rid; label NAME: that label's
# text in it (geometry in src/net/frmRouter.cpp); close_dialog: Escape.
router_dialog() { xdotool windowfocus --sync "$wid" key alt+o r && rid=$(dialog Router) && [[ -n $rid ]]; }
label() {
    local -A y=([lblRouter]=16 [lblOutside]=36 [lblEcho]=56 [lblPort]=76 [lblMeaning]=100)
    copy_at "$([[ $1 == lblMeaning ]] && echo 20 || echo 150)" "${y[$1]}" "$rid"
}
close_dialog() { xdotool windowfocus --sync "$rid" key Escape && gone Router; }
recorded() { grep -qx "Mapping=$1 $game_port $lan_ip 3600 [0-9]* $mine" "$rcfg" 2>/dev/null; } # PROTOCOL
no_record() { ! grep -q '^Mapping=' "$rcfg" 2>/dev/null; }
mapped_since() { sed -n 's/^Mapping=.* \([0-9]*\) Velkor .*/\1/p' "$rcfg"; } # the recorded mapping's <since>
# game_runs PATTERN: the recording game ran (its argument list matching PATTERN) within 5 s of
# the click: the seconds in $t_game.
game_runs() {
    within "$t_click" 5 '[[ -f "$game.args" ]]' && t_game=$took || t_game=-
    expect_run "$1: the game" "$game" "$2"
}
# reaches NAME: a friend's datagram to the router's outside address reaches the running game (which then ends).
reaches() {
    within "$EPOCHREALTIME" 5 '[[ -f "$game.got" ]]' && udp_send wan "$public_ip" "$game_port" "hello game"
    check "$1: the friend's datagram to $public_ip:$game_port reaches the running game" \
        'within "$EPOCHREALTIME" 2 "grep -sqx \"$friend_ip:[0-9]* hello game\" \"$game.got\""'
}
args_with() { echo "</h> <tcp> </boundip> <${lan_ip//./\\.}> </externip> <${1//./\\.}> </nBo>"; } # EXTERNAL
one_box() { check "$1: one message box in the run" '[[ $(wc -l <"$boxes") == 1 ]]'; }
times=()
report() { echo "time: $1" && times+=("$1"); }

# A mapping made and removed, the game reached through it (PROTOCOL: UPnP or NAT-PMP).
hosted() {
    local tag=$1 protocol=$2
    start "$tag" || return
    check "$tag: at first External IP shows the stored address" '[[ "$(external)" == 198.51.100.1 ]]'
    check "$tag: the router's outside address fills External IP (the echo page is out of reach)" \
        'within "$t_up" 10 "[[ \"\$(external)\" == $public_ip ]]"'
    report "$tag: discovery: window seen → External IP filled: $took s ($(awk -v a="$t_up" -v b="$t_spawn" -v c="$took" 'BEGIN { printf "%.3f", a - b + c }') s from the start)"
    press_launch
    check "$tag: the click maps UDP $game_port to the Local IP within 3 s" 'within "$t_click" 3 mapped'
    report "$tag: mapping: click → mapped in gw: $took s"
    game_runs "$tag" "$(args_with "$public_ip")"
    report "$tag: click → game started: $t_game s"
    check "$tag: no message box" '! a_box'
    check "$tag: recorded in VelkorRouter.cfg as $protocol" "recorded $protocol"
    local row="^ *0 UDP +$game_port->$lan_ip:$game_port +'Velkor \\($lan_ip\\)' '' 3[56][0-9][0-9]\$"
    [[ $protocol == UPnP ]] && check "$tag: the router lists it with Velkor's description and a lease of an hour" '[[ "$(upnp_mappings)" =~ $row ]]'
    reaches "$tag"
    if router_dialog; then
        check "$tag: Router dialog: the port is open" '[[ "$(label lblPort)" == "Open to this machine for 60 more minutes" ]]'
        check "$tag: Router dialog: its outside address" '[[ "$(label lblOutside)" == "$public_ip" ]]'
        check "$tag: Router dialog: no echo address" '[[ "$(label lblEcho)" == "Not known" ]]'
        check "$tag: Router dialog: friends can reach you" '[[ "$(label lblMeaning)" == "Friends can reach you: they join at $public_ip." ]]'
        [[ $protocol == NAT-PMP ]] && check "$tag: Router dialog: a NAT-PMP gateway" '[[ "$(label lblRouter)" == "A NAT-PMP gateway at $gw_ip" ]]'
        [[ $protocol == UPnP ]] && check "$tag: Router dialog: the router's name" '[[ "$(label lblRouter)" == "Velkor test router"* ]]'
        close_dialog
    else fail "$tag: no Router dialog"; fi
    check "$tag: the game has ended" 'within "$EPOCHREALTIME" 2 "! net_listening lan -u $game_port"'
    watch_removal && close_velkor && removal_time
    check "$tag: closed, no game running: the mapping is gone from gw" '[[ -n "$removal" && -z "$(mappings)" ]]'
    report "$tag: removal: close → gone from gw: ${removal:-none} s"
    [[ $protocol == UPnP ]] && check "$tag: the router's own list is empty" '[[ -z "$(upnp_mappings)" ]]'
    check "$tag: no mapping left recorded" no_record
}

if wanted upnp || wanted echo || wanted off; then
    echo "== upnp+natpmp"
    net_up || { fail "upnp+natpmp: the network"; finish; }
    wanted upnp && home upnp && hosted upnp UPnP
    if wanted echo; then
        # The echo page answers the caller's address: the router's own, as the friend sees it.
        # It comes before the window and the router's search: at once, and in lblEcho.
        echo_page_up && home echo
        if program=$echo_build start echo VELKOR_E2E_ECHO_URL="$echo_url"; then
            check "echo: External IP is the page's address at once" '[[ "$(external)" == "$public_ip" ]] && awk "BEGIN { exit !($(since "$t_up") < 1.5) }"'
            router_dialog && check "echo: Router dialog: the web sees $public_ip" '[[ "$(label lblEcho)" == "$public_ip" ]]' && close_dialog
            press_launch
            check "echo: mapped" 'within "$t_click" 3 mapped'
            game_runs echo "$(args_with "$public_ip")"
            reaches echo
            watch_removal && close_velkor && removal_time
            check "echo: closed: the mapping is gone" '[[ -n "$removal" && -z "$(mappings)" ]] && no_record'
        fi
    fi
    if wanted off; then
        # The Router dialog's check box turns opening off, kept in VelkorRouter.cfg: no mapping, no box.
        home off
        if start off; then
            router_dialog && xdotool mousemove --window "$rid" 20 172 click 1 && sleep 0.3 && close_dialog # chkOpenPort: (120, 2460, 6015, 255)
            check "off: the check box writes OpenPortWhenHosting=0" 'grep -qx OpenPortWhenHosting=0 "$rcfg"'
            press_launch
            game_runs off '.*'
            check "off: nothing mapped, no message box" 'sleep 0.5 && [[ -z "$(mappings)" ]] && ! a_box && no_record'
            close_velkor
        fi
    fi
fi

if wanted natpmp; then
    echo "== natpmp-only"
    net_up natpmp-only || { fail "natpmp-only: the network"; finish; }
    # Launched as soon as the window is there: within the search's 2 s, the wait should cover it.
    home natpmp-early
    if start natpmp-early; then
        press_launch
        box_within "$t_click" 4 && answer
        game_runs natpmp-early '.*'
        check "natpmp-early: the port is mapped when the game starts, no message box" '[[ -z "$box" ]] && mapped'
        check "natpmp-early: mapped after all" 'within "$t_spawn" 15 mapped'
        report "natpmp-early: start → mapped: $took s"
        reaches natpmp-early
        watch_removal && close_velkor && removal_time
        check "natpmp-early: closed: removed" '[[ -n "$removal" ]] && no_record'
    fi
    home natpmp && hosted natpmp NAT-PMP
fi

if wanted none; then
    echo "== none"
    net_up none || { fail "none: the network"; finish; }
    home none
    if start none; then
        press_launch
        check "none: a message box within 4 s of the click" 'box_within "$t_click" 4'
        report "none: click → message box: $took s"
        check "none: it says no router answered" '[[ "$box_text" == *"$said: no router answered."* ]]'
        check "none: no game before it is answered" '[[ ! -f "$game.args" ]]'
        answer
        game_runs "none: answered" "$(args_with 198.51.100.1)"
        rm -f "$game.args" && press_launch
        game_runs "none: launched again" "$(args_with 198.51.100.1)"
        check "none: launched again: no second message box" '! a_box'
        one_box none
        close_velkor
    fi
fi

if wanted cgnat; then
    echo "== cgnat"
    net_up cgnat || { fail "cgnat: the network"; finish; }
    home cgnat
    if start cgnat; then
        press_launch
        check "cgnat: a message box within 4 s" 'box_within "$t_click" 4'
        report "cgnat: click → message box: $took s"
        check "cgnat: it names another NAT" '[[ "$box_text" == *"Another NAT sits beyond your router"* ]]'
        answer && game_runs "cgnat: answered" "$(args_with 198.51.100.1)"
        check "cgnat: nothing mapped" '[[ -z "$(mappings)" ]] && no_record'
        one_box cgnat
        if router_dialog; then
            meaning=$(label lblMeaning)
            check "cgnat: Router dialog: lblMeaning names another NAT: $meaning" '[[ "$meaning" == "Another NAT sits beyond your router"* ]]'
            close_dialog
        else fail "cgnat: no Router dialog"; fi
        close_velkor
    fi
fi

if wanted lan2; then
    echo "== lan2"
    net_up lan2 || { fail "lan2: the network"; finish; }
    in_lan2 upnpc -u "$igd_url" -e "Other 7575" -a "$lan2_ip" "$game_port" "$game_port" UDP 3600 >/dev/null
    theirs="UDP $game_port $lan2_ip:$game_port"
    untouched() { [[ "$(mappings)" == "$theirs" && "$(upnp_mappings)" =~ $lan2_ip:$game_port\ +\'Other\ 7575\' ]]; }
    check "lan2: the other machine holds UDP $game_port" untouched
    home lan2
    # A record as a crash would leave it, of a mapping that is the other machine's by now.
    mkdir -p "$(dirname "$rcfg")" && printf 'OpenPortWhenHosting=1\nMapping=UPnP %s %s 3600 %s %s\n' "$game_port" "$lan_ip" "$(date +%s)" "$mine" >"$rcfg"
    if start lan2; then
        press_launch
        check "lan2: a message box within 4 s" 'box_within "$t_click" 4'
        report "lan2: click → message box: $took s"
        check "lan2: it tells of the other machine" '[[ "$box_text" == *"on your router: another machine or program ($lan2_ip) holds it."* ]]'
        answer && game_runs "lan2: answered" "$(args_with "$public_ip")"
        check "lan2: after the launch the other's mapping is untouched" untouched
        one_box lan2
        close_velkor
        check "lan2: after the close too" untouched
        check "lan2: the stale record is cleared, nothing of Velkor's recorded" no_record
    fi
fi

if wanted silent; then
    echo "== silent"
    net_up silent || { fail "silent: the network"; finish; }
    home silent
    if start silent; then
        press_launch && t0_click=$t_click
        # During the wait: the name box takes a key and answers the clipboard; Launch again does nothing.
        sleep 0.3 && xdotool mousemove $((client_x + 84)) $((client_y + 361)) click 1 key End type z
        typed=$(name_box) && at=$(since "$t_click")
        check "silent: during the wait ($at s after the click) the window takes keys: the name box holds $typed" '[[ "$typed" == Boz ]] && ! a_box && awk "BEGIN { exit !($at < 3) }"'
        press_launch
        check "silent: a message box within 4 s of the click" 'box_within "$t0_click" 4'
        report "silent: click → message box: $took s"
        check "silent: it says the router did not answer in time" '[[ "$box_text" == *"on your router: the router did not answer in time."* ]]'
        answer && t_click=$EPOCHREALTIME && game_runs "silent: answered" "</h> <tcp> </boundip> <${lan_ip//./\\.}> </externip> <198\.51\.100\.1> </nBoz?>"
        sleep 0.5 && check "silent: one game for two clicks" '[[ $(wc -l <"$game.runs") == 1 ]]'
        # Launched again (no second box): the name cleared during the wait must not reach the game nameless.
        rm -f "$game.args" && press_launch && sleep 0.3
        xdotool mousemove $((client_x + 84)) $((client_y + 361)) click 1 key ctrl+a BackSpace
        game_runs "silent: launched again, the name cleared while waiting" '.*'
        check "silent: the name taken at the click, not the one cleared while waiting" '[[ "$args" == *"</nBo"* ]]'
        one_box silent
        close_velkor
    fi
    # Closed during the wait: the player has left, no game should start.
    home silent-close
    if start silent-close; then
        press_launch && sleep 0.5 && close_velkor && sleep 1
        check "silent-close: closed during the wait, no game starts" '[[ ! -f "$game.args" ]]'
    fi
fi

if wanted kill; then
    echo "== kill"
    net_up || { fail "kill: the network"; finish; }
    in_lan upnpc -u "$igd_url" -e Other -a "$lan_ip" 7000 7000 UDP 3600 >/dev/null
    other="UDP 7000 $lan_ip:7000"
    others() { mappings | grep -qx "$other" && [[ "$(upnp_mappings)" =~ 7000-\>$lan_ip:7000\ +\'Other\' ]]; }
    home kill
    if start kill; then
        press_launch && within "$t_click" 3 mapped && game_runs kill '.*'
        check "kill: mapped and recorded" 'mapped && recorded UPnP'
        kill -9 "$velkor_pid" && wait "$velkor_pid" 2>/dev/null; velkor_pid=
        check "kill: after SIGKILL the mapping is left" mapped
        if start "kill: the next start"; then
            check "kill: the next start removes the leftover" 'within "$t_spawn" 10 "! mapped"'
            report "kill: next start → leftover gone: $took s"
            check "kill: and clears its record" no_record
            check "kill: another program's UDP 7000 stays" others
            close_velkor
            check "kill: closed: UDP 7000 still stays" others
        fi
    fi
    # A game program still running (argv[0] D3DPopTB.exe, the case differs): the mapping stays.
    home playing
    if start playing; then
        press_launch && within "$t_click" 3 mapped && game_runs playing '.*'
        bash -c 'exec -a D3DPopTB.exe sleep 120' & playing=$! && background+=("$playing")
        since1=$(mapped_since)
        close_velkor
        check "playing: closed while D3DPopTB.exe runs: the mapping stays, recorded" 'mapped && recorded UPnP'
        sleep 1
        if start "playing: the next start"; then
            check "playing: the next start renews it while the game runs" 'within "$t_spawn" 10 "(( \$(mapped_since) + 0 > since1 ))" && mapped'
            kill "$playing"
            watch_removal && close_velkor && removal_time
            check "playing: the game gone, the close removes it" '[[ -n "$removal" ]] && no_record'
        fi
    fi
fi

net_down
echo "== times"
printf '%s\n' "${times[@]}"
echo "whole test: $(since "$start_all") s"
finish
