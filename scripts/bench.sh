#!/usr/bin/env bash
# Builds a release and prints the program's figures as one table: reader
# throughput and memory, writer time, the map listing as it grows, the
# workspace load, start-up against a bare Qt window, and the soak.
# QUORVANE_SOAK_CYCLES overrides the soak's 10 000 cycles.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/setup.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build=${QUORVANE_BENCH_BUILD_DIR:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=(config_bench maps_bench soak_bench read_rss_bench workspace_bench store_bench main_form_bench quorvane bare_window
         quorvane_first_window monitor_load quorvane_standin)
cmake --build "$build" --target "${targets[@]}" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rows=()
row() { rows+=("$(printf '| %s | %s | %s |' "$1" "$2" "$3")"); }

# Google Benchmark's CSV: name,iterations,real_time,cpu_time,time_unit,bytes_per_second,...
bench_csv() { "$@" --benchmark_format=csv 2>/dev/null | grep '^"'; }

while IFS=, read -r name _ real _ unit bps _; do
  name=${name//\"/}
  case $name in
    BM_ApplyCfgText) row "Reader, 1 MB in memory" "$(awk -v b="$bps" 'BEGIN{printf "%.0f MB/s", b/1e6}')" "≥ 100 MB/s" ;;
    BM_LoadCfgFile) row "Reader, 1 MB through the file layer" "$(awk -v b="$bps" 'BEGIN{printf "%.0f MB/s", b/1e6}')" "≥ 100 MB/s" ;;
    BM_WriteServerCfg|BM_WriteAutoexecCfg) row "Writer, ${name#BM_} (in memory)" "$(printf '%.1f %s' "$real" "$unit")" "well under 1 ms" ;;
  esac
done < <(bench_csv "$build/bench/config_bench" --benchmark_filter='ApplyCfgText|LoadCfgFile|WriteServerCfg|WriteAutoexecCfg')

"$build/bench/read_rss_bench" generate "$work/big.cfg" 100
big=$("$build/bench/read_rss_bench" read "$work/big.cfg")
rm -f "$work/big.cfg"
row "Reader, 100 MiB file from disk, own process" "$big" "≥ 100 MB/s; RSS < 3× file"

