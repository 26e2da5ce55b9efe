#!/usr/bin/env bash
# Kills the viewer ROUNDS times (default 100) while it saves its files at
# exit and checks every file is the old or a whole new one; then the full
# disk case (needs root for its small tmpfs).
#
#   scripts/kill-test.sh [ROUNDS]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERRANOX_BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh" terranox t_app_save_kill_data_test >/dev/null || exit 1
export TERRANOX_APP_DIR="$build/app" TERRANOX_KILL_ROUNDS="${1:-100}"
export MESA_GL_VERSION_OVERRIDE=2.1 LIBGL_ALWAYS_SOFTWARE=1
# The viewer it kills stays offline, as in the test suite.
export TERRANOX_OFFLINE=1
exec "$build/tests/t_app_save_kill_data_test"
