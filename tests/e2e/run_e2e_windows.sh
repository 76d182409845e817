#!/usr/bin/env bash
# The Windows package end to end under Wine on a virtual X server: a fresh
# Wine prefix, the zip unpacked into it and nothing else on the DLL path;
# start-up with a stored location, "Let's Rock !!", write the server
# configuration by its access key, start the dedicated server (the stand-in
# as hlds.exe) and stop it, quit; then the files it wrote, the server's
# command line, Quorvane.ini and the opening window's menu without Close.
# Usage: tests/e2e/run_e2e_windows.sh ZIP STANDIN_EXE WORK_DIR   (under xvfb-run)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
zip=$(realpath "$1")
standin=$(realpath "$2")
work=$3
[[ -n ${DISPLAY:-} ]] || { echo "no X display: run under xvfb-run"; exit 1; }
command -v xdotool >/dev/null || { echo "xdotool is missing"; exit 1; }

rm -rf "$work"
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
work=$(cd "$work" && pwd)
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/runtime
unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM
pid=
cleanup() {
  [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

# No sound card: no audio driver, so the cues fail quietly as on a silent machine.
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1
wineserver -w
drive=$WINEPREFIX/drive_c
(cd "$drive" && cmake -E tar xf "$zip")
[[ -f $drive/quorvane/quorvane.exe ]] || { echo "no quorvane\\quorvane.exe in the zip"; exit 1; }
cp -r "$here/installation/." "$drive/hl/"
cp "$standin" "$drive/hl/hlds.exe"
printf '%s\r\n' 'C:\hl' >"$drive/quorvane/Quorvane.ini"

wait_for() {  # wait_for DESCRIPTION COMMAND...: retries for up to 60 s
  local what=$1
  shift
  for _ in $(seq 600); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "timed out waiting for $what"
  exit 1
}
# Wine runs each Windows process as a process of its own; the server is the
# one of this prefix whose command line names hlds.exe.
server_running() {
  local d
  for d in /proc/[0-9]*; do
    { tr '\0' '\n' <"$d/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    { tr '\0' ' ' <"$d/cmdline"; } 2>/dev/null | grep -qi 'hlds\.exe' && return 0
  done
  return 1
}
focus() {  # no window manager here: the input focus goes straight to the window
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep 0.3
}
# The program's windows by their exact title (xdotool's own search ignores case):
# "Quorvane" is the main window; the others have none, and Windows shows the
# program's file name, "quorvane", in its place.
window_titled() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$pid"); do
    [[ $(xdotool getwindowname "$w") == "$1" ]] && { echo "$w"; return 0; }
  done
  return 1
}
main_window() { window_titled Quorvane; }

(cd "$drive" && exec wine 'C:\quorvane\quorvane.exe') >"$work/program.log" 2>&1 &
pid=$!

untitled_window() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$pid"); do
    [[ -z $(xdotool getwindowname "$w") ]] && { echo "$w"; return 0; }
  done
  return 1
}
# The opening window's menu (Alt+Space) has no Close: "c", Close's access key,
# leaves the menu open, where with Close in it the menu would go and the
# window be asked to close. Another process cannot read the menu under Wine,
# and Wine tells the X server nothing of it.
wait_for "opening window" window_titled quorvane
# The start window has the same title; it comes only with the main window.
main_window >/dev/null && { echo "the opening window was gone before its menu was looked at"; exit 1; }
focus "$(window_titled quorvane)"
xdotool key alt+space
wait_for "the opening window's menu" untitled_window
xdotool key c
sleep 0.5
intro_menu=closed
untitled_window >/dev/null && intro_menu=open
xdotool key Escape

# The opening window lasts 4.5 s; then the main window and the start window.
wait_for "main window" main_window
wait_for "start window" window_titled quorvane
start=$(window_titled quorvane)

focus "$start"
xdotool key space   # RockOn has the focus

sleep 1
main=$(main_window)
focus "$main"
xdotool key ctrl+shift+Tab
sleep 0.3
xdotool key alt+w
wait_for "server.cfg written" test -f "$drive/hl/tfc/server.bak"
sleep 0.5
xdotool key Return
sleep 0.5
main=$(main_window)
focus "$main"
xdotool key ctrl+Tab
sleep 0.3

# Pick the first starting map, start the dedicated server, then stop it.
xdotool mousemove --window "$main" 134 69 click 1
sleep 0.5
xdotool key Escape
sleep 0.2
xdotool key Home
sleep 0.3
xdotool key alt+d
wait_for "the server's start" test -f "$drive/hl/standin-record.txt"
wait_for "the server's process" server_running
xdotool key alt+s
for _ in $(seq 100); do
  server_running || break
  sleep 0.1
done
server_left=no
server_running && server_left=yes
sleep 0.3
xdotool key alt+q

status=0
for _ in $(seq 300); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the program did not end after quitting"
  exit 1
fi
wait "$pid" || status=$?
pid=
[[ $status -eq 0 ]] || { echo "exit code $status"; cat "$work/program.log"; exit 1; }

fail=0
same() {  # same ACTUAL EXPECTED
  if ! cmp -s "$1" "$2"; then
    echo "differs: ${1#$drive/}"
    diff <(od -c "$2") <(od -c "$1") | head -20
    fail=1
  fi
}
same "$drive/hl/tfc/server.cfg" "$here/expected/server.cfg"
same "$drive/hl/tfc/listenserver.cfg" "$here/expected/listenserver.cfg"
same "$drive/hl/tfc/server.bak" "$here/installation/tfc/server.cfg"
printf '%s\r\n' 'C:\hl' | cmp -s - "$drive/quorvane/Quorvane.ini" || { echo "Quorvane.ini changed"; fail=1; }
printf '%s\n' -game tfc -port 27015 +map 2Fort >"$work/expected-args"
record=$drive/hl/standin-record.txt
sed -n '/^argc=/,$p' "$record" | tail -n +2 | cmp -s - "$work/expected-args" ||
  { echo "the server was started with other arguments:"; cat "$record"; fail=1; }
grep -qix 'cwd=C:\\hl' "$record" || { echo "the server ran in another directory:"; cat "$record"; fail=1; }
[[ $server_left == no ]] || { echo "the server still runs after Stop Server"; fail=1; }
[[ $intro_menu == open ]] || { echo "the opening window's menu has a Close entry"; fail=1; }
[[ $fail -eq 0 ]] && echo "e2e on Windows: passed"
exit $fail
