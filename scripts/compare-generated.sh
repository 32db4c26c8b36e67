#!/bin/sh
# Generates every seed configuration of fuzz/corpus/ (batch options and .ipc
# files) with the mirel-host of two build folders and compares everything they
# wrote and printed, and the options the core reports, byte for byte. Use it
# around a change that must not alter any output:
#   scripts/compare-generated.sh OLD_BUILD NEW_BUILD
# (a build folder copied elsewhere still works: its programs find their libraries and
# plug-in through relative paths; a build of the older layout, with lib/ and plugins/
# at its top, is run with those named)
set -u
[ $# -eq 2 ] || { echo "usage: scripts/compare-generated.sh OLD_BUILD NEW_BUILD" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

host() { # command, arguments: mirel-host of $build
    command=$1
    shift
    if [ -d "$build/plugins/mirel" ]; then
        LD_LIBRARY_PATH="$build/lib" "$build/bin/mirel-host" "$command" --plugin-dir "$build/plugins/mirel" "$@"
    else
        "$build/bin/mirel-host" "$command" "$@"
    fi
}

generate() { # build folder, output folder
    build=$(cd "$1" && pwd)
    out=$2
    for seed in "$root"/fuzz/corpus/fuzz_options/*; do
        name=options-$(basename "$seed" .txt)
        mkdir -p "$out/$name"
        # The seeds' value prefixes ("d:", "b:", ...) only pick a type; a script passes text.
        set --
        while IFS= read -r line || [ -n "$line" ]; do
            case $line in
            device=*) set -- "$@" --device "${line#device=}" ;;
            *=?:*) set -- "$@" "${line%%=*}=$(printf '%s' "${line#*=}" | cut -c3-)" ;;
            *=*) set -- "$@" "$line" ;;
            esac
        done <"$seed"
        (cd "$out/$name" && host create --show-args "$@" dir=. >out 2>err; echo "exit $?" >>out)
    done
    # What the core reports of its options, as text and as JSON.
    mkdir -p "$out/keys"
    host keys >"$out/keys/text" 2>&1
    host keys --json >"$out/keys/json" 2>&1
    for seed in "$root"/fuzz/corpus/fuzz_ipcloader/*; do
        name=ipc-$(basename "$seed" .ipc)
        mkdir -p "$out/$name"
        cp "$seed" "$out/$name/in.ipc"
        (cd "$out/$name" && host open --show-args in.ipc >out 2>err; echo "exit $?" >>out)
    done
}

generate "$1" "$work/old"
generate "$2" "$work/new"
# The folders differ only in their names; the texts may carry them.
find "$work/old" -type f -exec sed -i "s|$work/old|WORK|g" {} +
find "$work/new" -type f -exec sed -i "s|$work/new|WORK|g" {} +
if diff -r "$work/old" "$work/new" | head -n 60 && diff -r "$work/old" "$work/new" >/dev/null; then
    echo "identical: $(find "$work/new" -type f | wc -l) files from $(ls "$work/new" | wc -l) runs"
else
    exit 1
fi
