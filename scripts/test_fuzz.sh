#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# A crash, a sanitizer finding or an input that takes over a second fails the stage.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
build=${QUORVANE_FUZZ_BUILD_DIR:-build-fuzz}
# Every target gets the same short run, two at a time; the whole stage stays within about two minutes.
seconds=${QUORVANE_FUZZ_SECONDS:-6}
cmake --preset fuzz -B "$build" >/dev/null
mapfile -t targets < <(cd tests/fuzz && ls -1 ./*_fuzz.cpp | sed 's|^\./||; s|\.cpp$||')
cmake --build "$build" --target "${targets[@]}"
echo "Fuzz build: $((SECONDS - start)) s"

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# One target a core, two at a time.
fuzz_one() {  # fuzz_one TARGET: runs it, then says how it went
  local t=$1 seeds work artifacts log
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
    return 1
  fi
}
failed=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  fuzz_one "${targets[i]}" >"$build/.fuzz-a" &
  first=$!
  second=
  if ((i + 1 < ${#targets[@]})); then
    fuzz_one "${targets[i + 1]}" >"$build/.fuzz-b" &
    second=$!
  fi
  wait "$first" || failed=1
  cat "$build/.fuzz-a"
  if [[ -n $second ]]; then
    wait "$second" || failed=1
    cat "$build/.fuzz-b"
  fi
done
rm -f "$build/.fuzz-a" "$build/.fuzz-b"
echo "Fuzz stage: $((SECONDS - start)) s"
exit $failed
