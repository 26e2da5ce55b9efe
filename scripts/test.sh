#!/usr/bin/env bash
# Sets up, builds and runs every test (unit, gui under Xvfb, data), then
# prints CTest's summary. Extra arguments go to ctest (e.g. -L unit).
#
#   scripts/test.sh --sanitize [ctest args]   the program and every test built
#       with AddressSanitizer and UBSan (gcc) in build-asan/, the data taken
#       from the plain build's build/app
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sanitize=0
if [ "${1:-}" = "--sanitize" ]; then
  sanitize=1
  shift
fi
plain="${TERRANOX_BUILD_DIR:-$root/build}"
build="$plain"

bash "$root/scripts/setup.sh" || exit 1
if [ $sanitize -eq 1 ]; then
  build="$root/build-asan"
  TERRANOX_BUILD_DIR="$build" TERRANOX_CMAKE_OPTIONS="-DTERRANOX_SANITIZE=ON" \
    bash "$root/scripts/build.sh" -j2 || exit 1
else
  bash "$root/scripts/build.sh" || exit 1
fi
if [ -x "$root/scripts/fetch-data.sh" ] && [ -x "$root/scripts/build-data.sh" ]; then
  TERRANOX_BUILD_DIR="$plain" bash "$root/scripts/build-data.sh" ||
    { echo "test: building the data failed" >&2; exit 1; }
fi
if [ $sanitize -eq 1 ]; then
  # The data beside the sanitized program: the plain build's, linked.
  (cd "$plain/app" && find . -path ./terranox -prune -o -path ./.databuilder -prune -o -type f -print) |
    while read -r f; do
      mkdir -p "$build/app/$(dirname "$f")"
      ln -f "$plain/app/$f" "$build/app/$f" 2>/dev/null || cp -f "$plain/app/$f" "$build/app/$f"
    done
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:suppressions=$root/tests/sanitize/asan.supp"
  # Mesa's software driver is unloaded when the last GL display closes, and
  # what it kept then shows as leaks of a module without a name, which no
  # suppression can match. Loaded from the start it stays loaded.
  dri=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -1)
  if [ -n "$dri" ]; then
    export LD_PRELOAD="$dri${LD_PRELOAD:+:$LD_PRELOAD}"
    ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0"
  fi
  export LSAN_OPTIONS="suppressions=$root/tests/sanitize/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$root/tests/sanitize/ubsan.supp"
fi

export QT_QPA_PLATFORM=xcb
# setup.sh installed every tool the tests use: a missing one is a failure.
export TERRANOX_REQUIRE_TOOLS=1
export MESA_GL_VERSION_OVERRIDE=2.1
export LIBGL_ALWAYS_SOFTWARE=1
cd "$build" || exit 1
# The GUI tests need an X server; everything runs inside one so the whole
# suite ends with a single summary.
exec xvfb-run -a -s '-noreset -screen 0 1280x1024x24' \
  ctest --output-on-failure -j2 "$@"
