#!/usr/bin/env bash
# Channel 2's engine lost while the test set works: killed (SIGKILL) during a coupled write,
# stopped (SIGSTOP) during a coupled run. The client gets its answer within the bounded time,
# channel 1 keeps working, nothing hangs; after channel 2's engine is started again the
# scripted session of 'make run' plays as before.
#   engine_loss.sh BUILD_DIR PORT RUN_DIR
# An engine lost without a goodbye is noticed by the master control's look at its engines
# (every RADALT_LIVENESS_MS) or by the first call it does not answer: both counts follow, and
# channel 2 is no longer enabled (channels 1 to the enabled count all have engines).
set -uo pipefail
build=$1 port=$2 run=$3
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tests/e2e/lib.sh"
# Every call of the master control to an engine ends within 1 s; the client waits longer.
export RADALT_CALL_TIMEOUT_MS=1000
export RADALT_LIVENESS_MS=500
bound_ms=10000

rm -rf "$run" && mkdir -p "$run"
trap stop_all EXIT
naming_start || exit 1
start platform "$build/sim/radalt-platform-sim" --ns "$ns"
for c in 1 2 3; do engine_start "$c"; done
wait_bound 20 3
host_start
check "the test set runs" wait_for 60 3 $ctl get NOOFENABLEDCHANNELS

# timed NAME COMMAND...: runs COMMAND, keeps its exit status in rc_NAME and its time in ms_NAME.
timed() {
  local name=$1 t0 rc
  shift
  t0=$(now_ms)
  "$@" >"$run/$name.out" 2>&1
  rc=$?
  eval "rc_$name=$rc ms_$name=$(($(now_ms) - t0))"
  echo "     ($name: exit $rc after $(($(now_ms) - t0)) ms: $(tr '\n' ' ' <"$run/$name.out" | cut -c1-160))"
}
channel1_works() {
  $ctl set CH1:OUTPWRLVL "$1" >/dev/null 2>&1 && test "$($ctl get CH1:OUTPWRLVL)" = "$1 dBm"
}
restart_channel2() {
  engine_start 2
  check "$1: channel 2's engine is registered again" wait_for 30 "-40 dBm" \
    bash -c "$ctl set CH2:OUTPWRLVL -40 >/dev/null 2>&1 && $ctl get CH2:OUTPWRLVL"
  check "$1: three channels enabled again" wait_for 30 3 $ctl get NOOFENABLEDCHANNELS
}
counts_follow() {
  check "$1: the available count follows within 10 s" wait_for 10 2 $ctl get NOOFAVAILABLECHANNELS
  check "$1: only channel 1 stays enabled" wait_for 10 1 $ctl get NOOFENABLEDCHANNELS
}

# --- SIGKILL during a coupled write
$ctl set SIMULATIONMODE manual >/dev/null
$ctl set COUPLEDALTITUDESIMULATION true >/dev/null
$ctl set CH1CURSTOPALT 500 >/dev/null
$ctl set CH1CURSTOPALT 550 >"$run/during.out" 2>&1 &
writer=$!
kill -KILL "$(cat "$run/radaltsc-2.pid")"
wait "$writer"
timed killed $ctl set CH1CURSTOPALT 600
# Either channel 2 still counts and the write is refused, or its loss was noticed first and
# the write went to the channels left: never a success that claims channel 2.
check "killed: the coupled write is refused, or channel 2 is no longer enabled" \
  bash -c "test $rc_killed != 0 || test \"\$($ctl get NOOFENABLEDCHANNELS)\" = 1"
check "killed: within the bounded time" test "$ms_killed" -lt $bound_ms
check "killed: channel 1 keeps working" channel1_works -41
counts_follow killed
restart_channel2 killed

