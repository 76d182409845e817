#!/usr/bin/env bash
# Takes docs/monitor.png: the monitor window on the sample installation, its
# stand-in server started from the map tab and `status` run in its console.
# Usage: xvfb-run -a -s '-screen 0 1280x1024x24' bash scripts/screenshot_monitor.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${QUORVANE_BUILD_DIR:-build}}
work=$(mktemp -d)
pid=
wm=
cleanup() {
  [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
  [[ -n $wm ]] && kill "$wm" 2>/dev/null || true
  [[ -f $work/sample/standin-record.txt ]] && kill "$(sed -n 's/^pid=//p' "$work/sample/standin-record.txt")" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
wait_for() {
  for _ in $(seq 300); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "timed out: $*"
  exit 1
}
mkdir -p "$work/bin" "$work/lib"
cp "$build/src/quorvane" "$work/bin/"
cp -r "$build/lib/quorvane" "$work/lib/"
bash scripts/make_sample_install.sh "$work/sample" "$build/tests/standin/quorvane_standin" >/dev/null
printf '%s\r\n' "$work/sample" >"$work/bin/Quorvane.ini"
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
wait_for wmctrl -m
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" "$work/bin/quorvane" >/dev/null 2>&1 &
pid=$!
wait_for xdotool search --onlyvisible --name '^Quorvane$'
main=$(xdotool search --onlyvisible --name '^Quorvane$' | head -1)
start_window() {
  for w in $(xdotool search --onlyvisible --pid "$pid"); do
    [[ $w != "$main" && $(xdotool getwindowname "$w") != Quorvane ]] && { echo "$w"; return 0; }
  done
  return 1
}
wait_for start_window
sleep 0.5
wmctrl -i -c "$(start_window)"
sleep 1.5
xdotool windowactivate --sync "$main" 2>/dev/null || true
# The first starting map, then the dedicated server.
xdotool mousemove --window "$main" 134 69 click 1
sleep 0.5
xdotool key Escape
sleep 0.2
xdotool key Home
sleep 0.3
xdotool key --window "$main" alt+d
wait_for test -f "$work/sample/standin-record.txt"
xdotool key --window "$main" alt+o
wait_for xdotool search --onlyvisible --name '^Server Monitor - Server: [^n]'
monitor=$(xdotool search --onlyvisible --name '^Server Monitor - ' | head -1)
xdotool windowactivate --sync "$monitor" 2>/dev/null || true
sleep 0.5
xdotool key --window "$monitor" ctrl+a BackSpace
xdotool type --window "$monitor" --delay 20 status
xdotool key --window "$monitor" Return
sleep 6
import -window "$monitor" -frame docs/monitor.png
echo "docs/monitor.png"
