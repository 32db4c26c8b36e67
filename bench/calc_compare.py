#!/usr/bin/env python3
"""Feeds two mirel-calc builds the same random --jsonl requests and compares the answers byte for byte.

    bench/calc_compare.py REFERENCE/mirel-calc build/bin/mirel-calc [COUNT] [SEED]

COUNT requests per device (default 100000): General Mode targets, ties (targets halfway between two
frequencies, CLKINs that are whole or simple fractions), Advanced Mode, bypass, CLKOUTD, and malformed lines."""
import json, random, subprocess, sys

reference, candidate = sys.argv[1], sys.argv[2]
count = int(sys.argv[3]) if len(sys.argv) > 3 else 100000
rng = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 20)
devices = json.load(open(__file__.rsplit('/', 2)[0] + '/host/device/devices.json'))['devices']
junk = ['{"clkin": 27,', '[1]', '"x"', '{"clkin": 1e999, "clkout": 1}', '{"clkin": 27, "bypass": 1}',
        '{"clkin": 27, "clkout": "1e2x"}', '{"clkin": [27], "clkout": 100}', '{"cl\\u00e9": 1}',
        '{"clkin": "27\\n", "clkout": 100}', '{"clkin": 27, "clkout": 100, "idiv": 4.0}', '{} {}',
        '{"clkin": 27, "clkout": 100, "clkout": null}', '{"clkin": 18446744073709551616, "bypass": true}']


def number(lo, hi):
    kind = rng.random()
    if kind < 0.3:
        return rng.randint(max(1, int(lo)), max(1, int(hi)))
    if kind < 0.5:
        return round(rng.uniform(lo, hi), rng.randint(0, 3))
    return rng.uniform(lo, hi)


def request(device):
    pll, r = device['pll'], {'device': rng.choice([device['id'], device['device'].lower()])}
    r['clkin'] = number(pll['clkinMin'] * 0.8, pll['clkinMax'] * 1.05)
    mode = rng.random()
    if mode < 0.75:
        if rng.random() < 0.3:  # halfway between two ratios, or a ratio itself
            a, b, c = rng.randint(1, 64), rng.randint(1, 64), rng.randint(1, 64)
            r['clkout'] = r['clkin'] * (a / b + (c / b if rng.random() < 0.5 else 0)) / (2 if rng.random() < 0.5 else 1)
        else:
            r['clkout'] = number(2, pll['clkoutMax'] * 2.1)
        r['tolerance'] = rng.choice([0, 0.0, 0.001, 0.1, 0.5, 2, 10, number(0, 5)])
        if rng.random() < 0.3:
            r['alternatives'] = rng.randint(0, 9)
    elif mode < 0.9:
        r.update(idiv=rng.randint(0, 65), fbdiv=rng.randint(1, 64), odiv=rng.choice([2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128, 6]))
    else:
        r['bypass'] = rng.choice([True, True, False, None])
    if rng.random() < 0.2:
        r['clkoutd'] = number(0.01, pll['clkoutMax'])
        r['clkoutd-tolerance'] = rng.choice([0, 1, 2.5])
    elif rng.random() < 0.1:
        r['sdiv'] = rng.randint(1, 130)
    return json.dumps(r)


same = True
for device in devices:
    lines = [rng.choice(junk) if rng.random() < 0.03 else request(device) for _ in range(count)]
    text = ('\n'.join(lines) + '\n').encode()
    answers = [subprocess.run([exe, '--jsonl'], input=text, capture_output=True, check=True)
               for exe in (reference, candidate)]
    answers = [(a.stdout, a.stderr) for a in answers]
    worked, understood = answers[0][0].count(b'"ok":true'), answers[0][0].count(b'"error":null')
    print(f"{device['id']}: {count} requests, {worked} worked, {understood - worked} refused by the search, "
          f"answers {'identical' if answers[0] == answers[1] else 'DIFFER'}")
    same = same and answers[0] == answers[1]
sys.exit(0 if same else 1)
