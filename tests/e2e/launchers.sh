#!/bin/bash
# Without WINEPREFIX the game is found in the prefixes launchers leave in the home and started
# with the Wine each records, Proton as it runs outside Steam; nothing in a Steam-only prefix.
source "$(dirname "$0")/lib.sh" "$@"
wine_at() { recorder "$1" 'echo "$WINEPREFIX|$STEAM_COMPAT_DATA_PATH|$STEAM_COMPAT_CLIENT_INSTALL_PATH"'; }
game_in() { make_prefix "$1" win64 && printf 'MZ\x90\0' >"$game"; } # a Windows program
heroic() { # PREFIX TYPE: Heroic's record of the game, with its Wine $home/heroic-wine
    mkdir -p "$home/.config/heroic/GamesConfig" && wine_at "$home/heroic-wine"
    printf '{"Populous": {"winePrefix": "%s", "wineVersion": {"bin": "%s", "name": "w", "type": "%s"}}}\n' \
        "$1" "$home/heroic-wine" "$2" >"$home/.config/heroic/GamesConfig/Populous.json"
}
bottle() { # BOTTLES: the bottle Populous on runner soda-7.0
    game_in "$1/bottles/Populous" && wine_at "$1/runners/soda-7.0/bin/wine"
    printf 'Name: Populous\nRunner: soda-7.0\n' >"$1/bottles/Populous/bottle.yml"
}
lutris() { # PREFIX: Lutris' record of the game with its Wine lutris-7.2
    game_in "$1" && mkdir -p "$home/.config/lutris/games" && wine_at "$home/.local/share/lutris/runners/wine/lutris-7.2/bin/wine"
    printf 'game:\n  exe: %s/drive_c/x.exe\n  prefix: %s\nwine:\n  version: lutris-7.2\n' "$1" "$1" >"$home/.config/lutris/games/populous-1.yml"
}

# NAME|SET-UP: the home, the $runner expected (none: the start fails), the $line it records.
while IFS='|' read -r -u 3 name set_up; do
    root=$work/$name home=$work/$name/home runner= run= env=() && eval "$set_up" && wine_at "$root/plain-wine"
    up "$name" "$root" WINEPREFIX= WINE="$root/plain-wine" "${env[@]}" || continue
    click_at 214 192 && type_into 66 361 Bo && click_launch
    if [[ -z $runner ]]; then
        check "$name: the start failed" 'dialog "Alternative Load" >/dev/null'
    elif read_args "$runner"; then
        pattern="$run<.*/drive_c/Program Files/Bullfrog/Populous/HW_SW_Select\.exe> (</GAME=UW> )?</h> <tcp> </boundip> (<[0-9.]+> )?</nBo>"
        check "$name: $ran_in $args" '[[ "$ran_in" == "$line" && "$args" =~ ^$pattern$ ]]'
    else fail "$name: $runner did not start the game"; fi
    check "$name: nothing else ran" '[[ "$(find "$root" -name "*.args")" == "${runner:+$runner.args}" ]]'
    stop_velkor
done 3<<'CASES'
heroic|p="$home/Games/Heroic/Prefixes/default/Populous The Beginning"; game_in "$p"; heroic "$p" wine; runner=$home/heroic-wine line="$p||"
lutris before a bottle|lutris "$home/Games/populous"; bottle "$home/.local/share/bottles"; runner=$home/.local/share/lutris/runners/wine/lutris-7.2/bin/wine line="$home/Games/populous||"
override|game_in "$root/prefix"; p=$home/Games/Heroic/Prefixes/default/Populous; game_in "$p"; heroic "$p" wine; runner=$root/plain-wine line="$root/prefix||" env=(WINEPREFIX="$root/prefix")
proton|p=$home/Games/Heroic/Prefixes/default/Populous; game_in "$p/pfx"; heroic "$p" proton; runner=$home/heroic-wine line="|$p|$p" run='<run> '
steam|game_in "$home/.steam/steam/steamapps/compatdata/1000/pfx"
CASES
finish
