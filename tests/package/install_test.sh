#!/usr/bin/env bash
# The packaged program in a throw-away root, started as a user the test
# creates (CI runs as root, for whom every folder is writable): first the
# terminal options without a display, then a first run that saves a location
# into ~/.config/quorvane/, then a second run straight to the main window.
# Nothing may be written beside the program.
# Usage: tests/package/install_test.sh PACKAGE.deb   (as root, under xvfb-run -s -ac)
set -euo pipefail
deb=$(realpath "${1:?usage: install_test.sh PACKAGE.deb}")
[[ $(id -u) == 0 ]] || { echo "the install test creates a user: run it as root"; exit 1; }
: "${DISPLAY:?run under xvfb-run}"

work=$(mktemp -d)
chmod 755 "$work"
user=quorvane-it$$
pid=
cleanup() {
  # The user goes only once nothing of theirs runs any more.
  if [[ -n $pid ]]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  userdel "$user" 2>/dev/null || echo "could not remove the test user $user"
  rm -rf "$work"
}
trap cleanup EXIT

root=$work/root
mkdir "$root"
dpkg-deb -x "$deb" "$root"
chown -R root:root "$root"
program=$root/usr/bin/quorvane
home=$work/home
useradd --no-create-home --home-dir "$home" --shell /bin/sh "$user"
mkdir -p "$home" "$work/runtime"
chown "$user:" "$home" "$work/runtime"
chmod 700 "$work/runtime"
before=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)

as_user() {  # execs, so a background run's $! is the program's own id: call it in a subshell
  exec setpriv --reuid="$user" --regid="$user" --init-groups \
    env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR="$work/runtime" "$@"
}
fail() {
  echo "install test: $*"
  [[ -f $work/program.log ]] && sed 's/^/  program: /' "$work/program.log"
  exit 1
}
wait_for() {  # wait_for DESCRIPTION COMMAND...: retries for up to 30 s
  local what=$1
  shift
  for _ in $(seq 300); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  fail "timed out waiting for $what"
}
window_of() {  # window_of NAME-PATTERN: the program's visible window with that name
  xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -1
}
press() {  # press WINDOW KEY
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool key "$2"
}

# Terminal answers: no display, no window system, nothing written.
version=$(as_user "$program" --version) || fail "--version failed"
[[ $version == "quorvane $(dpkg-deb -f "$deb" Version | sed 's/-[^-]*$//')" ]] || fail "--version printed '$version'"
# Read whole first: grep -q leaving early would end a long help with SIGPIPE.
help=$(as_user "$program" --help) || fail "--help failed"
grep -q -- '--version' <<<"$help" || fail "--help does not list --version"
status=0
(as_user "$program" --no-such-option 2>"$work/error.txt" >/dev/null) || status=$?
[[ $status == 2 ]] || fail "an unknown option exited with $status, not 2"
grep -q "Unknown option 'no-such-option'" "$work/error.txt" || fail "no plain error for an unknown option"
echo "terminal options: ok ($version)"

# First run: no settings anywhere, no server in the places tried, so LocateFile.
[[ ! -e $home/.config ]] || fail "the new user already has a ~/.config"
cd "$home"
as_user DISPLAY="$DISPLAY" "$program" >"$work/program.log" 2>&1 &
pid=$!
wait_for "the first-run window" window_of '^Locate HLDS.EXE File$'
locate=$(window_of '^Locate HLDS.EXE File$')
wait_for "the not-found message" window_of '^Quorvane$'
sleep 1  # mapped is not yet ready for keys
press "$(window_of '^Quorvane$')" Return
no_message() { [[ -z $(window_of '^Quorvane$') ]]; }
wait_for "the message to close" no_message
press "$locate" alt+s
ini=$home/.config/quorvane/Quorvane.ini
wait_for "the saved location" test -s "$ini"
saved=$(cat "$ini")
[[ $saved == *$'\r' ]] || fail "Quorvane.ini holds '$saved', not one CR LF line"
[[ $(stat -c '%U %a' "$home/.config/quorvane") == "$user 700" ]] || fail "~/.config/quorvane is not the user's own"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "first run: LocateFile, location '${saved%$'\r'}' saved in ~/.config/quorvane/Quorvane.ini"

# Second run: straight to the main window.
as_user DISPLAY="$DISPLAY" "$program" >"$work/program.log" 2>&1 &
pid=$!
wait_for "the main window" window_of '^Quorvane$'
main=$(window_of '^Quorvane$')
read -r width height < <(xdotool getwindowgeometry --shell "$main" |
  sed -n 's/^WIDTH=//p; s/^HEIGHT=//p' | paste -sd' ')
((width > 400 && height > 300)) || fail "the window named Quorvane is ${width}x$height, not the main window"
[[ -z $(window_of '^Locate HLDS') ]] || fail "the first-run window came back"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "second run: straight to the main window"

after=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)
if [[ $before != "$after" ]]; then
  diff <(echo "$before") <(echo "$after") || true
  fail "something was written beside the program"
fi
echo "nothing written in the installed tree"
