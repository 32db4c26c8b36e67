#!/bin/sh
# Builds the Debian package of a build folder with CPack and runs lintian on it;
# fails on any lintian error and lists the warnings.
#   scripts/check-package.sh [BUILD]   (default: build; needs dpkg-dev and lintian,
#   which scripts/install-deps.sh package installs)
set -eu
build=$(cd "${1:-build}" && pwd)
cd "$build"
cpack -G DEB >/dev/null
deb=$(ls -t mirel_*.deb | head -n 1)
report=$(lintian --tag-display-limit 0 "$deb" 2>/dev/null || true)
[ -z "$report" ] || printf '%s\n' "$report"
if printf '%s\n' "$report" | grep -q '^E: '; then
    echo "lintian: errors in $deb" >&2
    exit 1
fi
echo "package: $build/$deb, no lintian errors"
