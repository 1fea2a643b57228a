#!/bin/bash
# Debian's mbpoll (an independent Modbus RTU master) reads the sensor and sender blocks of
# qrx-gateway-sim and writes a coil.
set -euo pipefail
command -v mbpoll >/dev/null || { echo "mbpoll is not installed"; exit 77; }
sim="$QRX_BUILD_DIR/qrx-gateway-sim"
[ -x "$sim" ] || { echo "qrx-gateway-sim is not built"; exit 77; }

dir=$(mktemp -d)
log="$dir/sim.log"
"$sim" --mode rtu --address 3 --sensors 2 --link "$dir/gw" >"$log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true; rm -rf "$dir"' EXIT
for _ in $(seq 100); do grep -q '^serving' "$log" && break; sleep 0.1; done
grep -q '^serving' "$log" || { cat "$log"; exit 1; }

poll() { timeout 20 mbpoll -m rtu -a 3 -b 9600 -P even -1 -q "$@" "$dir/gw"; }
write() { timeout 20 mbpoll -m rtu -a 3 -b 9600 -P even -q "$@" "$dir/gw" 1; }
fail() { echo "FAIL: $*"; cat "$log"; exit 1; }

# sensor row 1: ORG 06, ID 0183:0111 (mbpoll counts references from 1)
out=$(poll -t 4:hex -r 11 -c 3)
echo "$out" | grep -q '\[11\]:[[:space:]]*0x0006' || fail "row 1 ORG: $out"
echo "$out" | grep -q '\[12\]:[[:space:]]*0x0183' || fail "row 1 ID high: $out"
# sender block row 0 at register 400
out=$(poll -t 4:hex -r 401 -c 10)
echo "$out" | grep -q '\[401\]:[[:space:]]*0x0005' || fail "sender row 0 ORG: $out"
echo "$out" | grep -q '\[402\]:[[:space:]]*0xFF9A' || fail "sender row 0 ID: $out"
# learn-mode coil of row 4 on, read back
write -t 0 -r 5 >/dev/null || fail "coil write"
out=$(poll -t 0 -r 1 -c 8)
echo "$out" | grep -q '\[5\]:[[:space:]]*1' || fail "coil 4 on: $out"
echo "$out" | grep -q '\[4\]:[[:space:]]*0' || fail "coil 3 off: $out"

kill -TERM $pid
wait $pid || fail "exit code $?"
[ ! -e "$dir/gw" ] || fail "link left behind"
grep -q 'write coil 0x0004 on check ok' "$log" || fail "log lacks the coil write"
echo ok
