#!/usr/bin/env bash
# The normal build and its test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUORVANE_BUILD_DIR:-build}
cmake --preset dev -B "$build" >/dev/null
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j2
