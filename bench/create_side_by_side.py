#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Times "mirel-host create" of two builds side by side in one run: each round runs
# a floor (the newer build's "info": start and plug-in load), the older and the
# newer create in a shuffled order, so that a busy machine weighs on all alike.
# Usage: create_side_by_side.py OLD/bin/mirel-host NEW/bin/mirel-host OPTIONS.json [ROUNDS [OUT_PARENT]]
# (OUT_PARENT: where the modules are written, e.g. /dev/shm to leave the disk's syncs out)
import os, random, statistics, subprocess, sys, tempfile, time

old, new, options = sys.argv[1:4]
rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 100
out = tempfile.mkdtemp(dir=sys.argv[5] if len(sys.argv) > 5 else None)
commands = {'floor: info': [new, 'info'],
            'before: create': [old, 'create', '--options', options, 'dir=' + out + '/before'],
            'after: create': [new, 'create', '--options', options, 'dir=' + out + '/after']}
wall = {k: [] for k in commands}
cpu = {k: [] for k in commands}
with open(os.devnull, 'w') as devnull:
    for i in range(rounds + 5):
        order = list(commands.items())
        random.shuffle(order)
        for name, command in order:
            start = time.perf_counter()
            process = subprocess.Popen(command, stdout=devnull)
            _, status, usage = os.wait4(process.pid, 0)
            if status != 0:
                sys.exit('%s failed' % ' '.join(command))
            if i >= 5:  # warm-up rounds are not counted
                wall[name].append((time.perf_counter() - start) * 1000)
                cpu[name].append((usage.ru_utime + usage.ru_stime) * 1000)
for label, data in (('wall', wall), ('cpu', cpu)):
    floor = statistics.median(data['floor: info'])
    for name, times in data.items():
        m = statistics.median(times)
        print('%-4s %-15s min %6.1f  median %6.1f  max %6.1f ms   / floor median: %.2f %.2f %.2f'
              % (label, name, min(times), m, max(times), min(times) / floor, m / floor, max(times) / floor))
    print('%s after / before (medians): %.3f' % (label, statistics.median(data['after: create'])
                                                 / statistics.median(data['before: create'])))
