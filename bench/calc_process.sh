#!/bin/sh
# mirel-calc beside the C tools, in one run: whole processes (icepll, an empty C
# program, mirel-calc) started in interleaved rounds, and the --jsonl stream's
# throughput. Installs what it needs (fpga-icestorm for icepll), builds mirel-calc
# as Release in ./build-bench, and prints min/median/max with ratios.
#   bench/calc_process.sh [ROUNDS]      (default 400 rounds)
set -eu
cd "$(dirname "$0")/.."
ROUNDS=${1:-400}

need=""
command -v icepll >/dev/null 2>&1 || need="$need fpga-icestorm"
command -v python3 >/dev/null 2>&1 || need="$need python3"
command -v cc >/dev/null 2>&1 || need="$need gcc"
if [ -n "$need" ]; then
    [ "$(id -u)" -eq 0 ] || { echo "bench: install$need first (as root)" >&2; exit 1; }
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need \
        || { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need; }
fi

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target mirel-calc -j2 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'int main(void) { return 0; }\n' > "$work/empty.c"
cc -O2 "$work/empty.c" -o "$work/empty-c"
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
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status;
    struct rusage usage;
    wait4(pid, &status, 0, &usage);
    printf("%ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
C
cc -O2 "$work/peak.c" -o "$work/peak"

python3 - "$ROUNDS" "$work" <<'PY'
import os, statistics, subprocess, sys, time

rounds, work = int(sys.argv[1]), sys.argv[2]
calc = os.path.abspath('build-bench/bin/mirel-calc')
commands = {
    'empty C program': [work + '/empty-c'],
    'icepll -i 27 -o 100': ['icepll', '-i', '27', '-o', '100'],
    'mirel-calc --clkin 27 --clkout 100 --tolerance 0.5': [calc, '--clkin', '27', '--clkout', '100', '--tolerance', '0.5'],
    'mirel-calc ... --json': [calc, '--clkin', '27', '--clkout', '100', '--tolerance', '0.5', '--json'],
}
paths = {k: (v[0] if '/' in v[0] else subprocess.check_output(['which', v[0]], text=True).strip()) for k, v in commands.items()}
devnull = os.open(os.devnull, os.O_WRONLY)
times = {k: [] for k in commands}
rss = {k: 0 for k in commands}

def once(name):
    argv = commands[name]
    start = time.perf_counter()
    pid = os.posix_spawn(paths[name], argv, os.environ, file_actions=[(os.POSIX_SPAWN_DUP2, devnull, 1)])
    _, status = os.waitpid(pid, 0)
    elapsed = (time.perf_counter() - start) * 1000
    assert os.waitstatus_to_exitcode(status) == 0, name
    return elapsed

for _ in range(20):                      # warm the caches
    for name in commands:
        once(name)
for _ in range(rounds):                  # interleaved, so a busy moment hits all alike
    for name in commands:
        times[name].append(once(name))

floor = statistics.median(times['empty C program'])
icepll = statistics.median(times['icepll -i 27 -o 100'])
print(f'Whole processes, {rounds} interleaved rounds, wall ms (spawn to reap); peak RSS of one run:')
print(f'| command | min | median | max | median / empty C | median / icepll | peak RSS |')
print(f'|---|---|---|---|---|---|---|')
for name in commands:
    rss[name] = int(subprocess.check_output([work + '/peak'] + commands[name], text=True))
for name, t in times.items():
    med = statistics.median(t)
    print(f'| `{name}` | {min(t):.2f} | {med:.2f} | {max(t):.2f} | {med / floor:.2f} | {med / icepll:.2f} | {rss[name] / 1024:.2f} MiB |')

def stream(lines, n):
    path = os.path.join(work, 'requests.jsonl')
    with open(path, 'w') as f:
        for i in range(n):
            f.write(lines[i % len(lines)] + '\n')
    wall, cpu = [], []
    for _ in range(5):
        with open(path, 'rb') as f:
            start = time.perf_counter()
            pid = os.posix_spawn(calc, [calc, '--jsonl'], os.environ,
                                 file_actions=[(os.POSIX_SPAWN_DUP2, f.fileno(), 0), (os.POSIX_SPAWN_DUP2, devnull, 1)])
            _, status, usage = os.wait4(pid, 0)
            wall.append(n / (time.perf_counter() - start))
            cpu.append(n / (usage.ru_utime + usage.ru_stime))
            assert os.waitstatus_to_exitcode(status) == 0
    return wall, cpu

n = 100000
cases = {
    'worst case, 192 -> 100 MHz at 0 %': ['{"clkin": 192, "clkout": 100, "tolerance": 0}'],
    'worked example, 27 -> 100 MHz at 0.5 %': ['{"clkin": 27, "clkout": 100, "tolerance": 0.5}'],
    'floor: refused before any search': ['{"clkin": 27}'],
}
rates = {k: stream(v, n) for k, v in cases.items()}
floor_rate = statistics.median(rates['floor: refused before any search'][1])
print(f'\n--jsonl throughput, {n} requests a run, 5 runs, requests per second of wall time and of CPU time (one core):')
print('| stream | wall min | wall median | wall max | CPU min | CPU median | CPU max | CPU time per request / floor |')
print('|---|---|---|---|---|---|---|---|')
for name, (wall, cpu) in rates.items():
    print(f'| {name} | {min(wall):,.0f} | {statistics.median(wall):,.0f} | {max(wall):,.0f} | '
          f'{min(cpu):,.0f} | {statistics.median(cpu):,.0f} | {max(cpu):,.0f} | {floor_rate / statistics.median(cpu):.2f} |')
PY
