#!/bin/sh
# Installs the Debian packages a task needs, when any is missing. Needs nothing
# but a shell, so it is the first command on a bare Debian 12.
#   scripts/install-deps.sh [demo|test|fuzz|package]   (default: test)
#   demo  build the programs and the plug-in
#   test  also the test suite's tools (python3-jsonschema checks the JSON answers),
#         the benchmark library, clang-format, and help2man and man-db for the man pages
#   fuzz  also clang and its sanitizer runtime, for fuzz/run.sh
#   package  also dpkg-dev and lintian, for scripts/check-package.sh
set -eu

DEMO="cmake make g++ pkg-config qtbase5-dev qtbase5-dev-tools libcli11-dev nlohmann-json3-dev fonts-dejavu-core"
TEST="$DEMO libbenchmark-dev iverilog verilator ghdl opensta yosys clang-format help2man man-db python3-jsonschema"
FUZZ="$TEST clang libclang-rt-14-dev"
PACKAGE="$TEST dpkg-dev lintian"

case "${1:-test}" in
demo) PACKAGES=$DEMO ;;
test) PACKAGES=$TEST ;;
fuzz) PACKAGES=$FUZZ ;;
package) PACKAGES=$PACKAGE ;;
*) echo "usage: scripts/install-deps.sh [demo|test|fuzz|package]" >&2; exit 2 ;;
esac

missing=""
for pkg in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $pkg"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "mirel: missing Debian packages:$missing" >&2
    echo "mirel: install them as root: apt-get install -y$missing" >&2
    exit 1
fi
echo "mirel: installing$missing"
export DEBIAN_FRONTEND=noninteractive
# A fresh machine may have stale package lists; refresh only when the install fails.
apt-get install -y --no-install-recommends $missing || { apt-get update && apt-get install -y --no-install-recommends $missing; }
