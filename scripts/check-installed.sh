#!/bin/sh
# Installs the build into a temporary prefix and runs the installed programs with
# the build tree moved aside, so nothing can be found there: info, create, sim
# (PASS), mirel-calc, both programs' --version, their man pages (read with man -l)
# and the bash completion.
#   scripts/check-installed.sh [BUILD]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
prefix=$(mktemp -d)
hidden="$build.hidden-$$"
restore() { [ -d "$hidden" ] && mv "$hidden" "$build"; rm -rf "$prefix"; }
trap restore EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
mv "$build" "$hidden"
export QT_QPA_PLATFORM=offscreen
cd "$prefix"
bin/mirel-host info >/dev/null
bin/mirel-host create --options share/mirel/examples/pll-27to100.json dir=out >/dev/null
bin/mirel-host sim out/pll_27to100/pll_27to100.ipc | tail -n 1 | grep -qx PASS
bin/mirel-calc --clkin 27 --clkout 100 --tolerance 0.5 >/dev/null
for program in mirel-host mirel-calc; do
    bin/$program --version | grep -qx "$program [0-9.]*"
    MANWIDTH=80 man -l "share/man/man1/$program.1.gz" 2>/dev/null | grep -q "^ *$program  *- "
done
bash -c '. share/bash-completion/completions/mirel-host && complete -p mirel-host' >/dev/null
echo "installed tree: info, create, sim PASS, mirel-calc, --version, man pages, bash completion"
