#!/usr/bin/env bash
# The simulated test set as processes, started and stopped by the same scripts as 'make run'
# and 'make stop', on a private port and folder.
#   testset_e2e.sh BUILD_DIR PORT RUN_DIR
set -uo pipefail
build=$1 port=$2 run=$3
top=$(cd "$(dirname "$0")/../.." && pwd)
export RUN_DIR=$run RADALT_NS_PORT=$port BUILD=$build RADALT_DEMO=0
source "$top/tests/e2e/lib.sh"

rm -rf "$run"
bash "$top/scripts/stop.sh" >/dev/null 2>&1
trap 'bash "$top/scripts/stop.sh" >/dev/null 2>&1' EXIT
bash "$top/scripts/run.sh" || { echo "FAIL make run's script"; cat "$run"/*.log; exit 1; }

list=$($ctl list)
for c in 1 2 3; do
  check "channel $c engine attributes are listed as CH$c:<key><instance>" grep -q "^CH$c:OUTPWRLVL1 " <<<"$list"
done
check "the master control's own attributes are listed with the instance digit" grep -q "^NOOFENABLEDCHANNELS1 " <<<"$list"
check "the simulator's own controls are not published by the master control" \
  bash -c "! grep -Eq ':SIM(UUT|RFUNLCK|DPLL)' <<<'$list'"
check "but stay reachable by their channel" test "$($ctl get CH2:SIMUUTPRESENT)" = false
check "three channels enabled (the bare key as shorthand)" test "$($ctl get NOOFENABLEDCHANNELS)" = 3
check "the registered name answers too" test "$($ctl get NOOFENABLEDCHANNELS1)" = 3
for t in basic software; do
  out=$($ctl selftest $t 2>&1)
  check "the $t self test passes on a healthy test set ($(head -1 <<<"$out"))" grep -q ": PASSED, " <<<"$out"
done
check "the journal keeps the self tests' runs" wait_for 5 2 \
  bash -c "$ctl journal | grep -cE '(Basic|Software) Self Test finished'"
check "the master control reported its start-up complete" grep -q "hwenum: radalt.engine 1 at 100%" "$run/platform.log"

$ctl set CH2:OUTPWRLVL -42.5
check "a set reaches the channel-2 engine and reads back" test "$($ctl get CH2:OUTPWRLVL)" = "-42.5 dBm"
err=$($ctl set CH2:OUTPWRLVL 99 2>&1); rc=$?
check "an out-of-range set is refused with exit 1 and its limits" \
  bash -c "[ $rc = 1 ] && grep -q 'DataOutOfRange.*minimum -130' <<<'$err'"
$ctl set NOSUCH 1 2>/dev/null; rc=$?
check "an unknown name exits 2" test $rc = 2
$ctl set CH1:OUTPWRLVL loud 2>/dev/null; rc=$?
check "an unparsable value exits 2" test $rc = 2

# RF level: automatic mode holds the level; a manual coupled write reaches every engine, rounded
# to the engines' step, and each channel shows what its engine took.
err=$($ctl set CH1OUTPWRLVL -40 2>&1); rc=$?
check "in automatic RF level mode the output power is refused with its lock reason" \
  bash -c "[ $rc = 1 ] && grep -q 'Auto rf level mode' <<<'$err'"
$ctl set RFLVLMODE 1 && $ctl set COUPLEDMANUALRFLVL 1 && $ctl set CH1OUTPWRLVL -42.47
for c in 1 2 3; do
  check "channel $c's engine took the coupled level on its step" test "$($ctl get CH$c:OUTPWRLVL)" = "-42.5 dBm"
  check "CH${c}OUTPWRLVL shows it" test "$($ctl get CH${c}OUTPWRLVL)" = "-42.5 dBm"
done
$ctl set COUPLEDMANUALRFLVL 0 && $ctl set RFLVLMODE 0

# (A second engine host is refused: naming_restart.sh.)

# Channel 1's engine reports an invalid configuration, then a valid one again: the self-test
# engine is locked out and let in again.
kill -USR1 "$(cat "$run/radaltsc-1.pid")"
check "an invalid configuration locks the self-test engine" wait_for 30 1 \
  grep -c "locked (1): Unit has an invalid configuration!  Please contact Velmarin for assistance." "$run/platform.log"
locks=$($ctl locks)
check "a client sees the run button refused with the invalid-configuration texts" \
  grep -q "^RUNPUSHBUTTON1 .*locked by RadAltMc: Invalid Configuration - Unit has an invalid configuration!  Please contact Velmarin for assistance." <<<"$locks"
kill -USR1 "$(cat "$run/radaltsc-1.pid")"
check "a valid configuration unlocks it" wait_for 30 1 grep -c "unlocked (0 left)" "$run/platform.log"
check "and frees the run button" bash -c "! $ctl locks | grep -q '^RUNPUSHBUTTON1 '"

# ---- a unit under test on every channel, its readings, the detection mode (the type in manual
# detection, and the diagnostics against a run: uut_test, locks_test)
for c in 1 2 3; do $ctl set CH$c:SIMUUTTYPE 3 && $ctl set CH$c:SIMUUTPRESENT true; done
check "automatic detection finds the plugged unit" wait_for 30 "3 (FMCW variable sweep)" $ctl get CH3:UUTTYPE
err=$($ctl set UUTTYPE 2 2>&1); rc=$?
check "the UUT type is refused in automatic detection" \
  bash -c "[ $rc = 1 ] && grep -q 'reason:  Auto uut detect mode' <<<'$err'"
$ctl set SIMULATIONMODE manual && $ctl set CH1CURSTARTALT 100 && $ctl set CH1CURSTOPALT 3000 &&
  $ctl set CH1CURALTRATE 50 && $ctl set COUPLEDALTITUDESIMULATION true && $ctl set RUNSTOPTEST true
check "a running ramp makes channel 3's measurements valid" wait_for 30 true $ctl get CH3:MEASUREMENTSVALID
$ctl set RUNSTOPTEST false && $ctl set COUPLEDALTITUDESIMULATION false

pids=$(cat "$run"/*.pid)
bash "$top/scripts/stop.sh" >/dev/null
left=0
for p in $pids; do kill -0 "$p" 2>/dev/null && left=$((left + 1)); done
check "stop leaves no process behind" test $left = 0

summary
