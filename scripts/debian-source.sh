#!/usr/bin/env bash
# Fetches and unpacks Debian's source of one package version, through an apt configuration of
# the project's own: its source list and package lists live under the cache folder, so the
# machine's /etc/apt and /var/lib/apt are only read, never written. Debian's patches, security
# fixes included, are applied by dpkg-source.
#
#   scripts/debian-source.sh PACKAGE VERSION FOLDER     (the source tree is made as FOLDER)
#
# The entries are those the machine already uses for binaries (debian.sources or sources.list),
# as deb-src. Environment: VELKOR_APT_CACHE (default ~/.cache/velkor/apt).
# Needs dpkg-dev (dpkg-source); changes nothing on the system.
set -euo pipefail

package=${1:?usage: debian-source.sh PACKAGE VERSION FOLDER}
version=${2:?usage: debian-source.sh PACKAGE VERSION FOLDER}
dest=$(realpath -m "${3:?usage: debian-source.sh PACKAGE VERSION FOLDER}")
apt_root=${VELKOR_APT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velkor/apt}

say() { echo "debian-source: $*" >&2; }
die() {
  say "$*"
  exit 1
}

# The machine's binary entries, copied as source entries.
deb_src_entries() {
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    # Stanzas whose Types include "deb", copied with Types set to deb-src.
    awk 'BEGIN { RS = "" }
      {
        n = split($0, lines, "\n"); out = ""; binary = 0; enabled = 1
        for (i = 1; i <= n; i++) {
          line = lines[i]
          if (line ~ /^#/) continue
          if (tolower(line) ~ /^types:/) {
            if (line ~ /[: \t]deb([ \t]|$)/) binary = 1
            line = "Types: deb-src"
          }
          if (tolower(line) ~ /^enabled:[ \t]*no/) enabled = 0
          out = out line "\n"
        }
        if (binary && enabled) printf "%s\n", out
      }' /etc/apt/sources.list.d/debian.sources | sed -e '${/^$/d}'
  elif [ -f /etc/apt/sources.list ]; then
    sed -n -e 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list
  fi
}

format=sources
[ -f /etc/apt/sources.list.d/debian.sources ] || format=list
entries=$(deb_src_entries)
[ -n "$entries" ] || die "no Debian entry in /etc/apt/sources.list.d/debian.sources or /etc/apt/sources.list"

mkdir -p "$apt_root/sources.list.d" "$apt_root/lists/partial" "$apt_root/cache/archives/partial"
rm -f "$apt_root/sources.list.d/"*
printf '%s\n' "$entries" >"$apt_root/sources.list.d/debian-src.$format"
: >"$apt_root/sources.list"
apt_options=(
  -o Dir::Etc::SourceList="$apt_root/sources.list"
  -o Dir::Etc::SourceParts="$apt_root/sources.list.d"
  -o Dir::State::Lists="$apt_root/lists"
  -o Dir::Cache="$apt_root/cache"
)
# As root, apt downloads as its own _apt user, who cannot write into a home folder's cache.
[ "$(id -u)" -eq 0 ] && apt_options+=(-o APT::Sandbox::User=root)

have_version() { apt-cache "${apt_options[@]}" showsrc "$package" 2>/dev/null | grep -qx "Version: $version"; }
if ! have_version; then
  say "updating the source lists in $apt_root"
  apt-get "${apt_options[@]}" -qq update >&2 || die "apt-get update failed for the source lists in $apt_root"
  have_version || die "Debian no longer offers the source of $package $version; update the package and run again"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/velkor-source.XXXXXX")
trap 'rm -rf "$work"' EXIT
say "fetching the source of $package $version"
(cd "$work" && apt-get "${apt_options[@]}" -qq source --download-only "$package=$version" >&2)
dsc=$(ls "$work"/*.dsc)
rm -rf "$dest"
dpkg-source -x "$dsc" "$dest" >&2 || die "cannot unpack $dsc"
