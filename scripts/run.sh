#!/usr/bin/env bash
# Sets up, builds and starts the viewer from the portable program folder
# build/app/. Without arguments it starts the interactive viewer (/t).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERRANOX_BUILD_DIR:-$root/build}"

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" >/dev/null
if [ -x "$root/scripts/build-data.sh" ]; then
  bash "$root/scripts/build-data.sh"
fi

args=("$@")
[ ${#args[@]} -eq 0 ] && args=(/t)

snapshot=0
for a in "${args[@]}"; do [ "$a" = "--snapshot" ] && snapshot=1; done
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  if [ $snapshot -eq 1 ]; then
    exec xvfb-run -a -s '-screen 0 1280x1024x24' "$build/app/terranox" "${args[@]}"
  fi
  echo "run: there is no display here. To see the globe without one, take a snapshot:" >&2
  echo "  scripts/run.sh /t --snapshot globe.png [--size 1280x720]" >&2
  exit 1
fi
exec "$build/app/terranox" "${args[@]}"
