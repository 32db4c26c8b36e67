#!/bin/sh
# The calculator beside its floors, in one run: the divider searches beside a plain
# row-nearest loop (mirel-bench, repetitions shuffled among the benchmarks); whole
# processes (an empty C program, icepll's calculation and refusal, mirel-calc's)
# started in interleaved rounds; the --jsonl streams run in turn with
# bench/floor_calc.c, a plain C program giving the same answers. Installs what it
# needs (fpga-icestorm for icepll, libbenchmark-dev), builds Release in
# ./build-bench, prints min/median/max and ratios.
#   bench/calc_process.sh [ROUNDS] [STREAM_RUNS] [REPETITIONS]   (default 400, 9, 20)
set -eu
cd "$(dirname "$0")/.."
ROUNDS=${1:-400}
RUNS=${2:-9}
REPETITIONS=${3:-20}

need=""
command -v icepll >/dev/null 2>&1 || need="$need fpga-icestorm"
command -v python3 >/dev/null 2>&1 || need="$need python3"
command -v cc >/dev/null 2>&1 || need="$need gcc"
[ -f /usr/include/benchmark/benchmark.h ] || need="$need libbenchmark-dev"
if [ -n "$need" ]; then
    [ "$(id -u)" -eq 0 ] || { echo "bench: install$need first (as root)" >&2; exit 1; }
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need \
        || { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need; }
fi

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target mirel-calc mirel-bench -j2 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build-bench/bin/mirel-bench --benchmark_repetitions="$REPETITIONS" --benchmark_min_time=0.05 \
    --benchmark_enable_random_interleaving=true --benchmark_format=json >"$work/search.json" 2>/dev/null
printf 'int main(void) { return 0; }\n' > "$work/empty.c"
cc -O2 "$work/empty.c" -o "$work/empty-c"
cc -O2 bench/floor_calc.c -o "$work/floor-calc" -lm
# Peak memory of one process: a small forking parent, since a child spawned from
# Python would carry Python's own peak.
cat > "$work/peak.c" <<'C'
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
int main(int argc, char **argv)
{
    (void)argc;
    pid_t pid = fork();
    if (pid == 0) {
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status;
    struct rusage usage;
    wait4(pid, &status, 0, &usage);
    printf("%ld\n", usage.ru_maxrss);
    return 0;
}
C
cc -O2 "$work/peak.c" -o "$work/peak"

python3 - "$ROUNDS" "$RUNS" "$work" <<'PY'
import collections, json, os, statistics, subprocess, sys, time

rounds, runs, work = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]


def spread(values, digits=2):
    return ' / '.join(f'{v:.{digits}f}' for v in (min(values), statistics.median(values), max(values)))


search = collections.defaultdict(dict)
for b in json.load(open(work + '/search.json'))['benchmarks']:
    if b['run_type'] == 'iteration':
        search[b['run_name']][b['repetition_index']] = b['cpu_time']
print(f'Divider searches (mirel-bench), {len(search["floorLoop/0"])} repetitions each, shuffled; CPU ns per search, '
      'and ÷ floorLoop of the same case by repetition:')
print('| benchmark | ns min / median / max | ÷ floorLoop |')
print('|---|---|---|')
for name, t in sorted(search.items(), key=lambda item: (item[0].split('/')[-1], 'floor' not in item[0])):
    floor = search.get('floorLoop/' + name.split('/')[-1]) if '/' in name else None
    versus = spread([t[i] / floor[i] for i in t]) if floor else '–'
    print(f'| {name} | {spread(list(t.values()), 0)} | {versus} |')
print()
calc = os.path.abspath('build-bench/bin/mirel-calc')
icepll = subprocess.check_output(['which', 'icepll'], text=True).strip()
# name: (argv, exit status, the icepll row it is set beside)
commands = {
    'empty C program': ([work + '/empty-c'], 0, None),
    'icepll -i 27 -o 100': ([icepll, '-i', '27', '-o', '100'], 0, None),
    'icepll -i 27 -o 2000 (refused)': ([icepll, '-i', '27', '-o', '2000'], 1, None),
    'mirel-calc --clkin 27 --clkout 100 --tolerance 0.5':
        ([calc, '--clkin', '27', '--clkout', '100', '--tolerance', '0.5'], 0, 'icepll -i 27 -o 100'),
    'mirel-calc --clkin 27 --clkout 100 --tolerance 0.5 --json':
        ([calc, '--clkin', '27', '--clkout', '100', '--tolerance', '0.5', '--json'], 0, 'icepll -i 27 -o 100'),
    'mirel-calc --clkin 27 --clkout 2000 (refused)':
        ([calc, '--clkin', '27', '--clkout', '2000'], 2, 'icepll -i 27 -o 2000 (refused)'),
    'mirel-calc --clkin 100 --clkout 600 (refused, nearest listed)':
        ([calc, '--clkin', '100', '--clkout', '600'], 1, 'icepll -i 27 -o 2000 (refused)'),
}
devnull = os.open(os.devnull, os.O_WRONLY)


