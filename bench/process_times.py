#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Whole-process times of mirel-host's commands next to the floors they are bounded by,
measured in the same run.

    bench/process_times.py [BUILD_DIR] [ROUNDS]    (default: build 30)

Floors: an empty C program (mirel-floor-c), an empty QCoreApplication program
(mirel-floor-core) and an empty QApplication program on the offscreen platform
(mirel-floor-gui). The commands that show nothing (info, devices, keys, sim) are
bounded by the QCoreApplication floor (and --version, which only starts, shows what
mirel-host's own libraries add to it), the commands that build the dialog (create,
open) by the QApplication floor, mirel-calc (no Qt) by the C floor. sim runs with no
simulator on its PATH: what sim itself costs, up to the simulator, which then is
reported missing (exit 2).

Every round runs every command once, in an order shuffled per round, after three
rounds that warm the caches and are not counted. mirel-timed-run times each run from
spawn to reap, with its CPU time (user + system) from the kernel. Printed per command:
wall and CPU ms (min / median / max), and the ratio to its floor's run in the same
round (min / median / max over the rounds)."""
import os, random, shutil, statistics, subprocess, sys, tempfile

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else 'build')
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 30
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
bin_dir = os.path.join(build, 'bin')
timer = os.path.join(bin_dir, 'mirel-timed-run')
work = tempfile.mkdtemp(prefix='mirel-process-times-')
env = dict(os.environ, QT_QPA_PLATFORM='offscreen', XDG_RUNTIME_DIR=tempfile.mkdtemp())
example = os.path.join(root, 'examples', 'pll-27to100.json')
ipc = os.path.join(work, 'pll_27to100', 'pll_27to100.ipc')  # the module gets a folder of its own


def program(name):
    return os.path.join(bin_dir, name)


host = program('mirel-host')
C, CORE, GUI = 'empty C program', 'empty QCoreApplication', 'empty QApplication (offscreen)'
# name: (argv, floor, exit status, extra environment)
commands = {
    C: ([program('mirel-floor-c')], C, 0, {}),
    CORE: ([program('mirel-floor-core')], CORE, 0, {}),
    GUI: ([program('mirel-floor-gui')], GUI, 0, {}),
    'mirel-host --version': ([host, '--version'], CORE, 0, {}),
    'mirel-host info': ([host, 'info'], CORE, 0, {}),
    'mirel-host devices': ([host, 'devices'], CORE, 0, {}),
    'mirel-host keys': ([host, 'keys'], CORE, 0, {}),
    'mirel-host sim MODULE.ipc (no simulator)': ([host, 'sim', ipc], CORE, 2, {'PATH': '/nonexistent'}),
    'mirel-host create --options examples/pll-27to100.json': ([host, 'create', '--options', example, 'dir=' + work],
                                                              GUI, 0, {}),
    'mirel-host open MODULE.ipc': ([host, 'open', ipc], GUI, 0, {}),
    'mirel-calc --clkin 27 --clkout 100 --tolerance 0.5 --json':
        ([program('mirel-calc'), '--clkin', '27', '--clkout', '100', '--tolerance', '0.5', '--json'], C, 0, {}),
}


def timed(argv, status, extra):
    r = subprocess.run([timer] + argv, env=dict(env, **extra), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                       text=True)
    wall, cpu, _, code = (int(v) for v in r.stdout.split())
    if r.returncode != 0 or code != status:
        sys.exit('failed (exit %d): %s\n%s' % (code, ' '.join(argv), r.stderr[-2000:]))
    return wall / 1000, cpu / 1000


def spread(values):
    return '%.2f / %.2f / %.2f' % (min(values), statistics.median(values), max(values))


subprocess.run([host, 'create', '--options', example, 'dir=' + work], env=env, stdout=subprocess.DEVNULL, check=True)
runs = {name: [] for name in commands}
for round_ in range(rounds + 3):
    order = list(commands.items())
    random.shuffle(order)
    for name, (argv, _, status, extra) in order:
        result = timed(argv, status, extra)
        if round_ >= 3:
            runs[name].append(result)
shutil.rmtree(work)

print('bench/process_times.py %s %d' % (sys.argv[1] if len(sys.argv) > 1 else 'build', rounds))
print('\n| command | wall ms | CPU ms | floor | wall / floor | CPU / floor |')
print('|---|---|---|---|---|---|')
for name, (_, floor, _, _) in commands.items():
    mine, base = runs[name], runs[floor]
    print('| %s | %s | %s | %s | %s | %s |'
          % (name, spread([w for w, _ in mine]), spread([c for _, c in mine]), floor,
             spread([m[0] / b[0] for m, b in zip(mine, base)]), spread([m[1] / b[1] for m, b in zip(mine, base)])))
print('\n%d rounds after 3 warm-up rounds; min / median / max' % rounds)
