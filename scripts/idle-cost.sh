#!/usr/bin/env bash
# What a viewer left alone costs: starts `terranox /t` in a fresh home under a
# private Xvfb (1280 x 1024, openbox), lets it settle, then reports the CPU
# it used per second and the frames it drew per second while nobody touched
# it. The home is used twice, as a user's second run would find it.
#
#   scripts/idle-cost.sh [SECONDS] [-- extra terranox arguments]
#
#   SECONDS          how long to measure (default 30)
#   TERRANOX_BIN     the program (default build/app/terranox)
#   IDLE_WARMUP      seconds before measuring (default 15)
#   IDLE_LOG         a file to keep the measured run's stderr in
#
# Example without the toolbars: scripts/idle-cost.sh 30 -- --hide hud
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=30
if [ $# -gt 0 ] && [ "$1" != "--" ]; then seconds=$1; shift; fi
[ "${1:-}" = "--" ] && shift
bin="${TERRANOX_BIN:-$root/build/app/terranox}"
warmup="${IDLE_WARMUP:-15}"
[ -x "$bin" ] || { echo "idle-cost: $bin is not built (scripts/build.sh)" >&2; exit 1; }

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export TERRANOX_HOME="$work/home" TERRANOX_REGISTRY="$work/registry.ini"
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1 TERRANOX_FRAME_STATS=5
mkdir -p "$TERRANOX_HOME"

# Xvfb takes a free display of its own and names it once it is ready (a
# number picked here could be another server's, which may end mid-run).
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "idle-cost: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
openbox >/dev/null 2>&1 &
sleep 1

ticks=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }

run_once() {
    "$bin" /t "$@" 2>"$work/stderr" &
    local pid=$!
    sleep "$warmup"
    local c0 t0 c1 t1
    c0=$(cpu_of $pid); t0=$(date +%s.%N)
    sleep "$seconds"
    c1=$(cpu_of $pid); t1=$(date +%s.%N)
    # Escape ends the viewer and prints its frame counts.
    timeout 10 xdotool search --sync --onlyvisible --name '^Terranox$' windowactivate --sync key Escape \
        >/dev/null 2>&1 || kill $pid
    wait $pid || true
    if [ -n "${IDLE_LOG:-}" ]; then cp "$work/stderr" "$IDLE_LOG"; fi
    awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$ticks" \
        'BEGIN { printf "cpu %.2f %% of a core over %.1f s\n", 100 * (c1 - c0) / hz / (t1 - t0), t1 - t0 }'
    # The viewer reports its frames every 5 s; those inside the window count.
    awk -v from="$warmup" -v to="$((warmup + seconds + 1))" '
        /^frames at / { t = $3 + 0; if (t > from && t <= to) { n++; s += $6; h += $8; p += $10; span += $12 } }
        END { if (span > 0) printf "frames per second: %.2f scene, %.2f HUD only, %.2f presented\n", s / span, h / span, p / span
              else print "frames: not reported" }' "$work/stderr"
}

run_once "$@" >/dev/null   # the first run of a fresh home
echo "idle viewer, 1280 x 1024, ${seconds} s, arguments: ${*:-none}"
run_once "$@"
