#!/usr/bin/env bash
# Sets up this machine, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
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
