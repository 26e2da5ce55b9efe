#!/usr/bin/env bash
# Builds the file readers' fuzzers (clang, libFuzzer with ASan and UBSan) in
# build-fuzz/ and runs each for SECONDS (default 60), one after the other,
# printing a line per target: executions, corpus size and the result. Seeds
# come from scripts/fuzz-corpus.sh (written once from build/app when absent);
# what a run finds goes to build-fuzz/crashes/<reader>/.
#
#   scripts/fuzz.sh [SECONDS] [READER...]    e.g. scripts/fuzz.sh 30 star_field
#   FUZZ_JOBS=2 scripts/fuzz.sh 600           two targets at a time
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds="${1:-60}"
shift || true

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ is missing (scripts/setup.sh installs it)" >&2
  exit 1
fi
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTERRANOX_FUZZ=ON >/dev/null || exit 1
fi
ninja -C "$build" -j2 fuzzers >"$build/build.log" 2>&1 || { tail -40 "$build/build.log" >&2; exit 1; }

if [ ! -d "$build/corpus" ]; then
  bash "$root/scripts/fuzz-corpus.sh" "${TERRANOX_BUILD_DIR:-$root/build}/app" "$build/corpus" >/dev/null ||
    echo "fuzz: no seed corpus (no built data); starting from nothing" >&2
fi

readers=("$@")
if [ ${#readers[@]} -eq 0 ]; then
  for f in "$root"/tests/fuzz/*_fuzz.cpp; do
    n=$(basename "$f" _fuzz.cpp)
    readers+=("$n")
  done
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=0:detect_leaks=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
jobs="${FUZZ_JOBS:-1}"
results="$build/results"
rm -rf "$results"
mkdir -p "$results" "$build/logs"

fuzz_one() {
  local r=$1 exe="$build/tests/fuzz/fuzz_$1"
  if [ ! -x "$exe" ]; then
    printf '%-22s %12s %8s  %s\n' "$r" - - "not built" >"$results/$r"
    return
  fi
  local work="$build/work/$r" crashes="$build/crashes/$r" log="$build/logs/$r.log"
  mkdir -p "$work" "$crashes" "$build/corpus/$r"
  (cd "$build" && "$exe" "$work" "$build/corpus/$r" -max_total_time="$seconds" -timeout=25 \
     -rss_limit_mb=2048 -max_len=262144 -print_final_stats=1 -artifact_prefix="$crashes/" >"$log" 2>&1)
  local rc=$? result execs files
  execs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)
  if [ -z "$execs" ]; then
    execs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
  fi
  files=$(find "$work" -type f | wc -l)
  if [ $rc -eq 0 ]; then
    result=ok
  else
    local artifact kind
    artifact=$(grep -oE "Test unit written to [^ ]+" "$log" | tail -1 | sed 's/Test unit written to //')
    kind=$(grep -oE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer): [a-z-]+|runtime error: .*' "$log" | head -1)
    result="FAILED ($kind) ${artifact:-see $log}"
  fi
  printf '%-22s %12s %8s  %s\n' "$r" "${execs:-?}" "$files" "$result" >"$results/$r"
}

# FUZZ_JOBS targets at a time (default one): each still runs SECONDS.
running=0
for r in "${readers[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
  fuzz_one "$r" &
  running=$((running + 1))
done
wait

failed=0
printf '%-22s %12s %8s  %s\n' target executions corpus result
for r in "${readers[@]}"; do
  cat "$results/$r"
  grep -q '  ok$' "$results/$r" || failed=1
done
exit $failed
