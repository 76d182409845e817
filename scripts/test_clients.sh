#!/usr/bin/env bash
# Checks the stand-in server's query side against two real clients written
# elsewhere: qstat (Debian) and gamedig (npm, run with node). Each must read
# info, players and rules with and without the challenge and with split replies.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
build=${QUORVANE_BUILD_DIR:-build}
preset=${QUORVANE_PRESET:-dev}
bash scripts/setup.sh qstat
source scripts/packages.sh
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then bash scripts/setup.sh "${CLIENT_PACKAGES[@]}"; fi
cmake --preset "$preset" -B "$build" >/dev/null
cmake --build "$build" --target quorvane_standin
standin=$(realpath "$build/tests/standin/quorvane_standin")
clients=$(realpath -m "$build/clients")
if [[ ! -d $clients/node_modules/gamedig ]]; then
  npm install --prefix "$clients" --no-audit --no-fund --loglevel=error gamedig@5.3.3 >/dev/null
fi

work=$(mktemp -d)
pid=
cleanup() {
  if [[ -n $pid ]]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/tfc/maps"
printf 'hostname "Client Check"\r\nrcon_password "unused"\r\n' > "$work/tfc/server.cfg"

# Starts the stand-in on a free port with the given environment; sets pid and port.
start_standin() {
  for _ in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 30000))
    (cd "$work" && exec env "$@" "$standin" -game tfc -port "$port" +map well >"$work/out" 2>"$work/err") &
    pid=$!
    for _ in $(seq 50); do
      if grep -q "no UDP side" "$work/err"; then break; fi
      if quakestat -a2s "127.0.0.1:$port" -xml 2>/dev/null | grep -q 'status="UP"'; then return 0; fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
  done
  echo "The stand-in did not answer on any port" >&2
  return 1
}

check_qstat() {
  local xml
  xml=$(quakestat -a2s "127.0.0.1:$port" -P -R -xml)
  grep -q 'status="UP"' <<<"$xml" &&
    grep -q '<name>Client Check</name>' <<<"$xml" &&
    grep -q '<map>well</map>' <<<"$xml" &&
    [[ $(grep -c '<player>' <<<"$xml") == 4 ]] &&
    grep -q '<name>\[LAN\] Sniper Bob</name>' <<<"$xml" &&
    grep -q '<rule name="sv_gravity">800</rule>' <<<"$xml" &&
    grep -q '<rule name="tfc_option_24">168</rule>' <<<"$xml"
}

check_gamedig() {
  node --input-type=module - "$clients/node_modules/gamedig/lib/index.js" "$port" <<'JS'
const [lib, port] = process.argv.slice(2);
const { GameDig } = await import(lib);
const s = await GameDig.query({ type: 'tfc', host: '127.0.0.1', port: Number(port), requestRules: true,
                               requestRulesRequired: true, requestPlayersRequired: true, maxRetries: 2 });
const names = s.players.map((p) => p.name).sort().join(',');
const ok = s.name === 'Client Check' && s.map === 'well' && s.numplayers === 4 &&
           names === 'Alpha,Charlie,Delta,[LAN] Sniper Bob' && s.raw.rules.sv_gravity === '800' &&
           s.raw.rules.tfc_option_24 === '168';
if (!ok) { console.error(JSON.stringify(s)); process.exit(1); }
JS
}

failed=0
cases=("plain|" "challenge|STEAM_GAMESERVER_A2S_INFO_REQUIRE_CHALLENGE=1"
       "split|QUORVANE_STANDIN_SPLIT=80" "challenge+split+both layouts|STEAM_GAMESERVER_A2S_INFO_REQUIRE_CHALLENGE=1 QUORVANE_STANDIN_SPLIT=80 QUORVANE_STANDIN_INFO=Im")
for c in "${cases[@]}"; do
  name=${c%%|*}
  read -r -a environment <<<"${c#*|}"
  start_standin QUORVANE_STANDIN_RECORD="$work/record" "${environment[@]}"
  for client in qstat gamedig; do
    if "check_$client"; then echo "--- $client, $name: ok"; else echo "--- $client, $name: FAILED"; failed=1; fi
  done
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
done
echo "Client stage: $((SECONDS - start)) s"
exit $failed
