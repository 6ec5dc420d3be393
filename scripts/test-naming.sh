#!/usr/bin/env bash
# Test fixture: starts (or stops) a private naming service on 127.0.0.1:PORT.
#   test-naming.sh start PORT DIR   |   test-naming.sh stop PORT DIR
set -euo pipefail
cmd=$1 port=$2 dir=$3
case $cmd in
  start)
    # Our own, left by a run that ended early: it goes first (at most 5 s).
    if [ -f "$dir/omniNames.pid" ] && kill -0 "$(cat "$dir/omniNames.pid")" 2>/dev/null; then
      old=$(cat "$dir/omniNames.pid")
      kill -TERM "$old" 2>/dev/null || true
      for _ in $(seq 50); do
        kill -0 "$old" 2>/dev/null || break
        sleep 0.1
      done
    fi
    rm -rf "$dir" && mkdir -p "$dir"
    # Something else listening on the port (another test set's naming service) would answer
    # in place of ours, and the tests would bind their names in it.
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "the tests' naming service cannot start: port $port is taken (another test set on this" \
        "machine?); choose another port with cmake -DRADALT_TEST_NS_PORT=... (and RADALT_TEST_E2E_PORT)" >&2
      exit 1
    fi
    omniNames -start "$port" -logdir "$dir" -ORBendPoint "giop:tcp:127.0.0.1:$port" >"$dir/omniNames.log" 2>&1 &
    pid=$!
    echo $pid >"$dir/omniNames.pid"
    for _ in $(seq 100); do
      if ! kill -0 "$pid" 2>/dev/null; then
        echo "the tests' naming service on port $port ended at its start" >&2
        cat "$dir/omniNames.log" >&2
        exit 1
      fi
      nameclt -ORBInitRef "NameService=corbaname::127.0.0.1:$port" list >/dev/null 2>&1 && exit 0
      sleep 0.1
    done
    echo "naming service did not start on port $port" >&2
    cat "$dir/omniNames.log" >&2
    exit 1
    ;;
  stop)
    [ -f "$dir/omniNames.pid" ] && kill -TERM "$(cat "$dir/omniNames.pid")" 2>/dev/null || true
    exit 0
    ;;
esac
echo "usage: $0 start|stop PORT DIR" >&2
exit 2
