#!/usr/bin/env bash
# The sales import under a real crash: velkora-host, importing from ecrsim in resetting mode
# (the register clears what it served), is killed with SIGKILL at moments spread over the
# whole import, then run again until an import succeeds. Across all runs every receipt the
# simulator sold must be in exactly one "kasa.imp" the host loaded: none lost, none twice.
#   usage: crash-test.sh BUILD_DIR [RUNS] [RECEIPTS_A_DAY]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
runs=${2:-5}
per_day=${3:-40}
work=$(mktemp -d)
sim=""
cleanup() { [ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

start_sim() {  # a register that has sold two days; sets sim, port, first, last
  "$build/ecrsim" --tcp 0 --register "$root/sim/demo-register.txt" --sales "2x$per_day" >"$work/sim.out" 2>&1 &
  sim=$!
  for _ in $(seq 1200); do [ "$(wc -l <"$work/sim.out")" -ge 2 ] && break; sleep 0.05; done  # a busy machine starts it late
  port=$(head -n1 "$work/sim.out")
  read -r first last < <(sed -n 's/^sold [0-9]* receipts W\([0-9]*\)-W\([0-9]*\)$/\1 \2/p' "$work/sim.out") || true
  [ -n "$port" ] && [ -n "${last:-}" ] || { echo "the simulator did not start"; cat "$work/sim.out"; exit 1; }
}

stop_sim() { kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true; sim=""; }

new_host() {  # a fresh back office in $work/run
  rm -rf "$work/run" && mkdir -p "$work/run"
  for setting in "NovitusECRPort TCP/IP" "NovitusECRIpAddress 127.0.0.1" "NovitusECRIpPort $port" \
    "NovitusECRIpTimeout 2" "NovitusECRImportOrders 1" "NovitusECRResetBuffer 1"; do
    (cd "$work/run" && "$build/velkora-host" set $setting)
  done
}

import() { (cd "$work/run" && exec "$build/velkora-host" --exchange ex import) >>"$work/run/out.txt" 2>&1; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# How long an import takes here, start-up included: the shortest of three.
duration=""
for _ in 1 2 3; do
  start_sim
  new_host
  begin=$(now_ms)
  import || { cat "$work/run/out.txt"; exit 1; }
  took=$(($(now_ms) - begin))
  [ -z "$duration" ] || [ "$took" -lt "$duration" ] && duration=$took
  stop_sim
done
echo "an uninterrupted import of $((2 * per_day)) receipts takes $duration ms; $runs runs killed across it"

failed=0 killed=0 reruns=0 leftovers=0
declare -A phases=()
for i in $(seq "$runs"); do
  start_sim
  new_host
  delay=$(awk -v d="$duration" -v i="$i" -v n="$runs" 'BEGIN { printf "%.3f", 0.95 * d * (i - 0.5) / n / 1000 }')
  (cd "$work/run" && exec "$build/velkora-host" --exchange ex import) >"$work/run/killed.txt" 2>&1 &
  victim=$!
  sleep "$delay"
  if kill -9 "$victim" 2>/dev/null; then killed=$((killed + 1)); fi
  wait "$victim" 2>/dev/null || true
  phase=$( (grep -v '^$' "$work/run/killed.txt" || true) | tail -n1 | sed 's/ *[0-9OK:]*$//' | cut -c1-40)
  phases["${phase:-(start-up)}"]=$((${phases["${phase:-(start-up)}"]:-0} + 1))
  attempts=0
  until import; do
    attempts=$((attempts + 1))
    [ "$attempts" -lt 5 ] || break
  done
  reruns=$((reruns + attempts + 1))
  if grep -q "zaległego pliku novitus.imp" "$work/run/out.txt"; then leftovers=$((leftovers + 1)); fi
  taken=$( (cat "$work/run/ex/loaded/"*-kasa.imp 2>/dev/null || true) | tr -d '\r' |
    sed -n 's/^\(TRN\|KSK\);\([0-9]*\);.*/\2/p' | sort -n)
  if [ "$taken" != "$(seq "$first" "$last")" ] || [ -e "$work/run/ex/novitus.imp" ]; then
    failed=$((failed + 1))
    echo "FAILED run $i (killed after ${delay}s in '$phase'): receipts W$first-W$last, taken:"
    echo "$taken" | uniq -c | awk '$1 != 1' | head
    comm -3 <(seq "$first" "$last") <(echo "$taken" | sort -u) | head
  fi
  stop_sim
done
echo "crash test: $runs runs, $killed killed in the middle, $reruns imports after the kills ($leftovers analysed a leftover staging file), $failed failed"
echo "where the kills fell (last line shown):"
for p in "${!phases[@]}"; do printf '  %3d  %s\n' "${phases[$p]}" "$p"; done | sort -k2
[ "$failed" -eq 0 ]
