#!/usr/bin/env bash
# The connection test of velkora.dll under Wine against the (Linux) register simulator:
# over loopback TCP, and over a serial line — Wine's COM5 linked to the simulator's
# pseudo-terminal in the dosdevices folder; then the goods export of the sample shop and the
# sales import of two days over COM5; then the Windows host against the Windows simulator
# (ecrsim.exe under Wine) over TCP/IP: the connection test and the goods export; last the
# goods export and the goods import by a slow host (every callback 1.1 s, so that two between
# records outlast the register's 2 s wait) against the simulator's default clock.
#   usage: wine-connection-test.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
linux=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
prefix=${WINEPREFIX:-$HOME/.wine}
wineboot --init >/dev/null 2>&1 || true

work=$(mktemp -d)
sim_out=$(mktemp)
sim=""
simulator=("$linux/ecrsim")
cleanup() { [ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$work" "$sim_out"; rm -f "$prefix/dosdevices/com5"; }
trap cleanup EXIT

start_sim() {  # runs in this shell (not a subshell), so that $sim names the simulator
  : >"$sim_out"
  "${simulator[@]}" "$@" --register "$root/sim/demo-register.txt" >"$sim_out" &
  sim=$!
  for _ in $(seq 100); do [ -s "$sim_out" ] && break; sleep 0.1; done
  sim_line=$(head -n1 "$sim_out")
}

stop_sim() {
  [ -n "$sim" ] && { kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true; }
  sim=""
}

run_test() {  # the host's messages go to $work/out.txt; fails when an error was reported
  (cd "$work" && wine "$windows/velkora-host.exe" --library "$windows/velkora.dll" \
     --exchange exchange run test) >"$work/out.txt" 2>&1
  grep -q 'kasa o numerze: 1' "$work/out.txt"
}

host() { (cd "$work" && wine "$windows/velkora-host.exe" "$@") >/dev/null 2>&1; }

passed=0; failed=0
check() {
  if "$@"; then passed=$((passed + 1)); echo "ok: $*"; else failed=$((failed + 1)); echo "FAILED: $*"; cat "$work/out.txt" || true; fi
}

tcp_case() {
  start_sim --tcp 0
  port=$(tr -dc '0-9' <<<"$sim_line")
  host set NovitusECRPort TCP/IP
  host set NovitusECRIpAddress 127.0.0.1
  host set NovitusECRIpPort "$port"
  host set NovitusECRIpTimeout 5
  host set NovitusECREdiFolder EDI
  local r=0
  run_test || r=$?
  stop_sim
  return $r
}

serial_case() {
  start_sim --pty
  pty=$sim_line
  mkdir -p "$prefix/dosdevices"
  ln -sfn "$pty" "$prefix/dosdevices/com5"
  host set NovitusECRPort COM5
  host set NovitusECRSpeed 4
  local r=0
  run_test || r=$?
  stop_sim
  return $r
}

export_case() {  # every goods of the sample reaches the register and "wynik.exp" lists them all
  start_sim --pty
  mkdir -p "$prefix/dosdevices" "$work/exchange"
  ln -sfn "$sim_line" "$prefix/dosdevices/com5"
  host set NovitusECRPort COM5
  host set NovitusECRSpeed 4
  cp "$root/sim/demo-kasa.exp" "$work/exchange/kasa.exp"
  local goods r=0
  goods=$(grep -c '^PLU;' "$root/sim/demo-kasa.exp")
  (cd "$work" && wine "$windows/velkora-host.exe" --library "$windows/velkora.dll" \
     --exchange exchange run export) >"$work/out.txt" 2>&1 || r=$?
  stop_sim
  [ "$r" -eq 0 ] && [ "$(grep -c '^PLU;' "$work/exchange/wynik.exp")" -eq "$goods" ] &&
    grep -q "towary wysłane do kasy: *$goods z $goods" "$work/out.txt"
}

import_case() {  # two days of eight receipts: two files loaded, both days' receipts in them
  start_sim --pty --sales 2x8
  mkdir -p "$prefix/dosdevices"
  ln -sfn "$sim_line" "$prefix/dosdevices/com5"
  host set NovitusECRPort COM5
  host set NovitusECRSpeed 4
  host set NovitusECRImportOrders 1
  local r=0
  (cd "$work" && wine "$windows/velkora-host.exe" --library "$windows/velkora.dll" --exchange exchange import) \
    >"$work/out.txt" 2>&1 || r=$?
  stop_sim
  [ $r -eq 0 ] && [ "$(grep -c 'razem 8 paragon' "$work/out.txt")" -eq 2 ] && grep -q 'EDI' "$work/out.txt"
}

windows_sim_case() {  # every goods of the sample reaches ecrsim.exe too
  simulator=(wine "$windows/ecrsim.exe")
  local goods r=0
  tcp_case || r=$?
  start_sim --tcp 0
  host set NovitusECRIpPort "$(tr -dc '0-9' <<<"$sim_line")"
  cp "$root/sim/demo-kasa.exp" "$work/exchange/kasa.exp"
  goods=$(grep -c '^PLU;' "$root/sim/demo-kasa.exp")
  (cd "$work" && wine "$windows/velkora-host.exe" --library "$windows/velkora.dll" \
     --exchange exchange run export) >>"$work/out.txt" 2>&1 || r=$?
  stop_sim
  simulator=("$linux/ecrsim")
  [ "$r" -eq 0 ] && grep -q "towary wysłane do kasy: *$goods z $goods" "$work/out.txt"
}

slow_import_case() {  # a slow host imports the goods back from a register that would give up
  start_sim --tcp 0
  port=$(tr -dc '0-9' <<<"$sim_line")
  host set NovitusECRPort TCP/IP
  host set NovitusECRIpAddress 127.0.0.1
  host set NovitusECRIpPort "$port"
  mkdir -p "$work/exchange"
  { grep -av '^PLU;' "$root/sim/demo-kasa.exp"; grep -a '^PLU;' "$root/sim/demo-kasa.exp" | head -n2; } \
    >"$work/exchange/kasa.exp"
  local r=0
  (cd "$work" && wine "$windows/velkora-host.exe" --library "$windows/velkora.dll" \
     --exchange exchange --slow-host 1100 run export) >"$work/out.txt" 2>&1 || r=$?
  grep -q "towary wysłane do kasy: *2 z 2" "$work/out.txt" || r=1
  (cd "$work" && wine "$windows/velkora-host.exe" --library "$windows/velkora.dll" \
     --exchange exchange --slow-host 1100 run extra 2) >>"$work/out.txt" 2>&1 || r=$?
  stop_sim
  [ "$r" -eq 0 ] && grep -q "Odczytano towarów: *2\b" "$work/out.txt" && grep -q -- "- dodanych: *2\b" "$work/out.txt"
}

check tcp_case
check serial_case
check export_case
check import_case
check windows_sim_case
check slow_import_case
echo "wine connection test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
