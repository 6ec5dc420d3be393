#!/usr/bin/env bash
# The chaos run: the whole test set on this machine, CHAOS_CLIENTS client processes writing
# random settings and commands, while a conductor kills (SIGKILL, SIGTERM), stops (SIGSTOP ...
# SIGCONT) and restarts channel engines every few seconds. Then it settles and checks that the
# master control tells the truth:
#   - the engine host is alive, no call took longer than CHAOS_BOUND_MS, the master control
#     was never unreachable;
#   - the counts equal the live engines, the enabled count is what the operator set;
#   - every setting that mirrors an engine item equals that engine's item, and equals the
#     operator's last accepted write (known values written, then every engine restarted);
#   - run start/stop, pause/resume, store/recall and a self test work;
#   - the engine host's memory, threads and descriptors are back near where they started.
# It prints a summary and exits non-zero when an invariant is broken.
#   chaos.sh BUILD_DIR PORT RUN_DIR     (CHAOS_SECONDS, default 60; CHAOS_CLIENTS, default 8)
set -uo pipefail
build=$1 port=$2 run=$3
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tests/e2e/lib.sh"
seconds=${CHAOS_SECONDS:-60}
clients=${CHAOS_CLIENTS:-8}
bound_ms=${CHAOS_BOUND_MS:-30000}
rss_bound_kb=${CHAOS_RSS_KB:-16384}
threads_bound=${CHAOS_THREADS:-8}
fds_bound=${CHAOS_FDS:-16}
export RADALT_CALL_TIMEOUT_MS=${RADALT_CALL_TIMEOUT_MS:-1000}
export RADALT_LIVENESS_MS=${RADALT_LIVENESS_MS:-500}
export RADALT_RUN_SETTLE_MS=${RADALT_RUN_SETTLE_MS:-200}
chaos="$build/tools/radalt-chaos"

rm -rf "$run" && mkdir -p "$run"
trap stop_all EXIT
naming_start || exit 1
mkdir -p "$run/root/engines/lib"
start platform "$build/sim/radalt-platform-sim" --ns "$ns" --root "$run/root"
for c in 1 2 3; do engine_start "$c"; done
wait_bound 20 3
host_start
check "the test set runs" wait_for 60 3 $ctl get NOOFENABLEDCHANNELS
host=$(cat "$run/enginehost.pid")

usage() {  # usage: "rss_kb threads fds" of the engine host
  local rss threads fds
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$host/status")
  threads=$(awk '/^Threads/ {print $2}' "/proc/$host/status")
  fds=$(ls "/proc/$host/fd" | wc -l)
  echo "$rss $threads $fds"
}
all_engines_up() {
  local c
  for c in 1 2 3; do
    kill -CONT "$(cat "$run/radaltsc-$c.pid" 2>/dev/null)" 2>/dev/null
    alive "radaltsc-$c" || engine_start "$c"
  done
}

# A first round of every kind of call, so that the start figures include what the host keeps.
$chaos client --seconds 3 --seed 999 >/dev/null 2>&1
sleep 2
read -r rss0 threads0 fds0 <<<"$(usage)"
echo "start: rss ${rss0} kB, ${threads0} threads, ${fds0} descriptors"

for i in $(seq "$clients"); do
  start "client-$i" "$chaos" client --seconds "$seconds" --seed "$i"
done

# The conductor: every 1 to 4 s one channel's engine is killed, terminated, stopped for a
# while, or killed and started again at once.
restarts=0 kills=0 stops=0 fast=0
end=$(($(now_ms) + seconds * 1000))
RANDOM=42
while [ "$(now_ms)" -lt "$end" ]; do
  sleep "$((1 + RANDOM % 4))"
  c=$((1 + RANDOM % 3))
  pid=$(cat "$run/radaltsc-$c.pid" 2>/dev/null) || { engine_start "$c"; continue; }
  case $((RANDOM % 4)) in
    0) kill -KILL "$pid"; wait "$pid" 2>/dev/null; kills=$((kills + 1)); sleep 0.$((RANDOM % 10)) ;;
    1) kill -TERM "$pid"; wait "$pid" 2>/dev/null ;;
    2) kill -STOP "$pid"; sleep "$((1 + RANDOM % 5))"; kill -CONT "$pid"; stops=$((stops + 1)); continue ;;
    3) kill -KILL "$pid"; wait "$pid" 2>/dev/null; fast=$((fast + 1)); sleep 0.2 ;;
  esac
  engine_start "$c"
  restarts=$((restarts + 1))
done

