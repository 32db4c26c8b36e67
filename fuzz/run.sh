#!/bin/sh
# Runs each fuzz target (or the ones named) for SECONDS seconds, or for N
# executions each with --runs N (the long run), on a copy of its seed corpus
# (the checked-in corpus never grows), one target at a time and niced, and
# prints executions, their rate and the corpus size; then replays each grown corpus with every generated module
# compiled (Icarus Verilog, GHDL). Builds build-fuzz first when needed. Any crash, hang, sanitizer
# report or broken invariant fails the run; its input is kept in
# build-fuzz/fuzz-artifacts/<target>/ (replay: build-fuzz/bin/<target> FILE).
set -eu
usage="usage: fuzz/run.sh SECONDS [TARGET ...] | fuzz/run.sh --runs N [TARGET ...]"
limit=-max_total_time
if [ "${1:-}" = --runs ]; then
    limit=-runs
    shift
fi
[ $# -ge 1 ] || { echo "$usage" >&2; exit 2; }
case $1 in ""|*[!0-9]*) echo "$usage" >&2; exit 2 ;; esac
[ "$1" -gt 0 ] || { echo "$usage" >&2; exit 2; }
amount=$1
shift
cd "$(dirname "$0")/.."
root=$(pwd)
build=$root/build-fuzz
# The dialog-level targets, then the fast ones for the layers under them.
all="fuzz_ipcloader fuzz_options fuzz_modgen fuzz_ipcreader fuzz_optionfiles fuzz_names fuzz_modargs"
targets=${*:-$all}
for target in $targets; do
    case " $all " in *" $target "*) ;; *) echo "fuzz: unknown target '$target' (targets: $all)" >&2; exit 2 ;; esac
done

scripts/install-deps.sh fuzz
mkdir -p "$build"
# shellcheck disable=SC2086
{ CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DMIREL_FUZZ=ON -DMIREL_SANITIZE=ON -DMIREL_WERROR=OFF &&
  nice cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target $targets; } >"$build/fuzz-build.log" 2>&1 ||
    { tail -n 40 "$build/fuzz-build.log"; echo "fuzz: the build failed (log: $build/fuzz-build.log)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$build/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Qt allocates on nearly every call: recording a short stack per allocation and a
# smaller quarantine keep the fuzzing loop fast; replaying an input without them
# (build-fuzz/bin/<target> FILE) gives the full stacks.
fuzz_asan=malloc_context_size=2:quarantine_size_mb=16:max_malloc_fill_size=0
# The targets write scratch files; memory-backed ones when there are.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm

status=0
for target in $targets; do
    mkdir -p "$work/$target/corpus" "$work/$target/artifacts"
    cp "fuzz/corpus/$target/"* "$work/$target/corpus/"
    seeds=$(find "$work/$target/corpus" -type f | wc -l)
    log=$work/$target/log
    if ASAN_OPTIONS=$fuzz_asan nice "$build/bin/$target" "$limit=$amount" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/$target/artifacts/" "$work/$target/corpus" >"$log" 2>&1; then
        result=ok
    else
        result=FAILED
        status=1
        mkdir -p "$build/fuzz-artifacts/$target"
        cp "$work/$target/artifacts/"* "$build/fuzz-artifacts/$target/" 2>/dev/null || true
        echo "---- $target: end of its log; the input is in $build/fuzz-artifacts/$target/"
        grep -v '^#[0-9]' "$log" | tail -n 60
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    if [ -z "$runs" ]; then
        # Older libFuzzer: only "Done N runs in S second(s)".
        runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1/p' "$log")
        time=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\2/p' "$log")
        [ -n "$runs" ] && [ "${time:-0}" -gt 0 ] && rate=$((runs / time))
    fi
    # libFuzzer's own count of the inputs it keeps, and their total size.
    corpus=$(sed -n 's/.*DONE .* corp: \([0-9]*\)\/\([0-9]*[a-zA-Z]*\).*/\1 inputs, \2/p' "$log")
    printf '%-18s %-6s %9s executions %6s exec/s  corpus %s (from %s seeds)\n' \
        "$target" "$result" "${runs:-?}" "${rate:-?}" "${corpus:-?}" "$seeds"
    # The grown corpus once more, now compiling every module generated.
    [ "$result" = ok ] || continue
    case $target in fuzz_ipcloader | fuzz_options | fuzz_modgen) ;; *) continue ;; esac
    replay=$work/$target/replay
    if MIREL_FUZZ_COMPILE=1 nice "$build/bin/$target" -runs=0 -timeout=120 -rss_limit_mb=2048 \
        -artifact_prefix="$work/$target/artifacts/" "$work/$target/corpus" >"$replay" 2>&1; then
        printf '%-18s %-6s %9s generated modules compile (iverilog, ghdl)\n' "" ok "$(grep -c '^COMPILED ' "$replay")"
    else
        status=1
        mkdir -p "$build/fuzz-artifacts/$target"
        cp "$work/$target/artifacts/"* "$build/fuzz-artifacts/$target/" 2>/dev/null || true
        echo "---- $target: a generated module does not compile; the input is in $build/fuzz-artifacts/$target/"
        grep -v '^#[0-9]\|^COMPILED ' "$replay" | tail -n 60
    fi
done
exit $status
