#!/usr/bin/env bash
# Sets up this machine, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/setup.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${MONKEY_PACKAGES[@]}"

stages=(scripts/test_linux.sh scripts/test_package.sh scripts/test_clients.sh scripts/test_e2e.sh scripts/test_windows.sh
        scripts/test_sanitizers.sh scripts/test_monkey.sh scripts/test_fuzz.sh)
for s in "${stages[@]}"; do
  echo "=== ${s}"
  bash "$s"
done
