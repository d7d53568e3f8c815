# shellcheck shell=bash disable=SC2154
# Sourced by the scripts that build a library for Windows into the cache: their messages, their
# logged steps and the claim on a cache folder. The caller sets $tool (its name) and $cache_root.

say() { echo "$tool: $*" >&2; }
die() {
  say "$*"
  exit 1
}

run_logged() { # <what> <command...>
  local what=$1
  shift
  say "$what"
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    die "$what failed; full log: $log"
  fi
}

# claim_cache <dest> <stamp>: a finished build in <dest> is printed and the script ends there.
# Otherwise takes the folder's lock, so that a second caller waits and then reuses the build,
# and starts the folder's log in $log.
claim_cache() {
  local dest=$1 stamp=$2 name
  name=$(basename "$dest")
  if [ -f "$stamp" ]; then
    echo "$dest"
    exit 0
  fi
  mkdir -p "$cache_root"
  exec 9>"$cache_root/.$name.lock"
  if ! flock -n 9; then
    say "another build of $name is running; waiting for it"
    flock 9
  fi
  if [ -f "$stamp" ]; then
    echo "$dest"
    exit 0
  fi
  log="$cache_root/$name.log"
  : >"$log"
}

# start_build <dev package>|=<version> <source package> <folder> <stamp> [<debian-source option>...]:
# the build of the source package at the version of the dev package installed here (or the one
# given), into the cache folder <folder>-VERSION-KEY ($dest; finished when it holds <stamp>,
# $stamp), claimed, and its source unpacked into $work/src. The caller defines cache_key.
start_build() {
  if [[ $1 == =* ]]; then version=${1#=}; else version=$(dpkg-query -W -f='${source:Version}' "$1" 2>/dev/null || true); fi
  [ -n "$version" ] || die "cannot tell the installed $1 version (is it installed?)"
  dest="$cache_root/$3-$version-$(cache_key)"
  stamp="$dest/$4"
  claim_cache "$dest" "$stamp"
  work=$(mktemp -d "${TMPDIR:-/tmp}/velkor-$3.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  trap 'exit 1' INT TERM HUP
  start=$SECONDS
  say "building $2 $version for Windows into $dest (log: $log)"
  run_logged "fetching and unpacking the source of $2 $version" \
    env VELKOR_APT_CACHE="${VELKOR_APT_CACHE:-$cache_root/apt}" bash "$repo/scripts/debian-source.sh" "${@:5}" "$2" "$version" "$work/src"
}
