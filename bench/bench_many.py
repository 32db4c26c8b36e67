#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Batch creation of many modules: N modules in one mirel-host run against N
runs of one module each, with a floor measured in the same session.

    bench/bench_many.py [BUILD_DIR] [REPETITIONS]

Floor: 'mirel-host keys' (process start, Qt, plug-in load; no module). Each
figure is wall time over REPETITIONS runs (min / median / max), with the median
CPU time (user + system) beside it: the difference is mostly waiting for the
disk, since every file is synced before it replaces the old one. Memory is the
peak resident set of a run (GNU time)."""
import json, os, shutil, statistics, subprocess, sys, tempfile, time

build = sys.argv[1] if len(sys.argv) > 1 else 'build'
reps = int(sys.argv[2]) if len(sys.argv) > 2 else 5
host = os.path.join(build, 'bin', 'mirel-host')
work = tempfile.mkdtemp(prefix='mirel-bench-')
env = dict(os.environ, QT_QPA_PLATFORM='offscreen')


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


def timed(cmd):
    t = time.perf_counter()
    r = subprocess.run(['/usr/bin/time', '-f', '%U %S %M'] + cmd, env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.PIPE, text=True)
    elapsed = (time.perf_counter() - t) * 1000
    if r.returncode != 0:
        sys.exit('failed: %s\n%s' % (' '.join(cmd), r.stderr[-2000:]))
    user, system, rss = r.stderr.strip().splitlines()[-1].split()
    return elapsed, (float(user) + float(system)) * 1000, int(rss)


def series(name, run, modules):
    times, cpus, rss = [], [], []
    for _ in range(reps):
        t, c, m = run()
        times.append(t)
        cpus.append(c)
        rss.append(m)
    return name, modules, min(times), statistics.median(times), max(times), statistics.median(cpus), max(rss)


def one_run(n):
    path = lines_file(n)
    out = os.path.join(work, 'one-%d' % n)
    return lambda: timed([host, 'create', '--options', path, 'dir=' + out])


def per_process(n):
    def run():
        total, cpu, peak = 0.0, 0.0, 0
        out = os.path.join(work, 'each-%d' % n)
        for i in range(n):
            args = ['%s=%s' % (k, str(v).lower() if isinstance(v, bool) else v) for k, v in module(i).items()]
            t, c, m = timed([host, 'create', 'dir=' + out] + args)
            total += t
            cpu += c
            peak = max(peak, m)
        return total, cpu, peak
    return run


rows = [series('floor: mirel-host keys', lambda: timed([host, 'keys']), 0)]
for n in (1, 100, 1000):
    rows.append(series('one run, %d modules' % n, one_run(n), n))
rows.append(series('100 runs of 1 module', per_process(100), 100))
shutil.rmtree(work)
floor = rows[0][3]
print('| What | Wall min / median / max ms | Median / floor | Wall ms per module | CPU ms per module | Peak RSS MB |')
print('|---|---|---|---|---|---|')
for name, n, lo, med, hi, cpu, rss in rows:
    each = '%.1f' % (med / n) if n else '–'
    each_cpu = '%.1f' % (cpu / n) if n else '%.0f (whole run)' % cpu
    print('| %s | %.0f / %.0f / %.0f | %.1f | %s | %s | %.0f |'
          % (name, lo, med, hi, med / floor, each, each_cpu, rss / 1024))