first=""
while IFS=, read -r name _ real _ unit _; do
  name=${name//\"/}
  count=${name#BM_ScanMaps/}
  ms=$(printf '%.1f' "$real")
  [[ -z $first ]] && first="$count $ms"
  per=$(awk -v t="$real" -v n="$count" 'BEGIN{printf "%.2f", t*1000/n}')
  row "Map listing, $count files" "$ms $unit ($per µs a file)" "200 000 under 1500 ms, near-linear"
done < <(bench_csv "$build/bench/maps_bench" --benchmark_filter=BM_ScanMaps)

if [[ -x $build/bench/workspace_bench ]]; then
  while IFS=, read -r name _ real _ unit _; do
    row "Workspace load, ${name//\"/}" "$(printf '%.1f %s' "$real" "$unit")" "2 000 maps under 50 ms"
  done < <(bench_csv "$build/bench/workspace_bench")
fi

# The player history: searches at 10 k, 100 k and 1 M generated sessions, and a session's bytes on disk.
while IFS=, read -r name _ real _ unit _ _ _ _ _ bytes; do
  name=${name//\"/}
  what=${name#BM_Search}
  row "Player history, search ${what%/*} at ${name#*/} sessions" \
    "$(printf '%.2f %s' "$real" "$unit")${bytes:+, $(printf '%.0f' "$bytes") bytes a session}" "< 50 ms"
done < <(bench_csv "$build/bench/store_bench")

# Start-up: both programs under one virtual X server, five alternating rounds
# of ten runs each; per round the median time, peak memory and number of
# shared libraries mapped at the first window; the table gives the medians of
# the rounds, and of the rounds' time ratios.
start_up=$(xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "
  cd '$work'
  for round in 1 2 3 4 5; do
    echo \"bare \$('$PWD/$build/bench/quorvane_first_window' 10 '$PWD/$build/bench/bare_window')\"
    echo \"quorvane \$('$PWD/$build/bench/quorvane_first_window' 10 '$PWD/$build/src/quorvane')\"
  done")
median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
column_median() { grep "^$1 " <<<"$start_up" | awk -v c="$2" '{print $c}' | median; }
bare_ms=$(column_median bare 2) bare_kib=$(column_median bare 3) bare_libs=$(column_median bare 4)
prog_ms=$(column_median quorvane 2) prog_kib=$(column_median quorvane 3) prog_libs=$(column_median quorvane 4)
ratio=$(paste <(grep '^bare ' <<<"$start_up" | awk '{print $2}') <(grep '^quorvane ' <<<"$start_up" | awk '{print $2}') |
  awk '{printf "%.3f\n", $2 / $1}' | median)
rounds=$(paste <(grep '^bare ' <<<"$start_up" | awk '{print $2}') <(grep '^quorvane ' <<<"$start_up" | awk '{print $2}') |
  awk '{printf "%s%.2f", NR > 1 ? ", " : "", $2 / $1}')
row "Start to first window, bare Qt window (floor)" \
  "${bare_ms} ms, ${bare_libs} shared libraries, peak RSS $((bare_kib / 1024)) MiB" "—"
row "Start to first window, the program" \
  "${prog_ms} ms ($(printf '%.2f' "$ratio")× floor; rounds ${rounds}), ${prog_libs} shared libraries (floor + $((prog_libs - bare_libs))), peak RSS $((prog_kib / 1024)) MiB (floor + $(((prog_kib - bare_kib) / 1024)) MiB)" \
  "≤ 1.15× floor, ≤ floor + 10 libraries; RSS ≤ floor + 15 MiB"

soak=$("$build/bench/soak_bench" "${QUORVANE_SOAK_CYCLES:-10000}" | tr '\n' ' ')
row "Soak, write → re-read of 5 files" "$soak" "identical bytes, flat memory"

# The monitor: a log flood into its open window, then the status line and the server watch beside an answering server.
flood=$(QT_QPA_PLATFORM=offscreen "$build/bench/monitor_load" flood 50000 10 2>/dev/null | tr '\n' ' ')
row "Monitor, 50 000 log lines/s for 10 s" "$flood" "10 ms timer never > 50 ms late; RSS ≤ cap + 20 MiB"
port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0));
print(s.getsockname()[1])')
mkdir -p "$work/idle/tfc/maps"
printf 'hostname "Idle"\r\nrcon_password "idle"\r\n' >"$work/idle/tfc/server.cfg"
standin_program=$(cd "$build" && pwd)/tests/standin/quorvane_standin
(cd "$work/idle" && exec "$standin_program" -game tfc -port "$port" +map well) >/dev/null 2>&1 &
standin=$!
idle=$(QT_QPA_PLATFORM=offscreen "$build/bench/monitor_load" idle "$port" 60 2>/dev/null | tr '\n' ' ')
kill "$standin"
row "Monitor closed, status line and server watch (live log, player history) beside an answering server, 60 s" "$idle" \
  "< 1 % of one core"

# --query of a host that never answers: its waits sleep until the deadline.
silent=$(python3 - "$build/src/quorvane" <<'EOF'
import resource, socket, subprocess, sys, time
quiet = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
quiet.bind(("127.0.0.1", 0))
# What the interpreter's own start left in the children's count is not the program's.
before = resource.getrusage(resource.RUSAGE_CHILDREN)
start = time.monotonic()
subprocess.run([sys.argv[1], "--query", "127.0.0.1:%d" % quiet.getsockname()[1]], capture_output=True)
wall = time.monotonic() - start
used = resource.getrusage(resource.RUSAGE_CHILDREN)
cpu = used.ru_utime + used.ru_stime - before.ru_utime - before.ru_stime
print("CPU %.3f s over %.1f s = %.1f %% of one core" % (cpu, wall, 100 * cpu / wall))
EOF
)
row "--query of a host that never answers" "$silent" "< 5 % of one core"

echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(free -g | awk '/^Mem:/{print $2}') GiB memory"
echo
echo "| Measure | Result | Goal |"
echo "|---|---|---|"
printf '%s\n' "${rows[@]}"
