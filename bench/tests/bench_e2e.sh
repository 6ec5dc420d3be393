#!/usr/bin/env bash
# The bench against the real test set, briefly: it starts its own test set on a private port,
# folder and DDS domain, measures the floor and the rows that exist today, writes its JSON and
# stops everything it started (channel 3's engine too, which the DDS rows stop and start again).
#   bench_e2e.sh BENCH_BIN_DIR PORT DOMAIN WORK_DIR
set -uo pipefail
bin=$1 port=$2 domain=$3 work=$4
json=$work/bench.json
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
figure() {  # figure PYTHON-EXPRESSION-ON-d: true when it holds for the JSON
  python3 -c "import json, sys; d = json.load(open('$json')); sys.exit(0 if ($1) else 1)" 2>/dev/null
}

rm -rf "$work" && mkdir -p "$work"
"$bin/radalt-bench" --quick --only floor,writes,footprint,dds --rows engine_item_registry,ch1_outpwr_coupled3 \
  --port "$port" --domain "$domain" --run-dir "$work/run" --json "$json" >"$work/out.txt" 2>"$work/err.txt"
rc=$?
check "the bench ends with status 0" test $rc = 0
check "it prints the table" grep -q "^1. Floor" "$work/out.txt"
check "the floor is measured" figure "d['floor']['p50_us'] > 0 and d['floor']['n'] > 0"
check "an engine item write is measured, with one engine request" \
  figure "d['writes']['engine_item_registry']['p50_us'] > 0 and d['writes']['engine_item_registry']['engine_requests_per_write'] == 1"
check "each write row carries the requests it is designed to make" \
  figure "d['writes']['engine_item_registry']['engine_requests_by_design'] == 1"
check "a row is either measured or skipped with its reason and null figures" \
  figure "(d['writes']['ch1_outpwr_coupled3']['p50_us'] is None) == ('skipped' in d['writes']['ch1_outpwr_coupled3'])"
check "rows left out are absent" figure "'ch1_ramp_uncoupled' not in d['writes'] and d['throughput'] is None"
check "an engine's \"create,3\" is measured against the counts, not skipped" \
  figure "'skipped' not in d['dds']['create_to_counts'] and d['dds']['create_to_counts']['n'] > 0 and d['dds']['create_to_counts']['p50_us'] > 0"
check "the engine host's footprint is read" figure "d['footprint']['after_start']['engine_host']['threads'] > 0"
left=0
for f in "$work"/run/*.pid; do
  [ -e "$f" ] && kill -0 "$(cat "$f")" 2>/dev/null && left=$((left + 1))
done
check "no process of the test set is left running" test $left = 0
[ $failures = 0 ] || { echo "--- stderr"; tail -20 "$work/err.txt"; }
echo "$((10 - failures)) passed, $failures failed"
[ $failures = 0 ]
