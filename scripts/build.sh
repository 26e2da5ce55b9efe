#!/usr/bin/env bash
# Configures (once) and builds Terranox into build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERRANOX_BUILD_DIR:-$root/build}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
ninja -C "$build" "$@"
