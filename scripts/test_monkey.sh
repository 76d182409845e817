#!/usr/bin/env bash
# Random user actions against the AddressSanitizer build of the real program,
# on a fresh copy of the sample installation, under a virtual X server with a
# real window manager, run as an unprivileged user this stage creates.
# The server it monitors is a hostile stand-in; the SteamCMD it finds floods its
# output, fails, hangs until cancelled, or dies mid-run, in turn.
# Fails on a crash, a hang, a sanitizer report, a process left behind (SteamCMD
# included), a file changed outside the installation and the user's home, a
# configuration file that is neither unchanged nor what the writer makes of it,
# or a written file or backup copy more open than the user's original.
#
#   QUORVANE_MONKEY_SEED=N      replay one seed (as printed by a failing run)
#   QUORVANE_MONKEY_SEEDS="..." the seeds to run (default "1 2")
#   QUORVANE_MONKEY_SECONDS=S   seconds of actions per seed (default 45)
#   QUORVANE_MONKEY_KEEP=1      keep the run's directory (logs, installations)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
start=$SECONDS
source scripts/packages.sh
bash scripts/setup.sh "${MONKEY_PACKAGES[@]}"

seeds=${QUORVANE_MONKEY_SEED:-${QUORVANE_MONKEY_SEEDS:-1 2}}
seconds=${QUORVANE_MONKEY_SECONDS:-45}
# A user of this run alone: two runs at once must not end or count each other's processes.
user=qv-monkey-$$

# The sanitizer stage's build (the asan preset), configured when it does not exist yet.
build=${QUORVANE_ASAN_BUILD_DIR:-build-asan}
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake --preset asan -B "$build" >/dev/null
fi
cmake --build "$build" -j2 --target quorvane quorvane_standin quorvane_steamcmd_standin quorvane_control_map \
  quorvane_reproduce
build=$(cd "$build" && pwd)
echo "Monkey build: $((SECONDS - start)) s"

# The file check must tell the writer's output from anything else.
reproduce=$build/tests/tools/quorvane_reproduce
"$reproduce" server tests/e2e/expected/server.cfg >/dev/null &&
  "$reproduce" listenserver tests/e2e/expected/listenserver.cfg >/dev/null ||
  { echo "the file check rejects what the writer wrote"; exit 1; }
if "$reproduce" server tests/e2e/installation/tfc/server.cfg >/dev/null; then
  echo "the file check accepts a hand-written server.cfg"
  exit 1
fi

work=$(mktemp -d /tmp/quorvane-monkey.XXXXXX)
chmod 755 "$work"
xvfb_pid= wm_pid= made_user=
cleanup() {
  [[ -n $wm_pid ]] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  if [[ -n $made_user ]]; then
    for pid in $(ps -u "$user" -o pid= 2>/dev/null); do kill -9 "$pid" 2>/dev/null || true; done
    userdel "$user" 2>/dev/null || true
  fi
  if [[ -n ${QUORVANE_MONKEY_KEEP:-} ]]; then echo "kept: $work"; else rm -rf "$work"; fi
  return 0
}
trap cleanup EXIT

# CI runs as root, who could write anywhere; the user cannot.
if ! id "$user" >/dev/null 2>&1; then
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
  made_user=1
fi
uid=$(id -u "$user")
gid=$(id -g "$user")
user_env() {  # user_env HOME: the command prefix that runs as the user in a clean environment
  env_cmd=(setpriv --reuid="$uid" --regid="$gid" --init-groups --reset-env
    env HOME="$1" XDG_RUNTIME_DIR="$1/.runtime" PATH="$1/stand-ins:/usr/local/bin:/usr/bin:/bin"
    LANG=C.UTF-8 DISPLAY="${DISPLAY:-}")
}

