#!/usr/bin/env bash
# The naming service dies and comes back without its bindings while the test set runs: the
# master control, the channel engines and the platform services bind their names again, a new
# client finds the master control within 10 s, and a second master control is still refused.
#   naming_restart.sh BUILD_DIR PORT RUN_DIR
set -uo pipefail
build=$1 port=$2 run=$3
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tests/e2e/lib.sh"

rm -rf "$run" && mkdir -p "$run"
trap stop_all EXIT
naming_start || exit 1
start platform "$build/sim/radalt-platform-sim" --ns "$ns"
for c in 1 2 3; do engine_start "$c"; done
wait_bound 20 3
host_start
check "the test set runs" wait_for 60 3 $ctl get NOOFENABLEDCHANNELS

names() { nameclt -ORBInitRef "NameService=corbaname::$ns" list "$1" 2>/dev/null | wc -l; }

for round in 1 2; do
  stop_sig omniNames KILL >/dev/null
  check "round $round: a client cannot reach the test set without a naming service" \
    bash -c "! $ctl get NOOFENABLEDCHANNELS >/dev/null 2>&1"
  sleep 1
  t0=$(now_ms)
  naming_start || exit 1
  check "round $round: within 10 s a new client reads the enabled channels again" \
    wait_for 10 3 $ctl get NOOFENABLEDCHANNELS
  echo "     (the master control was found again $(($(now_ms) - t0)) ms after the naming service started)"
  check "round $round: the three channel engines are bound again" wait_for 10 3 names Lumaren/local/RADALTSC
  check "round $round: the platform services are bound again" wait_for 10 1 names Lumaren/local/HHSELFTEST_LOCK
  check "round $round: the master control holds one instance" wait_for 10 1 names Lumaren/local/RADALT
done

# The single-instance check still holds after the restarts.
second=$("$build/host/radalt-enginehost" --ns "$ns" --root "$run/root" 2>&1); rc=$?
check "a second engine host is refused" test $rc != 0
check "with the single-instance text" grep -q "Attempt to start more than one instance of radalt master control" <<<"$second"
check "the first still answers" test "$($ctl get NOOFENABLEDCHANNELS)" = 3
$ctl set CH2:OUTPWRLVL -42.5
check "a write still reaches channel 2's engine" test "$($ctl get CH2:OUTPWRLVL)" = "-42.5 dBm"

summary
