#!/bin/bash
# Without WINEPREFIX: the game in Heroic's prefix (its Wine or Proton), or Steam's, past planted lists.
source "$(dirname "$0")/lib.sh" "$@"
wine_at() { recorder "$1" 'echo "$WINEPREFIX|$STEAM_COMPAT_DATA_PATH|$STEAM_COMPAT_CLIENT_INSTALL_PATH"'; }
game_in() { make_prefix "$1" win64 && printf 'MZ\x90\0' >"$game"; } # a Windows program
heroic() { # PREFIX TYPE: Heroic's record of the game, with its Wine $home/heroic-wine
    mkdir -p "$home/.config/heroic/GamesConfig" && wine_at "$home/heroic-wine"
    printf '{"Populous": {"winePrefix": "%s", "wineVersion": {"bin": "%s", "name": "w", "type": "%s"}}}\n' \
        "$1" "$home/heroic-wine" "$2" >"$home/.config/heroic/GamesConfig/Populous.json"
}
steam_game() { # LIBRARY STEAM COMPATDATA: the game in a library that only libraryfolders.vdf names
    mkdir -p "$2/steamapps" "$1/steamapps/common/Populous 3" "$3/pfx/dosdevices" && ln -sfn / "$3/pfx/dosdevices/z:"
    printf '"libraryfolders" { "0" { "path" "%s" } "1" { "path" "%s" } }\n' "$2" "$1" >"$2/steamapps/libraryfolders.vdf"
    printf '"AppState" { "appid" "2616430" "installdir" "Populous 3" }\n' >"$1/steamapps/appmanifest_2616430.acf"
    for p in D3DPopTB popTB D3DPopTBUW popTBUW; do printf 'MZ' >"$1/steamapps/common/Populous 3/$p.exe"; done
    printf '11.0-1\n%s/files/share/fonts/\n' "$home/proton" >"$3/config_info" && wine_at "$home/proton/proton"
}
planted_lists() { # Heroic's and Lutris's lists as FIFOs and a huge file: read past, never waited on
    mkdir -p "$home/.config/heroic/gog_store" "$home/.local/share/lutris/games"
    mkfifo "$home/.config/heroic/gog_store/installed.json" "$home/.local/share/lutris/pga.db"
    truncate -s 64M "$home/.local/share/lutris/games/pop-1.yml"
}

# NAME|SET-UP: the home, the $runner expected, the $line it records.
while IFS='|' read -r -u 3 name set_up; do
    root=$work/$name home=$work/$name/home run= exe= && eval "$set_up" && wine_at "$root/plain-wine"
    up "$name" "$root" WINEPREFIX= WINE="$root/plain-wine" || continue
    click_at 214 192 && type_into 66 361 Bo && click_launch
    read_args "$runner" || fail "$name: $runner did not start the game"
    pattern="$run<${exe:-.*/drive_c/Program Files/Bullfrog/Populous/HW_SW_Select\.exe}> (</GAME=UW> )?</h> <tcp> </boundip> (<[0-9.]+> )?</nBo>"
    check "$name: $ran_in $args" '[[ "$ran_in" == "$line" && "$args" =~ ^$pattern$ ]]'
    check "$name: nothing else ran" '[[ "$(find "$root" -name "*.args")" == "$runner.args" ]]'
    stop_velkor
done 3<<'CASES'
heroic|p="$home/Games/Heroic/Prefixes/default/Populous The Beginning"; game_in "$p"; heroic "$p" wine; runner=$home/heroic-wine line="$p||"
proton|p=$home/Games/Heroic/Prefixes/default/Populous; game_in "$p/pfx"; heroic "$p" proton; runner=$home/heroic-wine line="|$p|$p" run='<run> '
steam|s=$home/.steam/steam c=$root/lib2/steamapps/compatdata/2616430; steam_game "$root/lib2" "$s" "$c"; planted_lists; runner=$home/proton/proton line="|$c|$s" run='<run> ' exe='.*/lib2/steamapps/common/Populous 3/D3DPopTBUW\.exe'
CASES
finish
