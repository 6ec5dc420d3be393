#!/usr/bin/env bash
# The .deb of the build tree, installed into a scratch root: its files in their places, a client
# program built against its CMake package, and its engine host run against its own simulated
# engines on a private naming service.
#   package_test.sh BUILD_DIR NS_PORT DDS_DOMAIN WORK_DIR
set -euo pipefail
build=$1 port=$2 domain=$3 work=$4
rm -rf "$work"
mkdir -p "$work/run"
export RADALT_DDS_DOMAIN=$domain
ns=127.0.0.1:$port

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; for f in "$work"/run/*.log; do echo "--- $f" >&2; tail -20 "$f" >&2; done; exit 1; }

# 1. The package.
(cd "$build" && cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$work"/pkg/*.deb)
info=$(dpkg-deb --info "$deb")
grep -q "Depends:.*omniorb-nameserver" <<<"$info" || fail "the package does not depend on the naming service"
dpkg-deb -x "$deb" "$work/root"
host=$(find "$work/root" -path '*/bin/radalt-enginehost')
[ -n "$host" ] || fail "no engine host in the package"
prefix=$(cd "$(dirname "$host")/.." && pwd)
for f in bin/radaltctl bin/radaltsc-sim bin/radalt-platform-sim lib/systemd/system/radalt-enginehost.service \
         lib/systemd/system/radaltsc@.service lib/systemd/system/radalt.target lib/systemd/system/radalt-console.service bin/radalt-console; do
  [ -e "$prefix/$f" ] || [ -e "$work/root/$f" ] || fail "$f missing"
done
engine=$(find "$prefix" -name 'libradalt.engine.so.1')
[ -n "$engine" ] || fail "no engine library in the package"
cfg=$(find "$prefix" -name radaltConfig.cmake)
[ -n "$cfg" ] || fail "no CMake package"
# Installed programs find the package's libraries, never the build tree's.
paths=$(readelf -d "$host" "$engine" | grep -E 'R(UN)?PATH' || true)
if grep -q "$(cd "$build" && pwd)" <<<"$paths"; then
  fail "installed programs point into the build tree"
fi

# 2. A client program built against the installed CMake package.
mkdir -p "$work/client"
cat >"$work/client/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(radalt_client CXX)
find_package(radalt 1 CONFIG REQUIRED)
add_executable(client client.cpp)
target_link_libraries(client PRIVATE radalt::velmarin_idl)
CMAKE
cat >"$work/client/client.cpp" <<'CPP'
#include <iostream>
#include "VelmarinAttrib.hh"
int main() {
  CORBA::ORB_var orb = CORBA::ORB_init(*new int(0), nullptr);
  std::cout << (CORBA::is_nil(Velmarin::EngineAttribValueDouble::_nil()) ? "stubs ok" : "?") << std::endl;
  orb->destroy();
}
CPP
cmake -S "$work/client" -B "$work/client/build" -DCMAKE_PREFIX_PATH="$prefix" >"$work/client.log" 2>&1 \
  && cmake --build "$work/client/build" >>"$work/client.log" 2>&1 || { cat "$work/client.log" >&2; fail "client build"; }
[ "$("$work/client/build/client")" = "stubs ok" ] || fail "client program"

# 3. The installed test set: naming service, platform services, three engines, host.
start() {
  local name=$1
  shift
  "$@" >"$work/run/$name.log" 2>&1 &
  pids+=($!)
}
mkdir -p "$work/run/names" "$work/run/state/engines/lib" "$work/run/state/engines/ui_xml"
start names omniNames -start "$port" -logdir "$work/run/names" -ORBendPoint "giop:tcp:127.0.0.1:$port"
for _ in $(seq 100); do nameclt -ORBInitRef "NameService=corbaname::$ns" list >/dev/null 2>&1 && break; sleep 0.1; done
start platform "$prefix/bin/radalt-platform-sim" --ns "$ns"
for c in 1 2 3; do start "radaltsc-$c" "$prefix/bin/radaltsc-sim" --channel "$c" --ns "$ns"; done
for _ in $(seq 100); do
  [ "$(nameclt -ORBInitRef "NameService=corbaname::$ns" list Lumaren/local/RADALTSC 2>/dev/null | wc -l)" -ge 3 ] && break
  sleep 0.1
done
start host "$prefix/bin/radalt-enginehost" --ns "$ns" --root "$work/run/state" --domain "$domain" --engine "$engine"
# A loaded machine builds the master control slowly: wait up to two minutes.
ok=0
deadline=$((SECONDS + 120))
while [ $SECONDS -lt $deadline ]; do
  if "$prefix/bin/radaltctl" --ns "$ns" get NOOFENABLEDCHANNELS >"$work/run/get.out" 2>&1; then ok=1; break; fi
  sleep 0.1
done
[ "$ok" = 1 ] || fail "the installed host did not serve NOOFENABLEDCHANNELS"
"$prefix/bin/radaltctl" --ns "$ns" list >"$work/run/list.out" 2>&1 || fail "radaltctl list"
grep -q "NOOFENABLEDCHANNELS" "$work/run/list.out" || fail "list lacks NOOFENABLEDCHANNELS"
[ -n "$(ls "$work/run/state/engines/lib")" ] || fail "no database under the install root"
echo "package test: $(basename "$deb") installed, client built, installed host serves $(wc -l <"$work/run/list.out") attributes"
