#!/usr/bin/env bash
# Drives the built program on a real X server under a real window manager
# (openbox): start-up with a stored location, the start window closed from its
# title bar (which loads the workspace as "Let's Rock !!" does), a host name
# with a line break pasted in, the server configuration written by its access
# key, the dedicated server started (a stand-in takes its place), watched in
# the monitor window with one console command and a "Warn and stop" confirmed
# then cancelled, and stopped, the location changed by keyboard to a second
# installation whose files are then written back, a double click on Quit, then
# the files it wrote, the server's command line and the exit code compared.
# Last, --query of a hostile server prints no escape or carriage return, and
# its --json is strict JSON.
# Usage: tests/e2e/run_e2e.sh [build-dir]   (run under xvfb-run)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-${QUORVANE_BUILD_DIR:-build}}
program=$(cd "$build" && pwd)/src/quorvane
[[ -x $program ]] || { echo "no program at $program"; exit 1; }
for tool in xdotool openbox wmctrl xclip; do
  command -v "$tool" >/dev/null || { echo "$tool is missing"; exit 1; }
done

work=$(mktemp -d)
pid=
wm=
clip=
hostile=
cleanup() {
  for p in "$pid" "$clip" "$wm" "$hostile"; do
    [[ -n $p ]] && kill "$p" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

# The program finds its settings file beside itself, and its sound and network modules in lib/quorvane beside bin.
mkdir -p "$work/bin" "$work/hl" "$work/lib"
cp "$program" "$work/bin/quorvane"
cp -r "$(cd "$build" && pwd)/lib/quorvane" "$work/lib/"
cp -r "$here/installation/." "$work/hl/"
standin=$(cd "$build" && pwd)/tests/standin/quorvane_standin
[[ -x $standin ]] || { echo "no stand-in server at $standin"; exit 1; }
install -m 755 "$standin" "$work/hl/hlds.exe"
printf '%s\r\n' "$work/hl" >"$work/bin/Quorvane.ini"

# A second installation beside the first, for the change of location: its own
# host name, rate, map cycle and message, each unlike the first's.
second_installation() {
  mkdir -p "$work/hl2"
  cp -r "$here/installation/." "$work/hl2/"
  printf '%s\r\n' 'hostname "Second Fort"' 'sv_gravity "450"' >"$work/hl2/tfc/server.cfg"
  printf '%s\r\n' 'rate "7777"' >"$work/hl2/valve/autoexec.cfg"
  printf '%s\r\n' avanti 2fort >"$work/hl2/tfc/mapcycle.txt"
  printf '%s\r\n' 'Second server welcome' >"$work/hl2/tfc/motd.txt"
}
second_installation

wait_for() {  # wait_for DESCRIPTION COMMAND...: retries for up to 30 s
  local what=$1
  shift
  for _ in $(seq 300); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "timed out waiting for $what"
  exit 1
}

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
wait_for "the window manager" wmctrl -m

# The monitor keeps its window size in the user's configuration directory, and the player history
# (heard from the server's first answer) lies in the data directory: here, the run's own.
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" "$work/bin/quorvane" >"$work/program.log" 2>&1 &
pid=$!

# The opening window lasts 4.5 s; then the main window and the start window.
wait_for "main window" xdotool search --onlyvisible --name '^Quorvane$'
main=$(xdotool search --onlyvisible --name '^Quorvane$' | head -1)
start_window() {
  for w in $(xdotool search --onlyvisible --pid "$pid"); do
    # No caption of its own: the window system shows the program's name.
    [[ $w != "$main" && $(xdotool getwindowname "$w") != Quorvane ]] && { echo "$w"; return 0; }
  done
  return 1
}
wait_for "start window" start_window
start=$(start_window)
sleep 0.5
# A close request through the window manager, as the title bar's close button sends it.
wmctrl -i -c "$start"
start_gone() { ! xdotool search --onlyvisible --pid "$pid" | grep -qx "$start"; }
wait_for "the start window to go" start_gone

# The load fills the window; then the Server Config tab.
sleep 1
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key --window "$main" ctrl+shift+Tab
sleep 0.3
# hostname pasted over with a line break in it: the field makes it a blank,
# so server.cfg keeps its one hostname line.
printf 'Pasted\nName' | xclip -quiet -selection clipboard >/dev/null 2>&1 &
clip=$!
sleep 0.3
xdotool mousemove --window "$main" 426 374 click 1
sleep 0.2
xdotool key ctrl+a ctrl+v
sleep 0.3
kill "$clip" 2>/dev/null || true
wait "$clip" 2>/dev/null || true
clip=
xdotool key --window "$main" alt+w
# The confirmation box.
wait_for "server.cfg written" test -f "$work/hl/tfc/server.bak"
sleep 0.5
xdotool key Return
sleep 0.5
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key --window "$main" ctrl+Tab
sleep 0.3

# Pick the first starting map, start the dedicated server, then stop it.
xdotool mousemove --window "$main" 134 69 click 1
sleep 0.5
xdotool key Escape
sleep 0.2
xdotool key Home
sleep 0.3
xdotool key --window "$main" alt+d
wait_for "the server's start" test -f "$work/hl/standin-record.txt"
server=$(sed -n 's/^pid=//p' "$work/hl/standin-record.txt")
# The monitor (Alt+O) carries the status line in its title: wait for the map,
# then send status through its console and read the answer from its pane.
xdotool key --window "$main" alt+o
wait_for "the status line showing the map" xdotool search --onlyvisible --name '^Server Monitor - Server: 2Fort '
monitor=$(xdotool search --onlyvisible --name '^Server Monitor - ' | head -1)
xdotool windowactivate --sync "$monitor" 2>/dev/null || xdotool windowfocus --sync "$monitor"
sleep 0.3
# The key that opened the window may repeat into the command line: start it empty.
xdotool key --window "$monitor" ctrl+a BackSpace
xdotool type --window "$monitor" --delay 20 status
xdotool key --window "$monitor" Return
console_answer() {
  xdotool mousemove --window "$monitor" 300 260 click 1
  xdotool key --window "$monitor" ctrl+a ctrl+c
  xclip -o -selection clipboard 2>/dev/null | grep -q '^4 users$'
}
wait_for "the console's answer to status" console_answer
# Warn and stop: asked first, confirmed, the players warned and the time left
# shown in the status line; then cancelled, and the players told.
heard=$work/hl/standin-console.txt
xdotool key --window "$monitor" alt+w
wait_for "the warn-and-stop question" xdotool search --onlyvisible --name '^Warn and stop$'
sleep 0.3
xdotool key alt+y
wait_for "the first warning" grep -qx 'say "Server stopping in 60 seconds"' "$heard"
wait_for "the time left in the status line" xdotool search --onlyvisible --name '^Server Monitor - Server: .* stopping in [01]:[0-9][0-9]$'
xdotool windowactivate --sync "$monitor" 2>/dev/null || xdotool windowfocus --sync "$monitor"
xdotool key --window "$monitor" alt+c
wait_for "the players told of the cancel" grep -qx 'say "Server stop cancelled"' "$heard"
wait_for "the time left gone" bash -c "! xdotool search --onlyvisible --name 'stopping in' | grep -q ."
wmctrl -i -c "$monitor"
wait_for "the monitor closed" bash -c "! xdotool search --onlyvisible --name '^Server Monitor - ' | grep -q ."
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
sleep 0.3
xdotool key --window "$main" alt+s
for _ in $(seq 50); do
  [[ $(ps -o stat= -p "$server" 2>/dev/null) == Z* || -z $(ps -o pid= -p "$server" 2>/dev/null) ]] && break
  sleep 0.1
done
server_state=$(ps -o stat= -p "$server" 2>/dev/null || true)
sleep 0.3
# Change of location by keyboard: Alt+C opens the window on the first
# installation, Down moves to the second beside it, Alt+S saves; then each file
# of the second is written back from what was loaded.
message_up() { [[ $(xdotool search --onlyvisible --name '^Quorvane$' | wc -l) -ge 2 ]]; }
message_gone() { ! message_up; }
answer_message() {  # answer_message WHAT: waits for a message box over the main window and presses Return
  wait_for "$1" message_up
  sleep 0.3
  xdotool key Return
  wait_for "the message after $1 to close" message_gone
  xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
  sleep 0.3
}
change_location_by_keyboard() {
  # Alt+C is shared with "Clear MOTD" on the map tab: each press moves to the next of the two
  # buttons and Space presses it. A message cleared first is reloaded from the new location anyway.
  local try
  for try in 1 2; do
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    xdotool key --window "$main" alt+c
    sleep 0.3
    xdotool key --window "$main" space
    sleep 1
    xdotool search --onlyvisible --name '^Locate HLDS.exe File$' >/dev/null 2>&1 && break
  done
  wait_for "the location window" xdotool search --onlyvisible --name '^Locate HLDS.exe File$'
  local locate
  locate=$(xdotool search --onlyvisible --name '^Locate HLDS.exe File$' | head -1)
  xdotool windowactivate --sync "$locate" 2>/dev/null || xdotool windowfocus --sync "$locate"
  # The directory list reads its way to the first installation in the background.
  sleep 2
  xdotool key --window "$locate" Down
  sleep 0.3
  xdotool key --window "$locate" alt+s
  answer_message "the location saved"
  touch "$work/moved"
  xdotool key --window "$main" ctrl+shift+Tab
  sleep 0.3
  xdotool key --window "$main" alt+w
  answer_message "server.cfg written"
  xdotool key --window "$main" ctrl+shift+Tab
  sleep 0.3
  xdotool key --window "$main" alt+w
  answer_message "autoexec.cfg written"
  # The map cycle's write shares Alt+W with the web link on the map tab: its file is not written here.
  xdotool key --window "$main" ctrl+Tab ctrl+Tab
  sleep 0.3
  xdotool key --window "$main" alt+m
  answer_message "motd.txt written"
}
change_location_by_keyboard

# Quit by a double click: the second click comes while the window shrinks.
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool mousemove --window "$main" 118 510 click --repeat 2 --delay 30 1

status=0
for _ in $(seq 200); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the program did not end after quitting"
  exit 1
fi
wait "$pid" || status=$?
pid=
kill "$wm" 2>/dev/null || true
wait "$wm" 2>/dev/null || true
wm=
[[ $status -eq 0 ]] || { echo "exit code $status"; cat "$work/program.log"; exit 1; }

fail=0
[[ -f $work/config/quorvane/monitor.ini ]] || { echo "the monitor kept no settings"; fail=1; }
same() {  # same ACTUAL EXPECTED
  if ! cmp -s "$1" "$2"; then
    echo "differs: ${1#$work/}"
    diff <(od -c "$2") <(od -c "$1") | head -20
    fail=1
  fi
}
# The expected files with the pasted host name.
for cfg in server listenserver; do
  expected=$work/expected-$cfg.cfg
  sed 's/^hostname\t\t"E2E Fortress"\r$/hostname\t\t"Pasted Name"\r/' "$here/expected/$cfg.cfg" >"$expected"
  cmp -s "$expected" "$here/expected/$cfg.cfg" && { echo "no hostname line in expected/$cfg.cfg"; fail=1; }
  same "$work/hl/tfc/$cfg.cfg" "$expected"
done
same "$work/hl/tfc/server.bak" "$here/installation/tfc/server.cfg"
printf '%s\n' -game tfc -port 27015 +map 2Fort >"$work/expected-args"
sed -n '/^argc=/,$p' "$work/hl/standin-record.txt" | tail -n +2 | cmp -s - "$work/expected-args" ||
  { echo "the server was started with other arguments:"; cat "$work/hl/standin-record.txt"; fail=1; }
grep -qx "cwd=$work/hl" "$work/hl/standin-record.txt" || { echo "the server ran in another directory"; fail=1; }
# What the players heard: the first warning, then the cancel, and nothing between.
grep '^say ' "$heard" | cmp -s - <(printf '%s\n' 'say "Server stopping in 60 seconds"' 'say "Server stop cancelled"') ||
  { echo "the players heard other words:"; grep '^say ' "$heard"; fail=1; }
[[ -z $server_state || $server_state == Z* ]] || { echo "the server still runs after Stop Server"; kill "$server"; fail=1; }
# The console password lives only where the user put it (the written configuration and its
# backups) and in this run's expected files.
leaks=$(grep -rlF letmein "$work" --exclude={server,listenserver}.{cfg,bak} --exclude="expected-*" || true)
[[ -z $leaks ]] || { echo "the console password was written to: $leaks"; fail=1; }
second_installation_loaded() {
  printf '%s\r\n' "$work/hl2" | cmp -s - "$work/bin/Quorvane.ini" || { echo "the second location was not stored"; fail=1; }
  local file
  for file in tfc/server.cfg valve/autoexec.cfg tfc/motd.txt; do
    [[ $work/hl2/$file -nt $work/moved ]] || { echo "not written after the change of location: hl2/$file"; fail=1; }
  done
  grep -qP '^hostname\t+"Second Fort"\r$' "$work/hl2/tfc/server.cfg" || { echo "hl2 server.cfg lost its host name"; fail=1; }
  grep -qP '^sv_gravity\t+"450"\r$' "$work/hl2/tfc/server.cfg" || { echo "hl2 server.cfg lost its gravity"; fail=1; }
  grep -qP '^rate\t+"7777"\r$' "$work/hl2/valve/autoexec.cfg" || { echo "hl2 autoexec.cfg lost its rate"; fail=1; }
  grep -q 'Second server welcome' "$work/hl2/tfc/motd.txt" || { echo "hl2 motd.txt not the loaded message"; fail=1; }
}
second_installation_loaded


# A hostile server: escape sequences, markup and line breaks in its names, durations no
# connection has, split parts with bad counts. The terminal gets none of its control bytes.
mkdir -p "$work/hostile"
port=$(python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
(cd "$work/hostile" && exec env QUORVANE_STANDIN_HOSTILE=1 "$standin" -game tfc -port "$port" +map 2fort) \
  >"$work/hostile/server.log" 2>&1 &
hostile=$!
hostile_query() {  # hostile_query FILE [--json]: retried while the stand-in opens its socket
  for _ in 1 2 3; do
    "$work/bin/quorvane" --query "127.0.0.1:$port" "${@:2}" >"$1" 2>"$1.err" && return 0
  done
  echo "--query ${*:2} of the hostile server failed:"
  cat "$1.err"
  return 1
}
if hostile_query "$work/hostile/query.txt"; then
  if LC_ALL=C grep -q $'[\x1b\r]' "$work/hostile/query.txt"; then
    echo "--query printed an escape or a carriage return from the hostile server:"
    od -c "$work/hostile/query.txt" | head -20
    fail=1
  fi
  grep -q '^name:      \\x1b\[2J' "$work/hostile/query.txt" ||
    { echo "--query did not print the hostile name:"; cat "$work/hostile/query.txt"; fail=1; }
else
  fail=1
fi
if hostile_query "$work/hostile/query.json" --json; then
  # Python's reader takes NaN and Infinity unless told they are not JSON.
  python3 -c 'import json, sys; json.load(sys.stdin, parse_constant=lambda c: sys.exit(c + " is not JSON"))' \
    <"$work/hostile/query.json" ||
    { echo "--query --json of the hostile server is not strict JSON:"; cat "$work/hostile/query.json"; fail=1; }
else
  fail=1
fi
kill "$hostile" 2>/dev/null || true
wait "$hostile" 2>/dev/null || true
hostile=

[[ $fail -eq 0 ]] && echo "e2e: passed"
exit $fail
