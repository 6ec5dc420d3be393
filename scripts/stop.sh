#!/usr/bin/env bash
# Stops what scripts/run.sh started, by the pids it recorded in .run/ (never by name):
# the engine host first, then the channel engines, then the naming service.
set -uo pipefail
cd "$(dirname "$0")/.."
run=${RUN_DIR:-$PWD/.run}
[ -d "$run" ] || exit 0

stop_one() {
  local pidfile=$1 pid
  pid=$(cat "$pidfile" 2>/dev/null) || return 0
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
      echo "$(basename "$pidfile" .pid) (pid $pid) did not stop; killing it"
      kill -KILL "$pid" 2>/dev/null
    fi
    echo "stopped $(basename "$pidfile" .pid) (pid $pid)"
  fi
  rm -f "$pidfile"
}

for f in "$run"/enginehost*.pid; do [ -e "$f" ] && stop_one "$f"; done
for f in "$run"/*.pid; do
  case $(basename "$f") in omniNames.pid) ;; *) [ -e "$f" ] && stop_one "$f" ;; esac
done
[ -e "$run/omniNames.pid" ] && stop_one "$run/omniNames.pid"
exit 0
