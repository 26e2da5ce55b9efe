#!/usr/bin/env bash
# What starting costs. A snapshot at 1280 x 720 over Europe, start to exit:
# wall time, CPU time (user + system, all threads) and peak memory. The
# interactive viewer (`/t`, a fresh home, under openbox): the time until its
# first frame is on screen and until the first frame that left nothing to
# build, as the viewer itself reports them under TERRANOX_FRAME_STATS
# (seconds since the program was loaded). Each is run several times; the
# medians are printed with the load average, since wall times on a shared
# machine vary with what else runs and CPU times much less.
#
#   scripts/start-cost.sh [RUNS]
#
#   RUNS           runs of each measurement (default 5)
#   TERRANOX_BIN   the program (default build/app/terranox)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
bin="${TERRANOX_BIN:-$root/build/app/terranox}"
[ -x "$bin" ] || { echo "start-cost: $bin is not built (scripts/build.sh)" >&2; exit 1; }
command -v /usr/bin/time >/dev/null || { echo "start-cost: needs /usr/bin/time (Debian: time)" >&2; exit 1; }

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
when=(--look-at 10,50,3000 --time 2024-06-21T12:00:00Z)

# Xvfb takes a free display of its own and names it once it is ready (a
# number picked here could be another server's, which may end mid-run).
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "start-cost: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")

fresh_home() {
    rm -rf "$work/home" && mkdir -p "$work/home"
    export TERRANOX_HOME="$work/home" TERRANOX_REGISTRY="$work/home/registry.ini"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

snapshot() {
    fresh_home
    /usr/bin/time -f "%e %U %S %M" -o "$work/one" "$bin" /t --snapshot "$work/s.png" --size 1280x720 "${when[@]}" \
        2>/dev/null
}

echo "load average before: $(load)"
# Mesa keeps the shaders it compiled in a disk cache (here a fresh one):
# the first run fills it, as a user's very first start does.
snapshot
awk '{ printf "snapshot with an empty shader cache: %.2f s wall, %.2f s CPU, %.0f MB peak\n", $1, $2 + $3, $4 / 1024 }' \
    "$work/one"
: >"$work/snap"
for _ in $(seq "$runs"); do
    snapshot
    cat "$work/one" >>"$work/snap"
done
wall=$(awk '{ print $1 }' "$work/snap" | median)
cpu=$(awk '{ print $2 + $3 }' "$work/snap" | median)
rss=$(awk '{ print $4 / 1024 }' "$work/snap" | median)
printf 'snapshot 1280 x 720, %d runs, medians: %.2f s wall, %.2f s CPU, %.0f MB peak\n' "$runs" "$wall" "$cpu" "$rss"
printf '  each (wall s, CPU s, MB):'
awk '{ printf " %.2f/%.2f/%.0f", $1, $2 + $3, $4 / 1024 }' "$work/snap"
echo

openbox >/dev/null 2>&1 &
sleep 1
: >"$work/first"
: >"$work/complete"
for _ in $(seq "$runs"); do
    fresh_home
    : >"$work/stderr"
    TERRANOX_FRAME_STATS=60 "$bin" /t "${when[@]}" 2>"$work/stderr" &
    pid=$!
    for _ in $(seq 300); do
        grep -q '^start-up: view complete' "$work/stderr" && break
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    sed -n 's/^start-up: first frame on screen after \([0-9.]*\) s.*/\1/p' "$work/stderr" >>"$work/first"
    sed -n 's/^start-up: view complete after \([0-9.]*\) s.*/\1/p' "$work/stderr" >>"$work/complete"
done
if [ -s "$work/first" ]; then
    printf 'viewer /t, %d runs, medians: first frame on screen after %.2f s, view complete after %.2f s\n' \
        "$runs" "$(median <"$work/first")" "$(median <"$work/complete")"
    echo "  each first: $(tr '\n' ' ' <"$work/first")"
    echo "  each complete: $(tr '\n' ' ' <"$work/complete")"
else
    echo "viewer /t: no start-up lines (a program without them?)"
fi
echo "load average after: $(load)"
