#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# A crash, a sanitizer finding or an input that takes over a second fails the stage.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
build=${QUORVANE_FUZZ_BUILD_DIR:-build-fuzz}
# Every target gets the same short run; the whole stage stays within about three minutes.
seconds=${QUORVANE_FUZZ_SECONDS:-6}
cmake --preset fuzz -B "$build" >/dev/null
mapfile -t targets < <(cd tests/fuzz && ls -1 ./*_fuzz.cpp | sed 's|^\./||; s|\.cpp$||')
cmake --build "$build" --target "${targets[@]}"
echo "Fuzz build: $((SECONDS - start)) s"

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=0
for t in "${targets[@]}"; do
  # Absolute: the path-resolution target works from a directory of its own.
  seeds=$PWD/tests/fuzz/corpus/${t%_fuzz}
  work=$(realpath -m "$build/corpus/${t%_fuzz}")
  artifacts=$(realpath -m "$build/artifacts/$t")
  mkdir -p "$work" "$artifacts"
  log=$build/$t.log
  # New inputs go to the build directory; the committed seeds stay as written.
  if "$build/tests/fuzz/$t" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$artifacts/" "$work" "$seeds" >"$log" 2>&1; then
    echo "--- $t: ok ($(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs)"
  else
    echo "--- $t: FAILED (artifacts in $artifacts)"
    tail -n 40 "$log"
    failed=1
  fi
done
echo "Fuzz stage: $((SECONDS - start)) s"
exit $failed