for i in $(seq "$clients"); do
  pid=$(cat "$run/client-$i.pid")
  # a client ends by itself after its seconds and its last call
  for _ in $(seq $((bound_ms / 100 + 100))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then echo "client $i hangs"; kill -KILL "$pid"; fi
done

echo "settling"
all_engines_up
check "the engine host survived" alive enginehost
# A run a client left going keeps the enabled count where it was: the operator stops it first.
$ctl set RUNSTOPTEST false >/dev/null 2>&1 || true
check "the available count is the live engines" wait_for 60 3 $ctl get NOOFAVAILABLECHANNELS
check "the enabled count is what the operator set" wait_for 60 3 $ctl get NOOFENABLEDCHANNELS

# Calls by outcome, the worst latency.
calls=0 ok=0 refused=0 unreachable=0 worst=0 worst_op=""
for i in $(seq "$clients"); do
  line=$(grep '^calls=' "$run/client-$i.log" | tail -1)
  if [ -z "$line" ]; then
    echo "client $i printed no summary:"
    tail -5 "$run/client-$i.log"
    failures=$((failures + 1))
    continue
  fi
  eval "$(echo "$line" | sed 's/ worst_op=.*//')"  # calls= ok= refused= unreachable= misuse= worst_ms=
  total_calls=$((${total_calls:-0} + calls))
  total_ok=$((${total_ok:-0} + ok))
  total_refused=$((${total_refused:-0} + refused))
  total_unreachable=$((${total_unreachable:-0} + unreachable))
  if [ "$worst_ms" -gt "$worst" ]; then
    worst=$worst_ms
    worst_op=$(echo "$line" | sed 's/.*worst_op=//')
  fi
done
grep -h '^unreachable' "$run"/client-*.log | sort | uniq -c | sort -rn | head -5
check "no call slower than ${bound_ms} ms (worst ${worst} ms, $worst_op)" test "$worst" -le "$bound_ms"
check "the master control was always reachable (${total_unreachable:-0} unreachable)" test "${total_unreachable:-0}" = 0

# What is shown equals what the engines hold, after the storm.
check "every setting shown equals its engine's" "$chaos" check
# ... and the operator's last accepted writes survive every engine's restart.
check "known values written" "$chaos" pin "$run/pinned.txt"
for c in 1 2 3; do
  if [ "$c" = 2 ]; then stop_sig "radaltsc-$c" KILL >/dev/null; else stop_sig "radaltsc-$c" TERM >/dev/null; fi
  engine_start "$c"
  check "channel $c's engine counted again" wait_for 30 3 $ctl get NOOFAVAILABLECHANNELS
done
check "three channels enabled again" wait_for 30 3 $ctl get NOOFENABLEDCHANNELS
check "after every engine restarted, each setting shows its engine's value and the last write" \
  wait_for 30 0 bash -c "$chaos check $run/pinned.txt >/dev/null 2>&1; echo \$?"
"$chaos" check "$run/pinned.txt" | grep -v "^ok" | tail -8

# The test set still works.
check "a run starts" $ctl set RUNSTOPTEST true
check "it pauses" $ctl set PAUSERESUMETEST true
check "it resumes" $ctl set PAUSERESUMETEST false
check "it stops" wait_for 10 false bash -c "$ctl set RUNSTOPTEST false >/dev/null 2>&1; $ctl get RUNSTOPTEST"
check "settings are stored" $ctl store chaos
check "and recalled" $ctl recall chaos
$ctl selftest basic >"$run/selftest.out" 2>&1
check "the self test passes ($(head -1 "$run/selftest.out"))" grep -q "^Basic Self Test (RadAltMC Module): PASSED" "$run/selftest.out"

# Growth, once the idle connections and threads have had their time (the ORB keeps a server
# thread of a closed connection idle for a few seconds before it ends): sampled every second
# for up to CHAOS_IDLE_S (30) seconds until memory and descriptors are within their bounds and
# at most one thread is left over; the last sample counts.
idle_end=$(($(now_ms) + ${CHAOS_IDLE_S:-30} * 1000))
while :; do
  sleep 1
  read -r rss1 threads1 fds1 <<<"$(usage)"
  if [ $((rss1 - rss0)) -le "$rss_bound_kb" ] && [ $((threads1 - threads0)) -le 1 ] &&
    [ $((fds1 - fds0)) -le "$fds_bound" ]; then break; fi
  [ "$(now_ms)" -ge "$idle_end" ] && break
done
echo "end: rss ${rss1} kB, ${threads1} threads, ${fds1} descriptors"
check "memory within ${rss_bound_kb} kB of the start ($((rss1 - rss0)) kB)" test $((rss1 - rss0)) -le "$rss_bound_kb"
check "threads within ${threads_bound} of the start ($((threads1 - threads0)))" test $((threads1 - threads0)) -le "$threads_bound"
check "descriptors within ${fds_bound} of the start ($((fds1 - fds0)))" test $((fds1 - fds0)) -le "$fds_bound"

echo
echo "chaos summary: ${seconds} s, ${clients} clients; ${total_calls:-0} calls: ${total_ok:-0} ok," \
  "${total_refused:-0} refused, ${total_unreachable:-0} unreachable; engine restarts ${restarts}" \
  "(${kills} SIGKILL, ${fast} fast), ${stops} SIGSTOP/SIGCONT; worst latency ${worst} ms;" \
  "growth: rss $((rss1 - rss0)) kB, threads $((threads1 - threads0)), descriptors $((fds1 - fds0))"
summary
