#!/usr/bin/env bash
# Builds the viewer's built-in data into build/app/: fetches the open data
# sources (scripts/fetch-data.sh), builds the data builder and runs it. Quiet
# on success; unchanged data is not made again.
#
#   TERRANOX_BUILD_DIR   the build folder (default build/)
#   TERRANOX_DATA_CACHE  the source cache (see scripts/fetch-data.sh)
#   TERRANOX_GLOBE_CLASS 13 (the default) builds the finer tile files the
#                        viewer prefers (terrain class 12, texture class 13)
#                        besides the class 11 ones; 11 builds only class 11
#                        (a quicker build, less disk and memory)
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
globe_class="${TERRANOX_GLOBE_CLASS:-13}"
extra=()
if [ "$globe_class" != 11 ]; then
  extra=(--globe-class "$globe_class")
else
  # Finer files left by an earlier build would still be the viewer's choice.
  rm -f "$build/app/globe12c.tem" "$build/app/globetex13j90.tex" "$build/app/globenight13j90.tex"
fi
"$build/tools/databuilder/terranox-databuilder" "${extra[@]}" "$cache" "$build/app"
