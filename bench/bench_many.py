#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Many modules in one mirel-host run, against C programs writing the same files.

    bench/bench_many.py [BUILD_DIR] [ROUNDS] [MODULES ...]    (default: build 5 1000)

For each count N of modules, every round runs, in an order shuffled per round:
  - mirel-host create over a JSON-lines file of N modules (one process);
  - mirel-floor-files writing the five files of each of N modules, each module
    durable on its own (write, fdatasync, rename, folder fsync): "durable floor";
  - the same, a group of 16 modules at a time (their data synced in one pass,
    then renamed, then each folder synced), as mirel-host groups its commits;
  - the same without any sync: "write floor".
Each run writes into a fresh folder on the file system of the system's temporary
folder (TMPDIR), removed before the next run. mirel-timed-run times each run from
spawn to reap, with its CPU time (user + system) and peak memory from the kernel
(wait4).

Printed per N: wall and CPU time per module (min / median / max over the rounds),
and each command's ratio to the durable floor of the same round (min / median /
max of the per-round ratios). The modules are the example's settings with CLKIN
varied from 20 to 69 MHz, CLKOUT 100 and CLKOUTD 25 MHz at 2.0 %."""
import json, os, random, shutil, statistics, subprocess, sys, tempfile

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else 'build')
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
counts = [int(n) for n in sys.argv[3:]] or [1000]
host = os.path.join(build, 'bin', 'mirel-host')
floor = os.path.join(build, 'bin', 'mirel-floor-files')
timer = os.path.join(build, 'bin', 'mirel-timed-run')
work = tempfile.mkdtemp(prefix='mirel-bench-many-')
env = dict(os.environ, QT_QPA_PLATFORM='offscreen', XDG_RUNTIME_DIR=tempfile.mkdtemp())


def module(i):
    # The example's settings with the input clock varied, so the searches differ.
    return {'module': 'pll_%d' % i, 'file': 'pll_%d' % i, 'CLKIN_FREQ': 20 + i % 50, 'CLKOUT_FREQ': 100,
            'CLKOUT_TOLERANCE': '2.0', 'CLKOUTD': True, 'CLKOUTD_FREQ': 25, 'CLKOUTD_TOLERANCE': '2.0'}


def lines_file(n):
    path = os.path.join(work, 'modules-%d.jsonl' % n)
    with open(path, 'w') as f:
        for i in range(n):
            f.write(json.dumps(module(i)) + '\n')
    return path


def timed(argv):
    """Wall ms, CPU ms and peak RSS MiB of one run of argv."""
    r = subprocess.run([timer] + argv, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    wall, cpu, rss, status = (int(v) for v in r.stdout.split())
    if r.returncode != 0 or status != 0:
        sys.exit('failed: %s\n%s' % (' '.join(argv), r.stderr[-2000:]))
    return wall / 1000, cpu / 1000, rss / 1024


def spread(values):
    return min(values), statistics.median(values), max(values)


# The floor writes copies of the files of one module that mirel-host made.
sample = os.path.join(work, 'sample')
timed([host, 'create', '--options', lines_file(1), 'dir=' + sample])
sample = os.path.join(sample, 'pll_0')

print('bench/bench_many.py %s %d %s' % (sys.argv[1] if len(sys.argv) > 1 else 'build', rounds,
                                        ' '.join(str(n) for n in counts)))
for n in counts:
    out = os.path.join(work, 'out')
    commands = {
        'mirel-host create, one run': [host, 'create', '--options', lines_file(n), 'dir=' + out],
        'durable floor: each module synced': [floor, sample, 'pll_0', out, str(n), 'sync'],
        'grouped floor: 16 modules a sync pass': [floor, sample, 'pll_0', out, str(n), 'grouped=16'],
        'write floor: no sync': [floor, sample, 'pll_0', out, str(n), 'nosync'],
    }
    runs = {name: [] for name in commands}
    for round_ in range(rounds + 1):  # the first round warms the caches and is not counted
        order = list(commands.items())
        random.shuffle(order)
        for name, argv in order:
            shutil.rmtree(out, ignore_errors=True)
            result = timed(argv)
            if round_ > 0:
                runs[name].append(result)
    shutil.rmtree(out, ignore_errors=True)
    base = runs['durable floor: each module synced']
    print('\n%d modules, %d rounds: per module ms (min / median / max); ratio to the durable floor of the same '
          'round (min / median / max); peak RSS of a run' % (n, rounds))
    print('| command | wall ms | CPU ms | wall / durable floor | CPU / durable floor | peak RSS MiB |')
    print('|---|---|---|---|---|---|')
    for name, results in runs.items():
        wall = spread([r[0] / n for r in results])
        cpu = spread([r[1] / n for r in results])
        wall_ratio = spread([r[0] / b[0] for r, b in zip(results, base)])
        cpu_ratio = spread([r[1] / b[1] for r, b in zip(results, base)])
        print('| %s | %.2f / %.2f / %.2f | %.2f / %.2f / %.2f | %.2f / %.2f / %.2f | %.2f / %.2f / %.2f | %.1f |'
              % ((name,) + wall + cpu + wall_ratio + cpu_ratio + (max(r[2] for r in results),)))
shutil.rmtree(work)
