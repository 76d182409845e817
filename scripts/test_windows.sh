#!/usr/bin/env bash
# The Windows build (core, platform, tests, stand-in server) cross-built with
# mingw-w64 and its tests run under a private Wine prefix without a display.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
bash scripts/setup.sh g++-mingw-w64-x86-64 wine64 wine

build=${QUORVANE_WIN_BUILD_DIR:-build-win}
cmake --no-warn-unused-cli -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DQUORVANE_BUILD_GUI=OFF -DQUORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"
echo "Windows build: $((SECONDS - start)) s"

# Wine keeps everything it writes inside the build folder.
root=$(cd "$build" && pwd)/wine
mkdir -p "$root/home" "$root/runtime"
chmod 700 "$root/runtime"
export WINEPREFIX=$root/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME=$root/home XDG_CONFIG_HOME=$root/home/.config XDG_DATA_HOME=$root/home/.local/share
export XDG_CACHE_HOME=$root/home/.cache XDG_RUNTIME_DIR=$root/runtime
unset DISPLAY WAYLAND_DISPLAY
full=$root/full
cleanup() {
  wineserver -k 2>/dev/null || true
  if mountpoint -q "$full"; then umount "$full"; fi
}
trap cleanup EXIT
# No display and no sound card here: Wine's null display, and no audio driver.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1
wineserver -w
echo "Wine ready: $((SECONDS - start)) s"

# A file system too small for the full-disk test to fill.
mkdir -p "$full"
if mountpoint -q "$full" || mount -t tmpfs -o size=64k tmpfs "$full" 2>/dev/null; then
  export QUORVANE_WIN_FULL_DIR="$(winepath -w "$full" 2>/dev/null)"
else
  echo "No tmpfs could be mounted: the full-disk test will be skipped"
fi

failed=0
mapfile -t programs < <(find "$build/tests" -maxdepth 1 -name '*_tests.exe' | sort)
if ((${#programs[@]} == 0)); then
  echo "No Windows test programs were built" >&2
  exit 1
fi
for exe in "${programs[@]}"; do
  name=$(basename "$exe")
  log="$build/$name.log"
  if wine "$exe" --gtest_brief=1 >"$log" 2>&1; then
    status=ok
  else
    status=FAILED
    failed=1
  fi
  echo "--- $name: $status"
  grep -E '^\[(==========|  PASSED  |  FAILED  |  SKIPPED )\]' "$log" || true
  [[ $status == ok ]] || tail -n 60 "$log"
done
cleanup
trap - EXIT
echo "Windows stage: $((SECONDS - start)) s"
exit $failed
