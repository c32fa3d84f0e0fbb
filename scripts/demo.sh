#!/usr/bin/env bash
# The main job, end to end: build velkora, start the register simulator on loopback with a
# demo register, run the connection test through the command-line host, export the sample
# shop's goods (sim/demo-kasa.exp) to it and show the summary, read the goods back into the
# host, let the register sell two days and import them, stop the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
JOBS=${JOBS:-2}

if ! command -v cmake >/dev/null || ! command -v ninja >/dev/null || ! command -v g++ >/dev/null; then
  echo "Installing the build tools (cmake, ninja, g++)..."
  sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq && $sudo_cmd apt-get install -y -qq cmake ninja-build g++ libgtest-dev libgmock-dev
fi

cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELKORA_TESTS=OFF >/dev/null
cmake --build build/demo -j"$JOBS" --target velkora velkora-host ecrsim

work=${DEMO_DIR:-$root/build/demo/run}
mkdir -p "$work"
cd "$work"
rm -f velkora-host.params
rm -rf exchange/loaded exchange/novitus.imp
mkdir -p EDI exchange

port_file=$(mktemp)
"$root/build/demo/ecrsim" --tcp 0 --register "$root/sim/demo-register.txt" >"$port_file" &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$port_file"' EXIT
for _ in $(seq 50); do [ -s "$port_file" ] && break; sleep 0.1; done
port=$(head -n1 "$port_file" | tr -dc '0-9')
[ -n "$port" ] || { echo "the simulator did not start"; exit 1; }
echo "Register simulator listening on 127.0.0.1:$port"

host="$root/build/demo/velkora-host"
"$host" set NovitusECRPort TCP/IP
"$host" set NovitusECRIpAddress 127.0.0.1
"$host" set NovitusECRIpPort "$port"
"$host" set NovitusECRIpTimeout 5
"$host" set NovitusECREdiFolder "$work/EDI"
"$host" set NovitusECRProgEuro 1
status=0
"$host" --exchange "$work/exchange" --device-number 1 run test || status=$?
echo
echo "Goods export of the sample shop (sim/demo-kasa.exp, $(grep -c '^PLU;' "$root/sim/demo-kasa.exp") goods):"
cp "$root/sim/demo-kasa.exp" "$work/exchange/kasa.exp"
"$host" --exchange "$work/exchange" --device-number 1 run export || status=$?
echo "Communication log: $(ls -1 "$work"/exchange/log/*.TXT | tail -n1)"

# The goods read back from the register into the host's goods file (the last lines only).
echo
echo "Goods read back from the register (extra 2):"
rm -f "$work/exchange/velkora-host.goods"
"$host" --exchange "$work/exchange" --device-number 1 run extra 2 | tail -n 8 || status=$?

# The register sells two days (receipts, counters, reports, orders) and the host imports them:
# the receipts per sales date with their totals, the cash report, the orders as EDI documents.
echo
"$host" set NovitusECRImportOrders 1
kill -USR1 "$sim"
for _ in $(seq 50); do grep -q '^sold' "$port_file" && break; sleep 0.1; done
echo "Register simulator: $(grep '^sold' "$port_file" | tail -n1)"
"$host" --exchange "$work/exchange" --device-number 1 import || status=$?
exit $status
