#!/usr/bin/env bash
# Sets up this machine, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
# The windows need a display; say so before anything is set up or built.
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
  echo "quorvane: there is no display to open the windows on. The terminal modes need none: see quorvane --help." >&2
  echo "Run this from a desktop session, or take a look on a virtual screen with: xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi
source scripts/packages.sh
bash scripts/setup.sh "${BUILD_PACKAGES[@]}"
build=${QUORVANE_BUILD_DIR:-build}
cmake --preset dev -B "$build" -DQUORVANE_BUILD_TESTS=OFF -DQUORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target quorvane quorvane_standin
# Without a stored location, try the program on a sample installation.
if [[ ! -f "$build/src/Quorvane.ini" ]]; then
  sample="$(pwd)/$build/sample-install"
  bash scripts/make_sample_install.sh "$sample" "$build/tests/standin/quorvane_standin"
  printf '%s\r\n' "$sample" > "$build/src/Quorvane.ini"
  echo "Sample installation in $sample"
fi
exec "$build/src/quorvane"
