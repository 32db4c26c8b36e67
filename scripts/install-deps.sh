#!/bin/sh
# Installs the Debian packages the build and the tests need, when any is missing.
set -eu

PACKAGES="cmake make g++ pkg-config qtbase5-dev qtbase5-dev-tools fonts-dejavu-core libbenchmark-dev iverilog verilator ghdl clang libclang-rt-14-dev"

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