# Short real wave files where the program looks for them: c:\windows\media
# through the Wine drive mapping of the user's home.
make_home() {  # make_home DIR INSTALLATION
  local home=$1 inst=$2
  mkdir -p "$home/bin" "$home/stand-ins" "$home/.runtime" "$home/.wine/drive_c/windows/media" "$home/.wine/dosdevices"
  chmod 700 "$home/.runtime"
  ln -s ../drive_c "$home/.wine/dosdevices/c:"
  /usr/bin/python3 - "$home/.wine/drive_c/windows/media" <<'PY'
import math, struct, sys, wave
for name in ["asscan2", "sgun1", "saveme2", "vox_login", "uhoh", "Military_command", "launch"]:
    with wave.open("%s/%s.wav" % (sys.argv[1], name), "wb") as w:
        w.setnchannels(1); w.setsampwidth(2); w.setframerate(22050)
        w.writeframes(b"".join(struct.pack("<h", int(8000 * math.sin(i * 0.06))) for i in range(22050 // 5)))
PY
  # The browser and the mail program: write down what they were asked to open.
  cat >"$home/stand-ins/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$work/logs/links.txt"
EOF
  chmod 755 "$home/stand-ins/xdg-open"
  cp "$build/src/quorvane" "$build/tests/tools/quorvane_control_map" "$build/tests/standin/quorvane_standin" "$home/bin/"
  # Found on the PATH as the user's SteamCMD.
  cp "$build/tests/standin/quorvane_steamcmd_standin" "$home/stand-ins/steamcmd"
  # The program's sound and network modules, in lib/quorvane beside its bin directory.
  mkdir -p "$home/lib"
  cp -r "$build/lib/quorvane" "$home/lib/"
  printf '%s\r\n' "$inst" >"$home/bin/Quorvane.ini"
  chown -R "$uid:$gid" "$home"
}

mkdir -p "$work/logs" "$work/wm"
chown "$uid:$gid" "$work/logs" "$work/wm"
touch "$work/marker"
sleep 1  # so that anything changed from here on is newer than the marker

# A virtual screen at a fixed resolution, so the windows have their designed sizes.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -dpi 96 -nolisten tcp >"$work/logs/xvfb.log" 2>&1 &
xvfb_pid=$!
display=
# Its start can take seconds right after a heavy stage (it compiles its keymap first); wait up to a minute
# while it runs, and stop waiting at once if it has ended.
for _ in $(seq 600); do
  read -r -t 0.1 -u "$fd" display && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
done
[[ -n $display ]] || { echo "the X server did not start"; cat "$work/logs/xvfb.log"; exit 1; }
export DISPLAY=:$display
mkdir -p "$work/wm/.runtime"
chown -R "$uid:$gid" "$work/wm"
user_env "$work/wm"
"${env_cmd[@]}" openbox >"$work/logs/openbox.log" 2>&1 &
wm_pid=$!
wm_ready() { [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *"window id"* ]]; }
for _ in $(seq 100); do
  wm_ready && break
  sleep 0.1
done
wm_ready || { echo "openbox did not start"; cat "$work/logs/openbox.log"; exit 1; }

export LSAN_OPTIONS="suppressions=$repo/scripts/lsan.supp:print_suppressions=0"
# Without strict_string_checks: the X keyboard library hands strndup an
# unterminated buffer (a harmless read the sanitizer stage, offscreen, never meets).
# handle_abort: a hung program is aborted, and the report shows where it hung.
asan="abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:handle_abort=1"
check_file() {  # check_file KIND FILE
  local kind=$1 file=$2 rel=${2#"$inst"/}
  if [[ ! -e $file ]]; then
    [[ -e $run/before/$rel ]] && { echo "FAULT with seed $seed: $rel is gone"; seed_fail=1; }
    return 0
  fi
  if cmp -s "$file" "$run/before/$rel"; then return 0; fi
  if ! "$reproduce" "$kind" "$file" >"$run/reproduce.txt" 2>&1; then
    echo "FAULT with seed $seed: $rel changed, and not as the writer writes it:"
    cat "$run/reproduce.txt"
    seed_fail=1
  fi
}

fail=0
hit_files=()
for seed in $seeds; do
  echo "=== monkey seed $seed, $seconds s"
  run=$work/seed-$seed
  home=$run/home
  inst=$run/hl
  mkdir -p "$run"
  chmod 755 "$run"
  bash scripts/make_sample_install.sh "$inst" "$build/tests/standin/quorvane_standin"
  # A port of this run alone for the hostile server; server.cfg private, as a careful user keeps it.
  port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  printf 'port "%s"\n' "$port" >>"$inst/tfc/server.cfg"
  chmod 600 "$inst/tfc/server.cfg"
  cp -a "$inst" "$run/before"
  make_home "$home" "$inst"
  chown -R "$uid:$gid" "$inst"
  touch "$run/marker"
  # The layout of every window as the program shows it, for the hit count.
  user_env "$home"
  "${env_cmd[@]}" QT_QPA_PLATFORM=offscreen "$home/bin/quorvane_control_map" >"$run/controls.txt" 2>/dev/null

  sanitizer_log=$work/logs/sanitizer-$seed
  launch=$(/usr/bin/python3 -c 'import json, sys; print(json.dumps(sys.argv[1:]))' \
    "${env_cmd[@]}" QT_QPA_PLATFORM=xcb LSAN_OPTIONS="$LSAN_OPTIONS" \
    ASAN_OPTIONS="$asan:log_path=$sanitizer_log" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$sanitizer_log" \
    QUORVANE_STANDIN_HOSTILE=1 QUORVANE_STEAMCMD_MODES="deluge hang fail die ok short" \
    "$home/bin/quorvane")
  # The server the monitor talks to, reading the console password from the installation.
  hostile_server=$(/usr/bin/python3 -c 'import json, sys; print(json.dumps(sys.argv[1:]))' \
    "${env_cmd[@]}" QUORVANE_STANDIN_HOSTILE=1 QUORVANE_STANDIN_RECORD="$home/hostile-record.txt" \
    "$home/bin/quorvane_standin" -game tfc -port "$port" +map 2fort)
  seed_fail=0
  /usr/bin/python3 tests/monkey/monkey.py --seed "$seed" --seconds "$seconds" --launch "$launch" \
    --controls "$run/controls.txt" --sanitizer-log "$sanitizer_log" --client "$inst/hl.exe" \
    --program-log "$work/logs/program-$seed.log" --hits "$run/hits.json" \
    --hostile-server "$hostile_server" --server-dir "$inst" --steamcmd "$home/stand-ins/steamcmd" || seed_fail=1
  hit_files+=("$run/hits.json")
  for report in "$sanitizer_log".*; do
    [[ -s $report ]] || continue
    echo "--- sanitizer report $(basename "$report") (top frames):"
    grep -E '^==[0-9]+==ERROR|^SUMMARY|runtime error|^ *#[0-9]+ ' "$report" | head -24 || true
  done
  if ((seed_fail)); then
    echo "--- the program's output (last lines):"
    tail -20 "$work/logs/program-$seed.log"
  fi

  # The servers are meant to outlive the program; anything else of the run is not.
  for pid in $(ps -u "$user" -o pid=); do
    exe=$(readlink "/proc/$pid/exe" 2>/dev/null || true)
    if [[ $exe == "$inst/hlds.exe" ]]; then kill -9 "$pid" 2>/dev/null || true; fi
  done
  sleep 0.3
  left=$(ps -u "$user" -o pid=,stat=,args= | awk -v wm="$wm_pid" '$1 != wm && $2 !~ /^Z/' || true)
  if [[ -n $left ]]; then
    echo "FAULT with seed $seed: processes of the run left behind:"
    echo "$left"
    for pid in $(awk '{print $1}' <<<"$left"); do kill -9 "$pid" 2>/dev/null || true; done
    seed_fail=1
  fi

  # Each configuration file: unchanged, or the writer's own output; its .bak
  # an earlier version of it.
  for pair in server:tfc/server listenserver:tfc/listenserver autoexec:valve/autoexec; do
    kind=${pair%%:*}
    base=$inst/${pair#*:}
    check_file "$kind" "$base.cfg"
    # The .bak holds a version of the .cfg: the one before the run, or one the writer wrote.
    if [[ -e $base.bak ]] && ! cmp -s "$base.bak" "$run/before/${pair#*:}.cfg"; then
      check_file "$kind" "$base.bak"
    fi
  done
  check_file mapcycle "$inst/tfc/mapcycle.txt"
  check_file motd "$inst/tfc/motd.txt"
  # Never more open than the user's file: what was written over it, its .bak, its backup copies.
  for rel in tfc/server.cfg tfc/listenserver.cfg tfc/mapcycle.txt tfc/motd.txt valve/autoexec.cfg; do
    [[ -e $run/before/$rel ]] || continue
    original=$(stat -c %a "$run/before/$rel")
    for copy in "$inst/$rel" "$inst/${rel%.cfg}.bak" "$inst"/quorvane-backup/*/"$rel"; do
      [[ -e $copy && $copy != "$inst/$rel.bak" ]] || continue
      mode=$(stat -c %a "$copy")
      if ((8#$mode & ~8#$original & 8#077)); then
        echo "FAULT with seed $seed: ${copy#"$inst"/} has mode $mode, more open than $rel's $original"
        seed_fail=1
      fi
    done
  done
  runs=$(cat "$inst/steamcmd-standin-runs" 2>/dev/null || echo 0)
  echo "seed $seed: SteamCMD runs: $runs, backup folders: $(find "$inst/quorvane-backup" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | wc -l)"
  new_files=$(cd "$inst" && find . -type f -newer "$run/marker" | sort | tr '\n' ' ')
  echo "seed $seed: files written in the installation: ${new_files:-none}"
  if [[ -s $work/logs/links.txt ]]; then
    echo "seed $seed: links opened: $(sort -u "$work/logs/links.txt" | tr '\n' ' ')"
  fi
  rm -f "$work/logs/links.txt"
  if ((seed_fail)); then fail=1; fi
done

kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null || true
wm_pid=
kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=
sleep 0.3
left=$(ps -u "$user" -o pid=,stat=,args= | awk '$2 !~ /^Z/' || true)
[[ -z $left ]] || { echo "FAULT: processes of the run left behind:"; echo "$left"; fail=1; }

# Outside the run's own directory the user may have created files (owned by
# it) or changed the few files anyone may write.
outside=$(find / /dev/shm /run \( -path /proc -o -path /sys -o -path "$work" \) -prune -o \
  \( -user "$uid" -o \( -type f -perm -0002 -newer "$work/marker" \) \) -print 2>/dev/null | sort -u | head -20 || true)
if [[ -n $outside ]]; then
  echo "FAULT: files changed outside the installation and the user's home:"
  echo "$outside"
  fail=1
fi

# Every control of every window with the number of hits, never-hit ones included.
/usr/bin/python3 - "$work/seed-${seeds%% *}/controls.txt" "${hit_files[@]}" <<'PY'
import collections, json, sys, textwrap
hits, actions = collections.Counter(), collections.Counter()
by_window = collections.defaultdict(set)
for line in open(sys.argv[1]):
    window, _, name = line.split()[:3]
    if name != "-" and not name.startswith("qt_"):
        by_window[window].add(name)
for path in sys.argv[2:]:
    try:
        data = json.load(open(path))
    except OSError:
        continue
    hits.update(data["hits"])
    actions.update(data["actions"])
for name in hits:
    window, _, control = name.partition(".")
    by_window[window].add(control or window)
print("Actions: " + ", ".join("%s %d" % kv for kv in sorted(actions.items())))
print("Hits per control:")
for window in sorted(by_window):
    counts = sorted(((c, hits["%s.%s" % (window, c)] + (hits[window] if c == window else 0))
                     for c in by_window[window]), key=lambda kv: (-kv[1], kv[0]))
    text = " ".join("%s=%d" % kv for kv in counts)
    print(textwrap.fill(text, 110, initial_indent="  %s: " % window, subsequent_indent="      "))
PY

echo "Monkey stage: $((SECONDS - start)) s"
if ((fail)); then
  echo "monkey: FAILED"
  exit 1
fi
echo "monkey: passed"