def once(argv, status):
    start = time.perf_counter()
    pid = os.posix_spawn(argv[0], argv, os.environ,
                         file_actions=[(os.POSIX_SPAWN_DUP2, devnull, 1), (os.POSIX_SPAWN_DUP2, devnull, 2)])
    _, got = os.waitpid(pid, 0)
    elapsed = (time.perf_counter() - start) * 1000
    assert os.waitstatus_to_exitcode(got) == status, argv
    return elapsed


times = {name: [] for name in commands}
for r in range(20 + rounds):  # 20 rounds warm the caches; interleaved, so a busy moment hits all alike
    for name, (argv, status, _) in commands.items():
        t = once(argv, status)
        if r >= 20:
            times[name].append(t)
print(f'Whole processes, {rounds} interleaved rounds, wall time from spawn to reap; ratios per round:')
print('| command | ms min / median / max | ÷ empty C program | ÷ icepll | peak RSS |')
print('|---|---|---|---|---|')
floor = times['empty C program']
for name, (argv, _, beside) in commands.items():
    rss = int(subprocess.check_output([work + '/peak'] + argv, text=True)) / 1024
    versus = spread([a / b for a, b in zip(times[name], times[beside])]) if beside else '–'
    print(f'| `{name}` | {spread(times[name])} | {spread([a / b for a, b in zip(times[name], floor)])} | '
          f'{versus} | {rss:.2f} MiB |')

n = 100000
streams = {'worked example, 27 -> 100 MHz at 0.5 %': '{"clkin": 27, "clkout": 100, "tolerance": 0.5}',
           'worst case, 192 -> 100 MHz at 0 %': '{"clkin": 192, "clkout": 100, "tolerance": 0}'}
programs = {'mirel-calc --jsonl': [calc, '--jsonl'], 'floor_calc': [work + '/floor-calc']}
for name, line in streams.items():
    path = os.path.join(work, name.split(',')[0].replace(' ', '-') + '.jsonl')
    with open(path, 'w') as f:
        f.write((line + '\n') * n)
    streams[name] = path
    answers = [subprocess.run(argv, stdin=open(path), capture_output=True, check=True).stdout.splitlines()
               for argv in programs.values()]
    assert len(answers[0]) == n and [json.loads(a) for a in answers[0][:1000]] == \
        [json.loads(a) for a in answers[1][:1000]] and len(set(answers[0])) == 1, 'the floor answers differently'

cpu = {}
for _ in range(runs):  # each stream and program in turn
    for stream, path in streams.items():
        for program, argv in programs.items():
            with open(path, 'rb') as f:
                pid = os.posix_spawn(argv[0], argv, os.environ,
                                     file_actions=[(os.POSIX_SPAWN_DUP2, f.fileno(), 0), (os.POSIX_SPAWN_DUP2, devnull, 1)])
                _, status, usage = os.wait4(pid, 0)
            assert os.waitstatus_to_exitcode(status) == 0
            cpu.setdefault((stream, program), []).append(usage.ru_utime + usage.ru_stime)
print(f'\n--jsonl, {n} identical requests a run, {runs} interleaved runs; requests per second of CPU time '
      '(user + system, one core), and CPU time per run ÷ the floor\'s in the same round:')
print('| stream | program | requests/s CPU min / median / max | ÷ floor_calc |')
print('|---|---|---|---|')
for (stream, program), t in cpu.items():
    floor = cpu[(stream, 'floor_calc')]
    rate = [n / s / 1000 for s in t]
    print(f'| {stream} | `{program}` | {spread(rate, 0)} k | {spread([a / b for a, b in zip(t, floor)])} |')
PY
