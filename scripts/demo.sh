#!/usr/bin/env bash
# A short scripted session on the running simulated test set: a ramp on channel 1, the
# channels coupled, a run watched for a few seconds, a write the interlock refuses, the stop.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
ctl="$build/tools/radaltctl --ns ${RADALT_NS:-127.0.0.1:${RADALT_NS_PORT:-28090}}"

say() { printf '\n$ radaltctl %s\n' "$*"; $ctl "$@"; }

echo "--- scripted session ---"
say set SIMULATIONMODE manual
say set CH1CURSTARTALT 0
say set CH1CURSTOPALT 500
say set CH1CURALTRATE 100
say get CH1:CURDURATION
say set COUPLEDALTITUDESIMULATION true
say get CH2:CURSTOPALT
say set RUNSTOPTEST true
say watch CH1:CURALT CH2:CURALT --seconds 3
echo
echo "# while the simulation runs, the interlock refuses the altitude-indicator zero:"
say exec STARTALTINDZERO
say set RUNSTOPTEST false
say set COUPLEDALTITUDESIMULATION false
echo "--- end of the scripted session ---"
exit 0
