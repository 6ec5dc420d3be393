#!/usr/bin/env bash
# Where the time of a write goes: records one process of the bench's test set with perf while
# the bench's write rows run, then prints the shares of the libraries and the hottest functions.
#   bench/profile.sh [BENCH_BIN_DIR] [PROCESS] [--only-row SECTION]
# BENCH_BIN_DIR: the folder holding radalt-bench (default build-bench/bench);
# PROCESS: the pid-file name of the process to record: enginehost (default), radaltsc-1, ...
# Needs perf (Debian package linux-perf). The test set runs on the bench's own port and folder
# and is stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build-bench/bench}
process=${2:-enginehost}
run=$bin/run-profile
out=$run/perf-$process.data
port=28291
bench() { "$bin/radalt-bench" --port "$port" --domain 211 --run-dir "$run" --json "$run/profile.json" "$@"; }

command -v perf >/dev/null || { echo "perf is not installed (apt-get install linux-perf)" >&2; exit 1; }
trap 'RUN_DIR=$run bash scripts/stop.sh >/dev/null 2>&1 || true' EXIT

# A test set of its own, kept running, with the floor measured for the ratios.
bench --only floor --keep >/dev/null
pid=$(cat "$run/$process.pid")
perf record -F 1999 -p "$pid" -o "$out" 2>"$run/perf-record.log" &
recorder=$!
sleep 0.5
bench --attach --only floor,writes --writes "${WRITES:-2000}" | sed -n '/^2\./,/^$/p'
kill -INT "$recorder"
wait "$recorder" || true

echo "== $process: share of samples by library"
perf report -i "$out" --stdio --sort dso 2>/dev/null | grep -v '^#' | grep -v '^$' | head -15
echo "== $process: hottest functions"
perf report -i "$out" --stdio --sort dso,sym 2>/dev/null | grep -v '^#' | grep -v '^$' | head -40
