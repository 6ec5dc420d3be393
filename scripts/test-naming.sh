#!/usr/bin/env bash
# Test fixture: starts (or stops) a private naming service on 127.0.0.1:PORT.
#   test-naming.sh start PORT DIR   |   test-naming.sh stop PORT DIR
set -euo pipefail
cmd=$1 port=$2 dir=$3
case $cmd in
  start)
    if [ -f "$dir/omniNames.pid" ] && kill -0 "$(cat "$dir/omniNames.pid")" 2>/dev/null; then
      kill -TERM "$(cat "$dir/omniNames.pid")" 2>/dev/null || true
      sleep 0.2
    fi
    rm -rf "$dir" && mkdir -p "$dir"
    omniNames -start "$port" -logdir "$dir" -ORBendPoint "giop:tcp:127.0.0.1:$port" >"$dir/omniNames.log" 2>&1 &
    echo $! >"$dir/omniNames.pid"
    for _ in $(seq 100); do
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
