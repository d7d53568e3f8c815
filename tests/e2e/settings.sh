#!/bin/bash
# The settings file: saved on a first start without ~/.config; a full file system reported, nothing lost.
source "$(dirname "$0")/lib.sh" "$@"
cleanup='umount "$work"/*/config 2>/dev/null'

root=$work/first && make_prefix "$root/prefix" win32 && up first "$root" XDG_CONFIG_HOME="$root/not/yet" && close_velkor
check "first start saved" '[[ $(stat -c %s "$root/not/yet/Populous/Velkor/Velkor.cfg") == 115 ]]'

# A full 64 KiB tmpfs where mounting is allowed: a saved record is rewritten, a new one fails.
for name in full-new full-saved; do
    root=$work/$name && make_prefix "$root/prefix" win32 && mkdir -p "$root/config"
    mount -t tmpfs -o size=64k tmpfs "$root/config" 2>/dev/null || { echo "SKIP $name: no tmpfs here"; continue; }
    [[ $name == full-new ]] || record "$(cfg "$root")" '4:K\0e\0e\0p\0e\0r'
    yes >"$root/config/filler" 2>/dev/null; check "$name: disk full" '(($(df --output=avail "$root/config" | tail -n1) == 0))'
    filler=$(stat -c %s "$root/config/filler") && up "$name" "$root" || continue
    close_velkor "$([[ $name == full-saved ]] || echo "$name")" # expecting a message
    if [[ $name == full-new ]]; then
        check "$name: nothing written" '[[ ! -s "$(cfg "$root")" && "$(stat -c %s "$root/config/filler" 2>/dev/null)" == "$filler" ]]'
    else check "$name: record kept" '[[ $(stat -c %s "$(cfg "$root")") == 115 && $(field "$(cfg "$root")" 4 32) == Keeper ]]'; fi
done
finish
