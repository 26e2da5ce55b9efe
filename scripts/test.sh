#!/usr/bin/env bash
# Sets up, builds and runs every test (unit, gui under Xvfb, data), then
# prints CTest's summary. Extra arguments go to ctest (e.g. -L unit).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERRANOX_BUILD_DIR:-$root/build}"

bash "$root/scripts/setup.sh" || exit 1
bash "$root/scripts/build.sh" || exit 1
if [ -x "$root/scripts/fetch-data.sh" ] && [ -x "$root/scripts/build-data.sh" ]; then
  bash "$root/scripts/build-data.sh" || { echo "test: building the data failed" >&2; exit 1; }
fi

export QT_QPA_PLATFORM=xcb
export MESA_GL_VERSION_OVERRIDE=2.1
export LIBGL_ALWAYS_SOFTWARE=1
cd "$build" || exit 1
# The GUI tests need an X server; everything runs inside one so the whole
# suite ends with a single summary.
exec xvfb-run -a -s '-noreset -screen 0 1280x1024x24' \
  ctest --output-on-failure -j2 "$@"
