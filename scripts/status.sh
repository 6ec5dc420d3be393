#!/usr/bin/env bash
# Says which of the processes scripts/run.sh started are running.
cd "$(dirname "$0")/.."
run=${RUN_DIR:-$PWD/.run}
shopt -s nullglob
files=("$run"/*.pid)
if [ ${#files[@]} -eq 0 ]; then
  echo "Nothing runs (make run starts the simulated test set)."
  exit 0
fi
for f in "${files[@]}"; do
  pid=$(cat "$f")
  name=$(basename "$f" .pid)
  if kill -0 "$pid" 2>/dev/null; then
    printf '%-14s running  (pid %s)\n' "$name" "$pid"
  else
    printf '%-14s stopped  (pid %s; see .run/%s.log)\n' "$name" "$pid" "$name"
  fi
done
