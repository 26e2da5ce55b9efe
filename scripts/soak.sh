#!/usr/bin/env bash
# Runs the full-screen saver (/s) under a private Xvfb for MINUTES and
# samples its resident memory and CPU use every 10 s into a CSV, then prints
# the memory growth after the warm-up (the first 5 minutes) and any error
# text the saver printed.
#
#   scripts/soak.sh MINUTES [OUT_DIR]        (default /tmp/soak)
#   SOAK_INTERVAL=10 SOAK_WARMUP=300 TERRANOX_APP_DIR=build/app
#   SOAK_CONFIG=FILE   start from this Terranox.ini (e.g. one with the music
#                      player on; TERRANOX_AUDIO=null plays it silently)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
minutes="${1:?usage: soak.sh MINUTES [OUT_DIR]}"
out="${2:-/tmp/soak}"
app="${TERRANOX_APP_DIR:-${TERRANOX_BUILD_DIR:-$root/build}/app}"
interval="${SOAK_INTERVAL:-10}"
warmup="${SOAK_WARMUP:-300}"
exe="$app/terranox"
if [ ! -x "$exe" ]; then
  echo "soak: no viewer at $exe (scripts/build.sh terranox, scripts/build-data.sh)" >&2
  exit 1
fi
mkdir -p "$out"
csv="$out/soak.csv"
log="$out/saver.log"
home=$(mktemp -d /tmp/terranox-soak-home.XXXXXX)
mkdir -p "$home/config"
if [ -n "${SOAK_CONFIG:-}" ]; then cp "$SOAK_CONFIG" "$home/Terranox.ini" || exit 1; fi

# A display of our own, so nothing else's input ends the saver.
display=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "soak: no free display number" >&2; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

cleanup() {
  [ -n "${saver:-}" ] && kill "$saver" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$home"
}
trap cleanup EXIT INT TERM

DISPLAY="$display" QT_QPA_PLATFORM=xcb MESA_GL_VERSION_OVERRIDE=2.1 LIBGL_ALWAYS_SOFTWARE=1 \
  TERRANOX_HOME="$home" XDG_CONFIG_HOME="$home/config" TERRANOX_REGISTRY="$home/config/registry.ini" \
  "$exe" /s >"$log" 2>&1 &
saver=$!

ticks=$(getconf CLK_TCK)
echo "seconds,rss_kb,cpu_percent" >"$csv"
start=$(date +%s)
end=$((start + minutes * 60))
last_cpu=""
last_t=""
while [ "$(date +%s)" -lt "$end" ]; do
  if ! kill -0 "$saver" 2>/dev/null; then
    echo "soak: the saver ended by itself after $(( $(date +%s) - start )) s" >&2
    break
  fi
  now=$(date +%s.%N)
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$saver/status" 2>/dev/null)
  cpu=$(awk '{print $14 + $15}' "/proc/$saver/stat" 2>/dev/null)
  if [ -n "$rss" ] && [ -n "$cpu" ]; then
    pct=""
    if [ -n "$last_cpu" ]; then
      pct=$(awk -v c="$cpu" -v lc="$last_cpu" -v t="$now" -v lt="$last_t" -v k="$ticks" \
        'BEGIN { printf "%.1f", 100 * (c - lc) / k / (t - lt) }')
    fi
    printf '%s,%s,%s\n' "$(awk -v t="$now" -v s="$start" 'BEGIN { printf "%d", t - s }')" "$rss" "$pct" >>"$csv"
    last_cpu=$cpu
    last_t=$now
  fi
  sleep "$interval"
done

# Summary: memory at the end of the warm-up, at the end, the peak after it.
awk -F, -v w="$warmup" '
  NR > 1 && $1 >= w { if (base == "") base = $2; last = $2; if ($2 > peak) peak = $2;
                      if ($3 != "") { cpu += $3; n++ } }
  NR > 1 { total = $1 }
  END {
    if (base == "") { print "soak: shorter than the warm-up; no growth figure"; exit }
    printf "soak: %d s, RSS after warm-up %.1f MB, at the end %.1f MB, peak %.1f MB, growth %+.2f MB; mean CPU %.0f%%\n",
           total, base / 1024, last / 1024, peak / 1024, (last - base) / 1024, n ? cpu / n : 0
  }' "$csv" | tee "$out/summary.txt"
errors=$(grep -ciE 'error|warning|assert|fatal|sanitizer' "$log" || true)
echo "soak: $errors lines of error text in $log" | tee -a "$out/summary.txt"
