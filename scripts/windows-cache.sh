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
