#!/usr/bin/env bash
# Installs every Debian package the project needs to build and run; with "test", also what
# only the tests use (the console's browser test: Chromium, its driver, Selenium); with "bench",
# also the peer the bench compares against (an open control system's test device server, its
# C++ client library and its Python binding).
# Idempotent: does nothing when everything is already there.
#   install-deps.sh [test|bench]
set -euo pipefail

PKGS=(
  cmake ninja-build ccache g++ make python3
  libomniorb4-dev omniidl omniorb omniorb-nameserver omniorb-idl
  libfastrtps-dev libfastcdr-dev fastddsgen
  libboost-dev libboost-thread-dev libboost-date-time-dev
  libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  iproute2
  pybind11-dev python3-dev python3-pytest
  libcpp-httplib-dev
)
case "${1:-}" in
  test) PKGS+=(chromium chromium-driver python3-selenium) ;;
  bench) PKGS+=(tango-test libtango-dev python3-tango) ;;
esac

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
