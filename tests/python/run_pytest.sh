#!/usr/bin/env bash
# The Python client's tests against the simulated test set, started and stopped by the same
# scripts as 'make run' and 'make stop', on a private port and folder. Afterwards a self test
# is left running while the test set stops: the engine host must end cleanly.
#   run_pytest.sh BUILD_DIR PORT RUN_DIR [PYTHON]
set -uo pipefail
build=$1 port=$2 run=$3 python=${4:-python3}
top=$(cd "$(dirname "$0")/../.." && pwd)
export RUN_DIR=$run RADALT_NS_PORT=$port BUILD=$build RADALT_DEMO=0 RADALT_NS=127.0.0.1:$port
rm -rf "$run"
bash "$top/scripts/stop.sh" >/dev/null 2>&1
trap 'bash "$top/scripts/stop.sh" >/dev/null 2>&1' EXIT
bash "$top/scripts/run.sh" >/dev/null || { echo "FAIL make run's script"; cat "$run"/*.log; exit 1; }

PYTHONPATH="$build/python" "$python" -m pytest -q -p no:cacheprovider "$top/tests/python"
rc=$?

# A self test still running while the test set stops leaves no crash behind.
"$build/tools/radaltctl" selftest basic >/dev/null 2>&1 &
stopped=$(bash "$top/scripts/stop.sh" 2>&1)
wait
if grep -q "did not stop" <<<"$stopped" ||
   grep -E "Segmentation|Aborted|terminate called|core dumped" "$run"/enginehost.log; then
  echo "FAIL the engine host did not end cleanly during a self test"
  rc=1
fi
exit $rc
