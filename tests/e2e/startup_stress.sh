#!/usr/bin/env bash
# Start-up under stress: the whole test set started again and again with the channel engines
# started together with the engine host, so that their "create," announcements arrive while
# the master control is being built. Each start must complete (three channels enabled) and
# SIGTERM must end the host within 5 s; so must SIGTERM while the host waits for engines and
# in the middle of its construction.
#   startup_stress.sh BUILD_DIR PORT RUN_DIR
# RADALT_STRESS_STARTS (default 5) sets the number of complete starts; a third as many starts
# are ended early, half while waiting for engines, half during construction.
set -uo pipefail
build=$1 port=$2 run=$3
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tests/e2e/lib.sh"
starts=${RADALT_STRESS_STARTS:-5}
early=$(((starts + 2) / 3))
export RADALT_DISCOVERY_POLL_MS=100

rm -rf "$run" && mkdir -p "$run"
trap stop_all EXIT
naming_start || exit 1
start platform "$build/sim/radalt-platform-sim" --ns "$ns"

hangs=0 slow=0 worst=0 times=()
record_stop() {  # record_stop WHAT MS
  times+=("$2")
  if [ "$2" = hang ] || [ "$2" -gt 5000 ]; then
    echo "FAIL SIGTERM $1 took ${2} ms"
    slow=$((slow + 1))
    failures=$((failures + 1))
  elif [ "$2" -gt "$worst" ]; then
    worst=$2
  fi
}
engines_stop() {
  for c in 1 2 3; do
    [ -e "$run/radaltsc-$c.pid" ] && stop_sig "radaltsc-$c" TERM >/dev/null
  done
}

for i in $(seq "$starts"); do
  for c in 1 2 3; do engine_start "$c"; done
  host_start
  if wait_for 30 3 $ctl get NOOFENABLEDCHANNELS; then
    echo "ok   start $i: three channels enabled"
  else
    echo "FAIL start $i did not complete (hang); the host's log ends:"
    tail -n 15 "$run/enginehost.log" | sed 's/^/    /'
    hangs=$((hangs + 1))
    failures=$((failures + 1))
  fi
  record_stop "after start $i" "$(stop_sig enginehost TERM)"
  engines_stop
done

for i in $(seq "$early"); do
  # No engine yet: the host waits for one.
  host_start
  sleep 1
  record_stop "while waiting for engines ($i)" "$(stop_sig enginehost TERM)"

  # Engines announcing, the host in the middle of its construction.
  for c in 1 2 3; do engine_start "$c"; done
  host_start
  sleep "0.$((3 + (i * 3) % 7))"
  record_stop "during construction ($i)" "$(stop_sig enginehost TERM)"
  engines_stop
done

echo "figures: $starts starts, $hangs hangs; SIGTERM ended the host ${#times[@]} times," \
     "$slow of them later than 5 s; the slowest in time took ${worst} ms"
echo "SIGTERM times (ms): ${times[*]}"
summary
