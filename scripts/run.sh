#!/usr/bin/env bash
# Starts the whole test set simulated on this machine, in the background, under .run/:
# the naming service on loopback, one simulated single-channel engine per channel, and the
# engine host with the master control. Returns once the master control has published its
# attributes. Environment: RADALT_NS_PORT (default 28090), RADALT_CHANNELS (default "1 2 3"),
# RADALT_DDS_DOMAIN (default 0), BUILD (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
build=${BUILD:-build}
port=${RADALT_NS_PORT:-28090}
channels=${RADALT_CHANNELS:-1 2 3}
run=${RUN_DIR:-$top/.run}
export RADALT_NS=127.0.0.1:$port
export RADALT_DDS_DOMAIN=${RADALT_DDS_DOMAIN:-0}

alive() { [ -f "$run/$1.pid" ] && kill -0 "$(cat "$run/$1.pid")" 2>/dev/null; }

if alive enginehost; then
  echo "The test set is already running (make status; make stop to stop it)."
  exit 0
fi
mkdir -p "$run/omninames" "$run/root/engines/lib" "$run/root/engines/ui_xml"

# start NAME COMMAND...: runs COMMAND in the background with its log and pid file.
start() {
  local name=$1
  shift
  "$@" >"$run/$name.log" 2>&1 &
  echo $! >"$run/$name.pid"
}

if ! alive omniNames; then
  # A fresh naming service each run: nothing stale from an earlier run survives.
  rm -f "$run"/omninames/omninames-*
  start omniNames omniNames -start "$port" -logdir "$run/omninames" -ORBendPoint "giop:tcp:127.0.0.1:$port"
  for _ in $(seq 50); do
    nameclt -ORBInitRef "NameService=corbaname::$RADALT_NS" list >/dev/null 2>&1 && break
    sleep 0.1
  done
fi

alive platform || start platform "$build/sim/radalt-platform-sim" --ns "$RADALT_NS" --root "$run/root"
for c in $channels; do
  alive "radaltsc-$c" || start "radaltsc-$c" "$build/sim/radaltsc-sim" --channel "$c" --ns "$RADALT_NS" --root "$run/root"
done

# The master control takes the engines it finds at start-up: wait until every one is bound.
want=$(wc -w <<<"$channels")
for _ in $(seq 100); do
  have=$( (nameclt -ORBInitRef "NameService=corbaname::$RADALT_NS" list Lumaren/local/RADALTSC 2>/dev/null || true) | wc -l)
  [ "$have" -ge "$want" ] && break
  sleep 0.1
done

start enginehost "$build/host/radalt-enginehost" --ns "$RADALT_NS" --root "$run/root" \
  --domain "$RADALT_DDS_DOMAIN" --engine "$build/src/libradalt.engine.so.1"

ctl="$build/tools/radaltctl --ns $RADALT_NS"
# The master control waits for channel 1's engine up to RADALT_START_WAIT_MS (default 120 s)
# and then refuses to start: wait that long and a minute more, or until the host ends.
ready_s=$(( ${RADALT_START_WAIT_MS:-120000} / 1000 + 60 ))
deadline=$((SECONDS + ready_s))
until $ctl get NOOFENABLEDCHANNELS >/dev/null 2>&1; do
  if ! alive enginehost; then
    echo "The engine host stopped; its log:" >&2
    tail -n 20 "$run/enginehost.log" >&2
    exit 1
  fi
  if [ "$SECONDS" -ge "$deadline" ]; then
    echo "The master control did not answer within ${ready_s} s (the engine host still runs; make stop ends it); its log:" >&2
    tail -n 20 "$run/enginehost.log" >&2
    exit 1
  fi
  sleep 0.1
done

echo "The simulated test set runs (naming service $RADALT_NS; logs and pids in .run/)."
echo "  channels enabled: $($ctl get NOOFENABLEDCHANNELS)"
echo "Reach it with:"
echo "  $build/tools/radaltctl list"
echo "  $build/tools/radaltctl get CH1:OUTPWRLVL --full"
echo "  $build/tools/radaltctl set CH1:OUTPWRLVL -40"
echo "make status tells what runs; make stop stops it."
# The operator's web console on 127.0.0.1 (RADALT_CONSOLE_PORT, default 28095; 0: any free port;
# "none": not started). It reconnects by itself when the master control restarts.
console_port=${RADALT_CONSOLE_PORT:-28095}
if [ "$console_port" != none ] && [ -x "$build/console/radalt-console" ]; then
  alive console || start console "$build/console/radalt-console" --ns "$RADALT_NS" --port "$console_port"
  for _ in $(seq 50); do grep -q "http://" "$run/console.log" 2>/dev/null && break; sleep 0.1; done
  if grep -q "http://" "$run/console.log" 2>/dev/null; then
    echo "Operator console: $(grep -o 'http://[^ ]*' "$run/console.log" | head -n 1)"
  else
    echo "The operator console did not start (see $run/console.log)."
  fi
fi
[ "${RADALT_DEMO:-1}" = 1 ] && BUILD=$build bash "$top/scripts/demo.sh"
exit 0
