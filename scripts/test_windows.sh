#!/usr/bin/env bash
# The whole program for Windows: cross-built with mingw-w64 against the Qt
# cross-built for it, the platform, store and window tests (the core layers'
# are the same standard C++ as on Linux) run under a private Wine prefix
# without a display (the windows offscreen), then the Windows zip made and run
# end to end from a fresh Wine prefix on a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
bash scripts/setup.sh g++-mingw-w64-x86-64 wine64 wine qt6-base-dev-tools xvfb xauth xdotool x11-utils

build=${QUORVANE_WIN_BUILD_DIR:-build-win}
archive=$(bash scripts/qt_mingw_archive.sh)
# Unpacked once per build folder, and again only when the archive changes.
mkdir -p "$build"
qt=$(cd "$build" && pwd)/qt6-mingw
stamp=$(sha256sum <"$archive" | cut -d' ' -f1)
if [[ ! -f $qt/.archive || $(cat "$qt/.archive") != "$stamp" ]]; then
  rm -rf "$qt"
  tar -xJf "$archive" -C "$build"
  # Two DLLs of the 6.4.2 archive lack 21 bytes before each "/src/qtbase-6.4.2/"
  # source file name (a path rewrite meant for its text files ran over them),
  # which leaves them unloadable. 21 bytes of path put back there restore their
  # layout; only the text of those file names differs. A sound archive is left as it is.
  for dll in "$qt"/bin/*.dll; do
    x86_64-w64-mingw32-objdump -p "$dll" >/dev/null 2>&1 && continue
    perl -0777 -pi -e 's{(?=/src/qtbase-6\.4\.2/)}{/build/qtbase-sources}g' "$dll"
    x86_64-w64-mingw32-objdump -p "$dll" >/dev/null 2>&1 || { echo "$dll from $archive is damaged" >&2; exit 1; }
    echo "Repaired $(basename "$dll") from $archive"
  done
  echo "$stamp" >"$qt/.archive"
fi
# SQLite for Windows (with FTS5), built once from Debian's source package and cached like Qt.
sqlite=$(cd "$build" && pwd)/sqlite-mingw
rm -rf "$sqlite"
cp -r "$(bash scripts/sqlite_mingw.sh)" "$sqlite"
# The preset looks for Qt and SQLite in build-win; another build folder brings its own.
cmake --preset windows-cross -B "$build" -DCMAKE_PREFIX_PATH="$qt" -DSQLite3_INCLUDE_DIR="$sqlite/include" \
  -DSQLite3_LIBRARY="$sqlite/lib/libsqlite3.a" >/dev/null
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

# The test programs find Qt's and the compiler's DLLs on Wine's path, and the
# Qt plugins where QT_PLUGIN_PATH says; the windows draw offscreen.
dll_dirs=("$qt/bin" "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
          "$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")")")
WINEPATH=
for d in "${dll_dirs[@]}"; do WINEPATH+="${WINEPATH:+;}$(winepath -w "$d")"; done
export WINEPATH QT_PLUGIN_PATH="$(winepath -w "$qt/plugins")" QT_QPA_PLATFORM=offscreen

failed=0
# The programs this configuration builds, as CTest knows them: a left-over of an earlier one is not run.
mapfile -t programs < <(ctest --test-dir "$build" -N | sed -n 's|^ *Test *#[0-9]*: \(.*\)$|'"$build"'/tests/\1.exe|p' | grep '_tests\.exe$' | sort)
if ((${#programs[@]} == 0)); then
  echo "No Windows test programs were built" >&2
  exit 1
fi
# Each program in two shards at once, one a core: the Linux suite runs its cases side by side too.
run_in_shards() {  # run_in_shards EXE LOG
  local pids=() i result=0
  for i in 0 1; do
    GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=$i wine "$1" --gtest_brief=1 >"$2.$i" 2>&1 &
    pids+=($!)
  done
  for i in "${pids[@]}"; do wait "$i" || result=1; done
  cat "$2.0" "$2.1" >"$2"
  rm -f "$2.0" "$2.1"
  return $result
}
for exe in "${programs[@]}"; do
  name=$(basename "$exe")
  log="$build/$name.log"
  if run_in_shards "$exe" "$log"; then
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
unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM
echo "Windows tests: $((SECONDS - start)) s"

zip=$(bash scripts/package_windows.sh "$build")
echo "Windows zip: $zip ($(stat -c %s "$zip") bytes)"
if xvfb-run -a -s "-screen 0 1024x768x24" \
    bash tests/e2e/run_e2e_windows.sh "$zip" "$build/tests/standin/quorvane_standin.exe" "$root/e2e"; then
  echo "--- end to end from the zip: ok"
else
  echo "--- end to end from the zip: FAILED"
  failed=1
fi
echo "Windows stage: $((SECONDS - start)) s"
exit $failed
