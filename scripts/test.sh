#!/usr/bin/env bash
# Sets up this machine, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/setup.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${MONKEY_PACKAGES[@]}"

# One build of the program and its tests, the sanitized one: the suite, the
# client check, the end-to-end run and the monkey all use it.
export QUORVANE_PRESET=asan QUORVANE_BUILD_DIR=build-asan QUORVANE_ASAN_BUILD_DIR=build-asan
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1"
stages=(scripts/test_linux.sh scripts/test_package.sh scripts/test_clients.sh scripts/test_e2e.sh scripts/test_windows.sh
        scripts/test_monkey.sh scripts/test_fuzz.sh)
for s in "${stages[@]}"; do
  echo "=== ${s}"
  stage_start=$SECONDS
  bash "$s"
  echo "=== ${s}: $((SECONDS - stage_start)) s"
done
