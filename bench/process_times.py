#!/usr/bin/env python3
# Whole-process times of the programs next to the floors measured in the same run:
# an empty QCoreApplication and an empty QApplication program. The commands take
# turns, round by round, so that a busy neighbour slows all of them alike.
#   bench/process_times.py BUILD_BIN_DIR [ROUNDS]
import os, statistics, subprocess, sys, tempfile, time

if len(sys.argv) not in (2, 3):
    sys.exit('usage: bench/process_times.py BUILD_BIN_DIR [ROUNDS]')
bin_dir = os.path.abspath(sys.argv[1])
rounds = int(sys.argv[2]) if len(sys.argv) == 3 else 30
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
out = tempfile.mkdtemp()
ipc = os.path.join(out, 'pll_27to100', 'pll_27to100.ipc')  # the module gets a folder of its own
commands = {
    'floor: empty QCoreApplication': ['mirel-floor-core'],
    'floor: empty QApplication': ['mirel-floor-gui'],
    'mirel-host info': ['mirel-host', 'info'],
    'mirel-host create (example options)':
        ['mirel-host', 'create', '--options', os.path.join(root, 'examples', 'pll-27to100.json'), 'dir=' + out],
    'mirel-host open (its .ipc)': ['mirel-host', 'open', ipc],
    'mirel-calc 27 -> 100 MHz': ['mirel-calc', '--clkin', '27', '--clkout', '100', '--tolerance', '0.5', '--json'],
}
env = dict(os.environ, QT_QPA_PLATFORM='offscreen', XDG_RUNTIME_DIR=tempfile.mkdtemp())
times = {name: [] for name in commands}
for round_ in range(rounds + 5):  # the first five warm the caches and are dropped
    for name, argv in commands.items():
        start = time.perf_counter()
        subprocess.run([os.path.join(bin_dir, argv[0])] + argv[1:], env=env, stdout=subprocess.DEVNULL, check=True)
        if round_ >= 5:
            times[name].append((time.perf_counter() - start) * 1000)

floor_core = statistics.median(times['floor: empty QCoreApplication'])
floor_gui = statistics.median(times['floor: empty QApplication'])
print('| command | min | median | max (ms) | median / QCoreApplication floor | median / QApplication floor |')
print('|---|---|---|---|---|---|')
for name, runs in times.items():
    median = statistics.median(runs)
    print('| %s | %.1f | %.1f | %.1f | %.2f | %.2f |'
          % (name, min(runs), median, max(runs), median / floor_core, median / floor_gui))
print('\n%d rounds after 5 warm-up rounds' % rounds)
