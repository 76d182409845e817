#!/usr/bin/env bash
# The whole test suite, built with AddressSanitizer and UndefinedBehaviorSanitizer
# (the asan preset). Any finding aborts the test that made it, so ctest fails.
# The suite runs once, in this build: the plain build adds nothing a sanitized run
# does not check, and a second full build would double the stage.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
build=${QUORVANE_ASAN_BUILD_DIR:-build-asan}
cmake --preset asan -B "$build" >/dev/null
cmake --build "$build"
echo "Sanitizer build: $((SECONDS - start)) s"

# Leaks that belong to the system's libraries (fonts, GL, the Qt platform
# plugins) are not ours; everything else counts.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j2
echo "Suite: $((SECONDS - start)) s"
