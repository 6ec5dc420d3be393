#!/usr/bin/env bash
# Instructions the engine host executes for each kind of write, by library and by function:
# the bench restarts the engine host of its own test set under callgrind, then writes one row
# at a time, each between a zeroing and a dump of the counters.
#   bench/callgrind.sh [BENCH_BIN_DIR] [ROW ...]
# BENCH_BIN_DIR: the folder holding radalt-bench (default build-bench/bench); ROW: write-row
# ids as in the JSON (default: ch1_ramp_uncoupled enabled_channels_3_to_2 simulation_mode_0).
# WRITES (default 200) timed writes per row; the bench adds 100 warm-up and 20 counted ones.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build-bench/bench}
shift || true
rows=${*:-ch1_ramp_uncoupled enabled_channels_3_to_2 simulation_mode_0}
writes=${WRITES:-200}
run=$bin/run-callgrind
bench() { "$bin/radalt-bench" --port 28293 --domain 213 --run-dir "$run" --json "$run/callgrind.json" "$@"; }

command -v callgrind_control >/dev/null || { echo "valgrind is not installed" >&2; exit 1; }
trap 'RUN_DIR=$run bash scripts/stop.sh >/dev/null 2>&1 || true' EXIT

# One start-up cycle puts the host under callgrind; the test set stays up.
bench --only startup --cycles 1 --keep \
  --host-wrapper "valgrind --tool=callgrind --callgrind-out-file=$run/callgrind.out.%p" >/dev/null
pid=$(cat "$run/enginehost.pid")
for row in $rows; do
  callgrind_control --zero "$pid" >/dev/null
  bench --attach --only writes --rows "$row" --writes "$writes" | sed -n '/^2\./,/^$/p'
  callgrind_control --dump="$row" "$pid" >/dev/null
done
kill -TERM "$pid"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done

for row in $rows; do
  case $row in enabled_channels_*) per=$(((writes + 20) * 2 + 100)) ;; *) per=$((writes + 120)) ;; esac
  file=$(grep -l "^desc: Trigger: dump $row\$" "$run"/callgrind.out.* | head -1)
  [ -n "$file" ] || continue
  total=$(grep '^summary:' "$file" | awk '{print $2}')
  echo "== $row: $((total / per)) instructions per write in the engine host (over $per writes)"
  echo "   functions by inclusive cost, below the dispatch of the write (90 %):"
  callgrind_annotate --inclusive=yes --threshold=100 "$file" 2>/dev/null | grep -E '^ *[0-9,]+ \(' |
    awk -F'[()%]' '$2 + 0 < 90' | head -"${TOP:-30}" | sed 's/^/   /' || true
done
