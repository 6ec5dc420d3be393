#!/usr/bin/env bash
# Settings and a profile stored, changed and recalled through radaltctl against the simulated
# test set as processes; the snapshots outlive a stop and start of the whole test set.
#   saverecall_e2e.sh BUILD_DIR PORT RUN_DIR
set -uo pipefail
build=$1 port=$2 run=$3
top=$(cd "$(dirname "$0")/../.." && pwd)
export RUN_DIR=$run RADALT_NS_PORT=$port BUILD=$build RADALT_DEMO=0
source "$top/tests/e2e/lib.sh"
legs() { $ctl get CH1LEGDATA; }
# recalled WHEN: both snapshots recalled, on the attributes and on channel 1's engine.
recalled() {
  check "recall settings$1" $ctl recall bench-low
  check "the level is the stored one$1" test "$($ctl get CH1OUTPWRLVL)" = "-20 dBm"
  check "and on channel 1's engine$1" test "$($ctl get CH1:OUTPWRLVL)" = "-20 dBm"
  check "recall profile$1" $ctl recall bench-legs --profile
  check "the three legs are back$1" test "$(legs)" = "$stored"
  check "and on channel 1's engine$1" test "$($ctl get CH1:LEGDATA)" = "$stored"
}

rm -rf "$run"
bash "$top/scripts/stop.sh" >/dev/null 2>&1
trap 'bash "$top/scripts/stop.sh" >/dev/null 2>&1' EXIT
bash "$top/scripts/run.sh" >/dev/null || { echo "FAIL make run's script"; cat "$run"/*.log; exit 1; }

# Settings: a manual output power stored under a name, changed, recalled.
$ctl set RFLVLMODE 1 && $ctl set CH1OUTPWRLVL -20
check "store settings" $ctl store bench-low
$ctl set CH1OUTPWRLVL -35
check "diff names the changed level" bash -c "$ctl diff bench-low | grep -q '^OutputPowerLevelChan1 .*-35.* -> .*-20'"
check "an unknown name is refused" bash -c "! $ctl recall never-stored 2>/dev/null"

# A three-leg profile stored, replaced, recalled.
$ctl set SIMULATIONMODE 1 2>/dev/null
$ctl set CH1LEGDATA "100:200:10, 200:50:5, 50:1000:20"
stored=$(legs)
check "store profile" $ctl store bench-legs --profile
$ctl set CH1LEGDATA "10:20:1"
recalled ""  # the level is -35 still

# The whole test set stopped and started: both snapshots are still there.
$ctl set CH1OUTPWRLVL -40
$ctl set CH1LEGDATA "10:20:1"
bash "$top/scripts/stop.sh" >/dev/null 2>&1
bash "$top/scripts/run.sh" >/dev/null || { echo "FAIL restart"; cat "$run"/*.log; exit 1; }
$ctl set RFLVLMODE 1
recalled " after a restart"

summary
