#!/usr/bin/env bash
# The master control takes its start-up values from channel 1's engine and does not start
# without it. With only channel 2's engine there, the host says what it waits for and, after
# RADALT_START_WAIT_MS, ends non-zero with the refusal on standard error. A channel 1 name left
# behind by a killed engine counts as no engine; channel 1's engine started while the host
# waits lets it start as usual.
#   channel1_wait.sh BUILD_DIR PORT RUN_DIR
set -uo pipefail
build=$1 port=$2 run=$3
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tests/e2e/lib.sh"
export RADALT_DISCOVERY_POLL_MS=100
bound_ms=3000
margin_ms=10000

rm -rf "$run" && mkdir -p "$run"
trap stop_all EXIT
naming_start || exit 1
start platform "$build/sim/radalt-platform-sim" --ns "$ns"
engine_start 2
wait_bound 20 1
mkdir -p "$run/root/engines/lib" "$run/root/engines/ui_xml"

logged() { grep -qF "$2" "$1" && echo yes; }  # logged FILE TEXT

# --- channel 2's engine only: the host gives up after the bound
t0=$(now_ms)
RADALT_START_WAIT_MS=$bound_ms "$build/host/radalt-enginehost" --ns "$ns" --root "$run/root" \
  --engine "$build/src/libradalt.engine.so.1" >"$run/refused.out" 2>"$run/refused.err" &
pid=$!
echo $pid >"$run/enginehost.pid"
while kill -0 $pid 2>/dev/null && [ $(($(now_ms) - t0)) -lt $((bound_ms + margin_ms)) ]; do sleep 0.1; done
ms=$(($(now_ms) - t0))
if kill -0 $pid 2>/dev/null; then
  echo "FAIL the host still runs after ${ms} ms"
  failures=$((failures + 1))
  stop_sig enginehost KILL >/dev/null
fi
wait $pid
rc=$?
rm -f "$run/enginehost.pid"
echo "     (the host ended with $rc after $ms ms)"
check "alone: the host says it waits for channel 1 and what it found" \
  logged "$run/refused.out" " RADALT_MC: waiting for the engine of channel 1 (engines found: 2)"
check "alone: the host ends non-zero" test "$rc" != 0
check "alone: not before the bound" test "$ms" -ge $bound_ms
check "alone: within the bound and ${margin_ms} ms" test "$ms" -lt $((bound_ms + margin_ms))
check "alone: the refusal on standard error names channel 1" logged "$run/refused.err" \
  "the engine of channel 1 is not registered after 3 s (engines found: 2): the master control cannot start without it"

# --- channel 1's name left by a killed engine, then its engine started while the host waits
engine_start 1
wait_bound 20 2
stop_sig radaltsc-1 KILL >/dev/null
RADALT_START_WAIT_MS=60000 host_start
check "late: a name without its engine is no engine" wait_for 20 yes \
  logged "$run/enginehost.log" " RADALT_MC: waiting for the engine of channel 1 (named but gone; engines found: 2)"
engine_start 1
check "late: the host starts once channel 1's engine is there" wait_for 30 2 $ctl get NOOFENABLEDCHANNELS
check "late: channel 1's engine is reached" bash -c \
  "$ctl set CH1:OUTPWRLVL -41 >/dev/null && test \"\$($ctl get CH1:OUTPWRLVL)\" = '-41 dBm'"
check "late: no refusal" bash -c "! grep -q 'cannot start without it' '$run/enginehost.log'"

summary
