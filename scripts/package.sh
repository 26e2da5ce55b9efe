#!/usr/bin/env bash
# Builds the Debian package build/package/terranox_VERSION_amd64.deb: the
# program, its data (built here first, the package carries it) and the
# desktop files, installed under /usr. Prints the package's path.
#
#   sudo apt-get install ./build/package/terranox_*_amd64.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERRANOX_BUILD_DIR:-$root/build}"

bash "$root/scripts/setup.sh"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! bash "$root/scripts/build.sh" >"$log" 2>&1; then
  cat "$log" >&2
  echo "package: the build failed" >&2
  exit 1
fi
bash "$root/scripts/build-data.sh"

rm -f "$build"/package/terranox_*.deb
if ! (cd "$build" && cpack -G DEB -B "$build/package") >"$log" 2>&1; then
  cat "$log" >&2
  echo "package: cpack failed" >&2
  exit 1
fi
ls "$build"/package/terranox_*_amd64.deb
