# Helpers of the end-to-end scripts (sourced). Every process is started with a pid file in
# $run and stopped by that pid only.
#   needs: build (build tree), port (naming service), run (private folder)

ns=127.0.0.1:$port
export RADALT_NS=$ns
export RADALT_DDS_DOMAIN=${RADALT_DDS_DOMAIN:-0}
ctl="$build/tools/radaltctl --ns $ns"
failures=0

check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

now_ms() { date +%s%3N; }

alive() { [ -f "$run/$1.pid" ] && kill -0 "$(cat "$run/$1.pid")" 2>/dev/null; }

# start NAME COMMAND...: runs COMMAND in the background, log $run/NAME.log, pid $run/NAME.pid.
start() {
  local name=$1
  shift
  "$@" >"$run/$name.log" 2>&1 &
  echo $! >"$run/$name.pid"
}

# stop_sig NAME SIGNAL: sends SIGNAL to the recorded process and waits at most 10 s for its
# end; prints the milliseconds it took (or "hang" and kills it).
stop_sig() {
  local name=$1 sig=$2 pid t0
  pid=$(cat "$run/$name.pid" 2>/dev/null) || { echo 0; return; }
  t0=$(now_ms)
  kill "-$sig" "$pid" 2>/dev/null
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null
    kill -CONT "$pid" 2>/dev/null
    echo hang
  else
    echo $(($(now_ms) - t0))
  fi
  wait "$pid" 2>/dev/null
  rm -f "$run/$name.pid"
}

# Stops every process this script recorded (engine host first, naming service last).
stop_all() {
  local f
  for f in "$run"/enginehost*.pid "$run"/*.pid; do
    [ -e "$f" ] || continue
    case $(basename "$f") in omniNames.pid) continue ;; esac
    kill -CONT "$(cat "$f")" 2>/dev/null
    stop_sig "$(basename "$f" .pid)" TERM >/dev/null
  done
  [ -e "$run/omniNames.pid" ] && stop_sig omniNames TERM >/dev/null
  return 0
}

# naming_start [keep]: a naming service on $port; without keep it starts with no bindings.
naming_start() {
  mkdir -p "$run/omninames"
  [ "${1:-}" = keep ] || rm -f "$run"/omninames/omninames-*
  start omniNames omniNames -start "$port" -logdir "$run/omninames" -ORBendPoint "giop:tcp:$ns"
  for _ in $(seq 100); do
    nameclt -ORBInitRef "NameService=corbaname::$ns" list >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "naming service did not start on $ns" >&2
  return 1
}

engine_start() {  # engine_start CHANNEL [OPTIONS...]
  local c=$1
  shift
  start "radaltsc-$c" "$build/sim/radaltsc-sim" --channel "$c" --ns "$ns" "$@"
}

host_start() {
  mkdir -p "$run/root/engines/lib" "$run/root/engines/ui_xml"
  start enginehost "$build/host/radalt-enginehost" --ns "$ns" --root "$run/root" \
    --engine "$build/src/libradalt.engine.so.1" "$@"
}

# wait_for SECONDS EXPECTED COMMAND...: polls until COMMAND prints EXPECTED; false after SECONDS.
wait_for() {
  local secs=$1 want=$2 got="" end
  shift 2
  end=$(($(now_ms) + secs * 1000))
  while [ "$(now_ms)" -lt "$end" ]; do
    got=$("$@" 2>/dev/null)
    [ "$got" = "$want" ] && return 0
    sleep 0.1
  done
  echo "  (waited ${secs}s for '$want', last got '$got')"
  return 1
}

# wait_bound SECONDS COUNT: until COUNT channel engines are bound in the naming service.
wait_bound() {
  local secs=$1 count=$2 have
  for _ in $(seq $((secs * 10))); do
    have=$( (nameclt -ORBInitRef "NameService=corbaname::$ns" list Lumaren/local/RADALTSC 2>/dev/null || true) | wc -l)
    [ "$have" -ge "$count" ] && return 0
    sleep 0.1
  done
  return 1
}

summary() {
  echo "$((failures == 0 ? 1 : 0)) passed, $failures failed"
  [ $failures = 0 ]
}
