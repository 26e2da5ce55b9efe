#!/usr/bin/env bash
# Builds the viewer's built-in data into build/app/: fetches the open data
# sources (scripts/fetch-data.sh), builds the data builder and runs it. Quiet
# on success; unchanged data is not made again.
#
#   TERRANOX_BUILD_DIR   the build folder (default build/)
#   TERRANOX_DATA_CACHE  the source cache (see scripts/fetch-data.sh)
#   TERRANOX_GLOBE_CLASS 13 adds the finer tile files (terrain class 12,
#                        texture class 13) to the standard class 11 ones
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERRANOX_BUILD_DIR:-$root/build}"
cache="${TERRANOX_DATA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/terranox-sources}"

bash "$root/scripts/fetch-data.sh"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! bash "$root/scripts/build.sh" terranox-databuilder >"$log" 2>&1; then
  cat "$log" >&2
  echo "build-data: building terranox-databuilder failed" >&2
  exit 1
fi

mkdir -p "$build/app/.databuilder"
# One builder at a time per output folder.
exec 9>"$build/app/.databuilder/lock"
flock 9
extra=()
if [ -n "${TERRANOX_GLOBE_CLASS:-}" ] && [ "$TERRANOX_GLOBE_CLASS" != 11 ]; then
  extra=(--globe-class "$TERRANOX_GLOBE_CLASS")
fi
"$build/tools/databuilder/terranox-databuilder" "${extra[@]}" "$cache" "$build/app"
