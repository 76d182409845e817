#!/usr/bin/env bash
# The program end to end on a virtual X server (after the normal build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUORVANE_BUILD_DIR:-build}
preset=${QUORVANE_PRESET:-dev}
if ! command -v xvfb-run >/dev/null; then
  echo "xvfb-run is not installed: end-to-end test not run"
  exit 0
fi
cmake --preset "$preset" -B "$build" >/dev/null
cmake --build "$build" --target quorvane quorvane_standin
xvfb-run -a bash tests/e2e/run_e2e.sh "$build"
