#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""mirel-host create of two builds side by side, against the empty QApplication program.

    bench/create_side_by_side.py OLD_BUILD NEW_BUILD [ROUNDS [OUT_PARENT]]

Each round runs the floor (NEW_BUILD's mirel-floor-gui, offscreen), OLD_BUILD's and
NEW_BUILD's `mirel-host create --options examples/pll-27to100.json` in an order shuffled
per round, after three rounds that are not counted; NEW_BUILD's mirel-timed-run times
each run from spawn to reap, with its CPU time. OUT_PARENT is where the modules are
written (default: the system's temporary folder; /dev/shm leaves the disk's syncs out).
Printed: wall and CPU ms (min / median / max), the ratio to the floor's run of the same
round and the ratio new / old of the same round (min / median / max)."""
import os, random, shutil, statistics, subprocess, sys, tempfile

if len(sys.argv) < 3:
    sys.exit(__doc__)
old, new = (os.path.abspath(a) for a in sys.argv[1:3])
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 100
out = tempfile.mkdtemp(dir=sys.argv[4] if len(sys.argv) > 4 else None)
example = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), 'examples', 'pll-27to100.json')
timer = os.path.join(new, 'bin', 'mirel-timed-run')
env = dict(os.environ, QT_QPA_PLATFORM='offscreen', XDG_RUNTIME_DIR=tempfile.mkdtemp())
commands = {'floor: empty QApplication': [os.path.join(new, 'bin', 'mirel-floor-gui')],
            'old: create': [os.path.join(old, 'bin', 'mirel-host'), 'create', '--options', example, 'dir=' + out + '/old'],
            'new: create': [os.path.join(new, 'bin', 'mirel-host'), 'create', '--options', example, 'dir=' + out + '/new']}
runs = {name: [] for name in commands}
for round_ in range(rounds + 3):
    order = list(commands.items())
    random.shuffle(order)
    for name, argv in order:
        r = subprocess.run([timer] + argv, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        wall, cpu, _, status = (int(v) for v in r.stdout.split())
        if r.returncode != 0 or status != 0:
            sys.exit('%s failed:\n%s' % (' '.join(argv), r.stderr[-2000:]))
        if round_ >= 3:
            runs[name].append((wall / 1000, cpu / 1000))
shutil.rmtree(out)


def spread(values):
    return '%.2f / %.2f / %.2f' % (min(values), statistics.median(values), max(values))


floor = runs['floor: empty QApplication']
print('| run | wall ms | CPU ms | wall / floor | CPU / floor |')
print('|---|---|---|---|---|')
for name, mine in runs.items():
    print('| %s | %s | %s | %s | %s |' % (name, spread([w for w, _ in mine]), spread([c for _, c in mine]),
                                          spread([m[0] / f[0] for m, f in zip(mine, floor)]),
                                          spread([m[1] / f[1] for m, f in zip(mine, floor)])))
pairs = list(zip(runs['new: create'], runs['old: create']))
print('\nnew / old, same round: wall %s, CPU %s (%d rounds)'
      % (spread([n[0] / o[0] for n, o in pairs]), spread([n[1] / o[1] for n, o in pairs]), rounds))
