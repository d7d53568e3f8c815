#!/bin/bash
# Without WINEPREFIX the game is found in a prefix Heroic left in the home and started with the
# Wine it records, or Proton as it runs outside Steam.
source "$(dirname "$0")/lib.sh" "$@"
wine_at() { recorder "$1" 'echo "$WINEPREFIX|$STEAM_COMPAT_DATA_PATH|$STEAM_COMPAT_CLIENT_INSTALL_PATH"'; }
game_in() { make_prefix "$1" win64 && printf 'MZ\x90\0' >"$game"; } # a Windows program
heroic() { # PREFIX TYPE: Heroic's record of the game, with its Wine $home/heroic-wine
    mkdir -p "$home/.config/heroic/GamesConfig" && wine_at "$home/heroic-wine"
    printf '{"Populous": {"winePrefix": "%s", "wineVersion": {"bin": "%s", "name": "w", "type": "%s"}}}\n' \
        "$1" "$home/heroic-wine" "$2" >"$home/.config/heroic/GamesConfig/Populous.json"
}

# NAME|SET-UP: the home, the $runner expected, the $line it records.
while IFS='|' read -r -u 3 name set_up; do
    root=$work/$name home=$work/$name/home run= && eval "$set_up" && wine_at "$root/plain-wine"
    up "$name" "$root" WINEPREFIX= WINE="$root/plain-wine" || continue
    click_at 214 192 && type_into 66 361 Bo && click_launch
    if read_args "$runner"; then
        pattern="$run<.*/drive_c/Program Files/Bullfrog/Populous/HW_SW_Select\.exe> (</GAME=UW> )?</h> <tcp> </boundip> (<[0-9.]+> )?</nBo>"
        check "$name: $ran_in $args" '[[ "$ran_in" == "$line" && "$args" =~ ^$pattern$ ]]'
    else fail "$name: $runner did not start the game"; fi
    check "$name: nothing else ran" '[[ "$(find "$root" -name "*.args")" == "$runner.args" ]]'
    stop_velkor
done 3<<'CASES'
heroic|p="$home/Games/Heroic/Prefixes/default/Populous The Beginning"; game_in "$p"; heroic "$p" wine; runner=$home/heroic-wine line="$p||"
proton|p=$home/Games/Heroic/Prefixes/default/Populous; game_in "$p/pfx"; heroic "$p" proton; runner=$home/heroic-wine line="|$p|$p" run='<run> '
CASES
finish
