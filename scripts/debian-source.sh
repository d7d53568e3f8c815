#!/usr/bin/env bash
# Fetches and unpacks Debian's source of one package version, through an apt configuration of
# the project's own: its source list and package lists live under the cache folder, so the
# machine's /etc/apt and /var/lib/apt are only read, never written. Debian's patches, security
# fixes included, are applied by dpkg-source.
#
#   scripts/debian-source.sh [--suite SUITE] [--upstream] PACKAGE VERSION FOLDER
#
# The source tree is made as FOLDER. The entries are those the machine already uses for binaries
# (debian.sources or sources.list), as deb-src. With --suite, the main archive's entries name
# SUITE instead (a package whose source the machine's own release no longer serves), with lists
# of their own under SUITE/. With --upstream, only the upstream tarball is fetched, checked
# against the signed source index and unpacked, without Debian's changes: for a mirror that
# serves it but not the rest of the package.
# Environment: VELKOR_APT_CACHE (default ~/.cache/velkor/apt).
# Needs dpkg-dev (dpkg-source); changes nothing on the system.
set -euo pipefail

suite='' upstream=''
while [[ ${1:-} == --* ]]; do
  case $1 in
  --suite) suite=${2:?--suite needs a suite} && shift 2 ;;
  --upstream) upstream=1 && shift ;;
  *) echo "debian-source: unknown option $1" >&2 && exit 2 ;;
  esac
done
usage='usage: debian-source.sh [--suite SUITE] [--upstream] PACKAGE VERSION FOLDER'
package=${1:?$usage}
version=${2:?$usage}
dest=$(realpath -m "${3:?$usage}")
apt_root=${VELKOR_APT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velkor/apt}${suite:+/$suite}

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

# The main archive's entries (not the security one's) with SUITE as their only suite.
other_suite() {
  if [ "$format" = sources ]; then
    awk -v suite="$1" 'BEGIN { RS = ""; ORS = "\n\n" }
      !/URIs:[^\n]*-security/ { sub(/Suites:[^\n]*/, "Suites: " suite); print }' | sed -e '${/^$/d}'
  else
    awk -v suite="$1" '{ for (i = 2; i < NF; i++) if ($i ~ /:\/\//) break }
      $i !~ /-security/ { $(i + 1) = suite; print }'
  fi
}

format=sources
[ -f /etc/apt/sources.list.d/debian.sources ] || format=list
entries=$(deb_src_entries)
[ -z "$suite" ] || entries=$(other_suite "$suite" <<<"$entries")
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
if [ -n "$upstream" ]; then
  # The record of that version: its folder in the pool and the tarball's checksum line.
  record=$(apt-cache "${apt_options[@]}" showsrc "$package" | awk -v v="$version" 'BEGIN { RS = "" } $0 ~ "\nVersion: " v "\n"')
  folder=$(sed -n 's/^Directory: //p' <<<"$record")
  read -r sha size file < <(sed -n '/^Checksums-Sha256:/,/^[^ ]/p' <<<"$record" | grep -E ' [^ ]+\.orig\.tar\.[a-z0-9]+$')
  uri=$(sed -n -e 's/^URIs: *//p' -e 's/^deb-src \(\[[^]]*\] \)\{0,1\}\([^ ]*\).*/\2/p' "$apt_root/sources.list.d/"* | head -n1)
  [ -n "$folder" ] && [ -n "${file:-}" ] && [ -n "$uri" ] || die "no upstream tarball of $package $version in the source index"
  say "fetching $file ($size bytes)"
  /usr/lib/apt/apt-helper "${apt_options[@]}" -qq download-file "$uri/$folder/$file" "$work/$file" "SHA256:$sha" >&2 ||
    die "cannot fetch $uri/$folder/$file with its indexed checksum"
  rm -rf "$dest" && mkdir -p "$dest"
  tar -xf "$work/$file" -C "$dest" --strip-components=1 || die "cannot unpack $file"
  exit 0
fi
say "fetching the source of $package $version"
(cd "$work" && apt-get "${apt_options[@]}" -qq source --download-only "$package=$version" >&2)
dsc=$(ls "$work"/*.dsc)
rm -rf "$dest"
dpkg-source -x "$dsc" "$dest" >&2 || die "cannot unpack $dsc"
