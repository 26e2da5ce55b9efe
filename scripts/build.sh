#!/usr/bin/env bash
# Configures (once) and builds Terranox into build/. TERRANOX_CMAKE_OPTIONS
# adds options at the first configure (scripts/test.sh --sanitize uses it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERRANOX_BUILD_DIR:-$root/build}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TERRANOX_CMAKE_OPTIONS:-} >/dev/null
fi
ninja -C "$build" "$@"
