#!/usr/bin/env python3
# Two mirel-calc binaries on the same --jsonl stream, started in interleaved rounds
# (the order alternating), so that a busy moment of the machine hits both alike.
# Prints the CPU and wall time of each and the new/old ratios, min/median/max.
#   bench/calc_stream_ab.py OLD NEW [ROUNDS] [REQUEST]
#   (default 15 rounds of 100 000 lines '{"clkin": 27, "clkout": 100, "tolerance": 0.5}')
import os, statistics, sys, tempfile, time

old, new = sys.argv[1], sys.argv[2]
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 15
request = sys.argv[4] if len(sys.argv) > 4 else '{"clkin": 27, "clkout": 100, "tolerance": 0.5}'
lines = 100000
requests = tempfile.NamedTemporaryFile('w', suffix='.jsonl')
requests.write((request + '\n') * lines)
requests.flush()
devnull = os.open(os.devnull, os.O_WRONLY)


def once(program):
    with open(requests.name, 'rb') as f:
        start = time.perf_counter()
        pid = os.posix_spawn(program, [program, '--jsonl'], os.environ,
                             file_actions=[(os.POSIX_SPAWN_DUP2, f.fileno(), 0), (os.POSIX_SPAWN_DUP2, devnull, 1)])
        _, status, usage = os.wait4(pid, 0)
        assert os.waitstatus_to_exitcode(status) == 0, program
        return {'wall': time.perf_counter() - start, 'cpu': usage.ru_utime + usage.ru_stime}


once(old), once(new)  # warm the caches
runs = {old: [], new: []}
for r in range(rounds):
    for program in ((old, new) if r % 2 == 0 else (new, old)):
        runs[program].append(once(program))


def spread(values, digits=3):
    return '/'.join(f'{v:.{digits}f}' for v in (min(values), statistics.median(values), max(values)))


print(f'{rounds} interleaved rounds of {lines} lines {request}, min/median/max:')
for kind in ('cpu', 'wall'):
    print(f'  {kind} s  old {spread([t[kind] for t in runs[old]])}  new {spread([t[kind] for t in runs[new]])}  '
          f'new/old {spread([n[kind] / o[kind] for o, n in zip(runs[old], runs[new])])}')