# --- SIGSTOP during a coupled run
$ctl set CH1CURSTARTALT 0 >/dev/null
$ctl set CH1CURSTOPALT 2000 >/dev/null
$ctl set CH1CURALTRATE 100 >/dev/null
$ctl set RUNSTOPTEST true >/dev/null
kill -STOP "$(cat "$run/radaltsc-2.pid")"
timed stopped $ctl set CH1CURSTOPALT 1500
check "stopped: the coupled write is refused" test "$rc_stopped" != 0
check "stopped: within the bounded time" test "$ms_stopped" -lt $bound_ms
timed stoprun $ctl set RUNSTOPTEST false
check "stopped: stopping the run answers within the bounded time" test "$ms_stoprun" -lt $bound_ms
check "stopped: channel 1 keeps working" channel1_works -43
check "stopped: the engine host still answers" test "$($ctl get NOOFENABLEDCHANNELS)" != ""
# The engine never answers again: noticed while it is still stopped, and the run is over.
counts_follow stopped
check "stopped: the run has ended" wait_for 10 false $ctl get RUNSTOPTEST
kill -KILL "$(cat "$run/radaltsc-2.pid")"
kill -CONT "$(cat "$run/radaltsc-2.pid")" 2>/dev/null
restart_channel2 stopped
$ctl set RUNSTOPTEST false >/dev/null 2>&1

# --- SIGSTOP until the engine is taken out, then SIGCONT: it answers again, so it is counted
# again and the operator's enabled count comes back, without a restart
$ctl set RFLVLMODE 1 >/dev/null
$ctl set COUPLEDMANUALRFLVL false >/dev/null
$ctl set CH2OUTPWRLVL -61 >/dev/null
kill -STOP "$(cat "$run/radaltsc-2.pid")"
counts_follow silent
kill -CONT "$(cat "$run/radaltsc-2.pid")"
check "silent: channel 2 is counted again once it answers" wait_for 20 3 $ctl get NOOFAVAILABLECHANNELS
check "silent: the enabled count is the operator's again" wait_for 10 3 $ctl get NOOFENABLEDCHANNELS
check "silent: channel 2 shows what its engine holds" test "$($ctl get CH2OUTPWRLVL)" = "$($ctl get CH2:OUTPWRLVL)"

# --- SIGTERM and a new process: the operator's settings of the channel are brought back
$ctl set CH3TXCBLLOSS 12.5 >/dev/null
$ctl set CH3OUTPWRLVL -80 >/dev/null
stop_sig radaltsc-3 TERM >/dev/null
engine_start 3
check "restarted: three channels enabled again" wait_for 30 3 $ctl get NOOFENABLEDCHANNELS
check "restarted: channel 3's engine has the operator's output power" wait_for 10 "-80 dBm" $ctl get CH3:OUTPWRLVL
check "restarted: and cable loss" test "$($ctl get CH3:TXCABLELOSS)" = "12.5 dB"
check "restarted: the master control shows what the engine holds" test "$($ctl get CH3OUTPWRLVL)" = "-80 dBm"

# --- SIGKILL of channel 1 and a new process 0.2 s later: the run button works
kill -KILL "$(cat "$run/radaltsc-1.pid")"
sleep 0.2
engine_start 1
check "fast restart: three channels enabled again" wait_for 30 3 $ctl get NOOFENABLEDCHANNELS
check "fast restart: a run starts" wait_for 20 true bash -c "$ctl set RUNSTOPTEST true >/dev/null 2>&1; $ctl get RUNSTOPTEST"
check "fast restart: and stops" wait_for 20 false bash -c "$ctl set RUNSTOPTEST false >/dev/null 2>&1; $ctl get RUNSTOPTEST"

# --- the scripted session of 'make run' still plays
BUILD=$build bash "$top/scripts/demo.sh" >"$run/demo.out" 2>&1
check "the scripted session plays without an unreachable test set" \
  bash -c "! grep -qE 'cannot be reached|no answer in time' '$run/demo.out'"
check "and its run moved channel 2's altitude" grep -q "CH2:CURALT" "$run/demo.out"
check "the host survived it all" alive enginehost

summary
