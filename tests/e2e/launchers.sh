#!/bin/bash
# End-to-end discovery of the game's prefix without WINEPREFIX: a home holding no ~/.wine but the
# files Heroic, Lutris, Bottles or Steam leave, each prefix's registry holding the game's key.
# "&Launch Game" must start the game with the Wine its launcher records (a recording script),
# Proton as Proton runs outside Steam, and nothing in a prefix only Steam can start.
# Usage: launchers.sh VELKOR
source "$(dirname "$0")/lib.sh" "$@"

# wine_recorder FILE: a Wine stand-in writing "WINEPREFIX|STEAM_COMPAT_DATA_PATH|
# STEAM_COMPAT_CLIENT_INSTALL_PATH" and then "<argument>" per line into "FILE.args".
wine_recorder() {
    mkdir -p "$(dirname "$1")"
    cat >"$1" <<'SCRIPT'
#!/bin/sh
{ printf '%s|%s|%s\n' "$WINEPREFIX" "$STEAM_COMPAT_DATA_PATH" "$STEAM_COMPAT_CLIENT_INSTALL_PATH"; for a in "$@"; do printf '<%s>\n' "$a"; done; } > "$0.args.tmp" && mv "$0.args.tmp" "$0.args"
SCRIPT
    chmod +x "$1"
}

# game_prefix DIR: a 64-bit prefix whose registry names its game, a Windows program.
game_prefix() {
    make_prefix "$1" win64
    printf 'MZ\x90\0' >"$1/drive_c/Program Files/Bullfrog/Populous/HW_SW_Select.exe"
}

heroic_config() { # FILE PREFIX TYPE BIN
    mkdir -p "$(dirname "$1")"
    printf '{"Populous": {"winePrefix": "%s", "wineVersion": {"bin": "%s", "name": "w", "type": "%s"}}}\n' \
        "$2" "$4" "$3" >"$1"
}
lutris_config() { # FILE PREFIX VERSION
    mkdir -p "$(dirname "$1")"
    printf 'game:\n  exe: %s/drive_c/x.exe\n  prefix: %s\nwine:\n  version: %s\n' "$2" "$2" "$3" >"$1"
}

# launch NAME EXPECTED_RUNNER EXPECTED_LINE [ENV...]: starts the program over $work/NAME/home
# (set up beforehand) with WINEPREFIX unset unless given, clicks "&Launch Game" and checks that
# EXPECTED_RUNNER ran the prefix's game with the prefix variables of EXPECTED_LINE, and that no
# other Wine stand-in below $work/NAME ran.
launch() {
    local name=$1 runner=$2 line=$3 root="$work/$1"
    shift 3
    wine_recorder "$root/wines/plain"
    start_velkor "$root" WINEPREFIX= WINE="$root/wines/plain" "$@" ||
        { fail "$name: the main window did not appear"; return; }
    click_at 214 192
    type_into 66 361 "Bo"
    click_launch
    if read_args "$runner"; then
        [[ "$ran_in" == "$line" ]] || fail "$name: started with '$ran_in', not '$line'"
        expect_args "$name" '(<run> )?<.*/drive_c/Program Files/Bullfrog/Populous/HW_SW_Select\.exe> (</GAME=UW> )?</h> <tcp> </boundip> (<[0-9.]+> )?</nBo>'
    else
        fail "$name: $runner did not start the game"
    fi
    local other
    while IFS= read -r other; do
        [[ "$other" == "$runner.args" ]] || fail "$name: ${other%.args} ran as well"
    done < <(find "$root" -name '*.args')
    stop_velkor
}

# Heroic (Wine): the prefix its GamesConfig records, in its default folder.
home=$work/heroic/home
heroic_prefix="$home/Games/Heroic/Prefixes/default/Populous The Beginning"
game_prefix "$heroic_prefix"
wine_recorder "$work/heroic/wines/heroic"
heroic_config "$home/.config/heroic/GamesConfig/Populous.json" "$heroic_prefix" wine "$work/heroic/wines/heroic"
launch heroic "$work/heroic/wines/heroic" "$heroic_prefix||"

# Lutris and a bottle both hold the game: Lutris comes first, with its own Wine.
home=$work/lutris/home
game_prefix "$home/Games/populous"
lutris_config "$home/.config/lutris/games/populous-1.yml" "$home/Games/populous" lutris-7.2
wine_recorder "$home/.local/share/lutris/runners/wine/lutris-7.2/bin/wine"
game_prefix "$home/.local/share/bottles/bottles/Populous"
printf 'Name: Populous\nRunner: soda-7.0\n' >"$home/.local/share/bottles/bottles/Populous/bottle.yml"
wine_recorder "$home/.local/share/bottles/runners/soda-7.0/bin/wine"
launch lutris "$home/.local/share/lutris/runners/wine/lutris-7.2/bin/wine" "$home/Games/populous||"

# A bottle alone, in Bottles' Flatpak folders: its runner.
home=$work/bottle/home
bottles=$home/.var/app/com.usebottles.bottles/data/bottles
game_prefix "$bottles/bottles/Populous"
printf 'Name: Populous\nRunner: soda-7.0\n' >"$bottles/bottles/Populous/bottle.yml"
wine_recorder "$bottles/runners/soda-7.0/bin/wine"
launch bottle "$bottles/runners/soda-7.0/bin/wine" "$bottles/bottles/Populous||"

# WINEPREFIX set: that prefix alone, with $WINE, although Heroic's prefix holds the game too.
home=$work/override/home
game_prefix "$work/override/prefix"
game_prefix "$home/Games/Heroic/Prefixes/default/Populous"
wine_recorder "$work/override/wines/heroic"
heroic_config "$home/.config/heroic/GamesConfig/Populous.json" \
    "$home/Games/Heroic/Prefixes/default/Populous" wine "$work/override/wines/heroic"
launch override "$work/override/wines/plain" "$work/override/prefix||" WINEPREFIX="$work/override/prefix"

# Heroic with Proton: "proton run", the Steam variables, no Wine of its own; no Steam here.
home=$work/proton/home
proton_data="$home/Games/Heroic/Prefixes/default/Populous"
game_prefix "$proton_data/pfx"
wine_recorder "$work/proton/wines/proton"
heroic_config "$home/.config/heroic/GamesConfig/Populous.json" "$proton_data" proton "$work/proton/wines/proton"
launch proton "$work/proton/wines/proton" "|$proton_data|$proton_data"
[[ "${args[0]:-}" == "<run>" ]] || fail "proton: not started with run"

# Steam's own Proton prefix: nothing runs in it, and the failed start opens the manual load.
root=$work/steam
home=$root/home
game_prefix "$home/.steam/steam/steamapps/compatdata/1000/pfx"
wine_recorder "$root/wines/plain"
if start_velkor "$root" WINEPREFIX= WINE="$root/wines/plain"; then
    click_at 214 192
    type_into 66 361 "Bo"
    click_launch
    if timeout 10 xdotool search --sync --onlyvisible --name '^Alternative Load$' >/dev/null; then
        ok "steam: the start failed"
    else
        fail "steam: no failed start"
    fi
    ran=$(find "$root" -name '*.args')
    [[ -z "$ran" ]] && ok "steam: nothing ran" || fail "steam: ran $ran"
    stop_velkor
else
    fail "steam: the main window did not appear"
fi

finish
