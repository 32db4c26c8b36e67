#!/usr/bin/env python3
"""Feeds two mirel-calc builds the same random --jsonl requests and the same argument lists, and compares
standard output, standard error and exit status byte for byte.

    bench/calc_compare.py REFERENCE/mirel-calc build/bin/mirel-calc [COUNT] [SEED]

COUNT requests per device (default 100000), each device's stream run plain, with --strict and with --device:
General Mode targets, ties (targets halfway between two frequencies, CLKINs that are whole or simple
fractions), Advanced Mode, bypass, CLKOUTD, options without effect, more decimals than the form keeps, the
options' names and the keys' spellings, ids of every JSON kind, blank and malformed lines. Then a fixed set of
command lines: results, refusals, usage errors, --json, --strict."""
import json, random, subprocess, sys

reference, candidate = sys.argv[1], sys.argv[2]
count = int(sys.argv[3]) if len(sys.argv) > 3 else 100000
rng = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 20)
devices = json.load(open(__file__.rsplit('/', 2)[0] + '/host/device/devices.json'))['devices']
junk = ['{"clkin": 27,', '[1]', '"x"', '{"clkin": 1e999, "clkout": 1}', '{"clkin": 27, "bypass": 1}',
        '{"clkin": 27, "clkout": "1e2x"}', '{"clkin": [27], "clkout": 100}', '{"cl\\u00e9": 1}',
        '{"clkin": "27\\n", "clkout": 100}', '{"clkin": 27, "clkout": 100, "idiv": 4.0}', '{} {}',
        '{"clkin": 27, "clkout": 100, "clkout": null}', '{"clkin": 18446744073709551616, "bypass": true}',
        '', '   ', '\t\r', '{"id": 5}', '{"id": 1, "bogus": 2}', '{"CLKIN_FREQ": 27, "clkin": 27, "bypass": true}',
        '{"id": 3, "clkin": 27, "clkout": 100, "tolerance": 1}', '{"id": "\\u00e9\\u0001", "clkin": "x"}',
        '{"clkin": "27\udcff", "clkout": 100}', '{"id": 1', '{"id": 2, "clkin": 27, "clkout-freq": 100, "CLKOUT_FREQ": 1}',
        '{"clkin": 27, "profiles": [74.25, {"clkout": 148.5}], "id": 3}', '{"best-clkin": true, "clkout": 25.175, "top": 2}']
# Each option under its name, its batch key and the key in lower case with dashes.
spellings = {'clkin': ['CLKIN_FREQ', 'clkin-freq'], 'clkout': ['CLKOUT_FREQ', 'clkout-freq'],
             'tolerance': ['CLKOUT_TOLERANCE', 'clkout-tolerance'],
             'idiv': ['CLKIN_DIVIDE_STATIC_SEL', 'clkin-divide-static-sel'],
             'fbdiv': ['CLKFB_DIVIDE_STATIC_SEL', 'clkfb-divide-static-sel'],
             'odiv': ['CLKOUT_DIVIDER', 'clkout-divider'], 'clkoutd': ['CLKOUTD_FREQ', 'clkoutd-freq'],
             'clkoutd-tolerance': ['CLKOUTD_TOLERANCE'], 'sdiv': ['CLKOUTD_DIVIDE', 'clkoutd-divide'],
             'bypass': ['CLKOUT_BYPASS', 'clkout-bypass']}
tolerances = [0, 0.0, 0.2, 0.5, 2, 2.0, '0.5', 0.5, 2.0]


def number(lo, hi):
    kind = rng.random()
    if kind < 0.3:
        return rng.randint(max(1, int(lo)), max(1, int(hi)))
    if kind < 0.5:
        return round(rng.uniform(lo, hi), rng.randint(0, 3))
    return rng.uniform(lo, hi)


def request(device, with_device):
    pll, r = device['pll'], {}
    if with_device:
        r['device'] = rng.choice([device['id'], device['device'].lower()])
    r['clkin'] = number(pll['clkinMin'] * 0.8, pll['clkinMax'] * 1.05)
    mode = rng.random()
    advanced = 0.75 <= mode < 0.9
    if mode < 0.75:
        if rng.random() < 0.3:  # halfway between two ratios, or a ratio itself
            a, b, c = rng.randint(1, 64), rng.randint(1, 64), rng.randint(1, 64)
            r['clkout'] = r['clkin'] * (a / b + (c / b if rng.random() < 0.5 else 0)) / (2 if rng.random() < 0.5 else 1)
        else:
            r['clkout'] = number(2, pll['clkoutMax'] * 2.1)
        r['tolerance'] = rng.choice(tolerances + [0.001, 1, number(0, 5)] if rng.random() < 0.05 else tolerances)
        if rng.random() < 0.3:
            r['alternatives'] = rng.randint(0, 9)
    elif advanced:
        r.update(idiv=rng.randint(0, 65), fbdiv=rng.randint(1, 64), odiv=rng.choice([2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128, 6]))
    else:
        r['bypass'] = rng.choice([True, True, False, None])
    if rng.random() < 0.2:
        r['clkoutd'] = number(0.01, pll['clkoutMax'])
        r['clkoutd-tolerance'] = rng.choice(tolerances + [1, 2.5] if rng.random() < 0.1 else tolerances)
    elif rng.random() < (0.4 if advanced else 0.03):
        r['sdiv'] = rng.randint(1, 130)
    spelt = {rng.choice([name] + spellings.get(name, [])) if rng.random() < 0.3 else name: value
             for name, value in r.items()}
    if rng.random() < 0.3:
        spelt['id'] = rng.choice([rng.randint(-5, 10**6), str(rng.random()), rng.random() * 1e3, None, True,
                                  [1, 'a'], {'b': 1, 'a': [2.5]}, 2**64])
    items = list(spelt.items())
    rng.shuffle(items)
    return json.dumps(dict(items))


def run(argv, text=b''):
    return [subprocess.run([exe] + argv, input=text, capture_output=True) for exe in (reference, candidate)]


def same(results):
    return all((a.stdout, a.stderr, a.returncode) == (results[0].stdout, results[0].stderr, results[0].returncode)
               for a in results)


identical = True
for device in devices:
    for flags in ([], ['--strict'], ['--device', rng.choice([device['device'], device['id']])]):
        # Requests name their device, except under --device and on the default device.
        named = flags[:1] != ['--device'] and (flags or device is not devices[0])
        lines = [rng.choice(junk) if rng.random() < 0.03 else request(device, named) for _ in range(count)]
        answers = run(['--jsonl'] + flags, ('\n'.join(lines) + '\n').encode(errors='surrogateescape'))
        out = answers[0].stdout
        worked, understood = out.count(b'"ok":true'), out.count(b'"error":null')
        print(f"{device['id']} --jsonl {' '.join(flags)}: {count} requests, {worked} worked, "
              f"{understood - worked} refused by the search, answers {'identical' if same(answers) else 'DIFFER'}")
        identical = identical and same(answers)

argument_lists = '''--help
--version
--clkin 27 --clkout 100 --tolerance 0.5
--clkin 27 --clkout 100 --tolerance 0.5 --json
--clkin-freq 27 --clkout-freq 100 --clkout-tolerance 0.5 --clkoutd-freq 25 --clkoutd-tolerance 2 --json
--clkin 27 --clkout 100 --tolerance 0.5 --clkoutd 25 --clkoutd-tolerance 2
--clkin 27 --clkout 100
--clkin 27 --clkout 100 --json
--clkin 27 --clkout 100 --alternatives 2 --json
--clkin 100 --clkout 600
--clkin 100 --clkout 600 --json
--clkin 27 --clkout 2000
--clkin 27 --clkout 2000 --json
--clkin 27 --clkout abc
--clkin 27 --clkout abc --json
--clkin 27 --clkout 100 --tolerance 1 --json
--clkin 27 --clkout 100 --tolerance -1
--clkin 50 --clkout 33.33333333333
--clkin 50 --clkout 33.33333333333 --strict --json
--clkin 50.0000001 --clkout 33.333 --tolerance 2
--clkin 27 --bypass --clkoutd 6.75
--clkin 27 --bypass --clkoutd 6.75 --json
--clkin 27 --bypass --clkoutd 6.75 --clkoutd-tolerance 2 --strict --json
--clkin 27 --bypass --clkoutd 6.75 --strict
--clkin 3 --bypass
--clkin 3 --bypass --json
--clkin 27 --idiv 1 --fbdiv 4 --odiv 4 --sdiv 6
--clkin 27 --idiv 1 --fbdiv 4 --odiv 4 --sdiv 3 --json
--clkin 27 --idiv 1 --fbdiv 4 --odiv 4 --clkoutd 9 --json
--clkin-freq 27 --clkin-divide 1 --clkfb-divide 4 --clkout-divider 4 --clkoutd-divide 6 --json
--clkin 27 --clkin-divide-static-sel 1 --clkfb-divide-static-sel 4 --odiv 5
--clkin 27 --idiv 1 --fbdiv 4
--clkin 27 --idiv 1 --fbdiv 4 --odiv 4 --clkout 100
--clkin 27 --idiv 1 --fbdiv 4 --odiv 4 --bypass --json
--clkin 27 --idiv 0 --fbdiv 4 --odiv 4
--clkin 27 --clkout 100 --sdiv 4 --json
--clkin 27 --clkoutd 5 --sdiv 4
--clkin 27 --tolerance 0.5 --bypass
--clkin 27 --bypass --clkoutd-tolerance 2
--clkout 100
--device AXL-25 --clkin 100 --idiv 1 --fbdiv 64 --odiv 2 --json
--device brn-4lp --clkin 27 --clkout 100 --tolerance 0.5
--device XYZ --clkin 27 --bypass
--device XYZ --clkin 27 --bypass --json
--clkin 27 --bypass 42
--clkin 27 --freq=1 --bogus 100
--bogus --clkin-freq
--clkin 1 --bypass --clkin-freq 2 x
--clkin
--clkin=
--clkin=27 --bypass=true
--clkin=27 --bypass
--clkin -5 --bypass
-x --clkin 27 --bypass
- --clkin 27 --bypass
--clkin 27 --bypass --json --json
--clkin 27 --clkout 100 --alternatives 5000
--jsonl --clkin 27
--jsonl --clkin-freq 27
--jsonl --bypass
--jsonl --json
--jsonl --help
--help --clkin 27
--version --bogus
--clkin 1e999 --bypass
--clkin 27 --clkout 0x10
--clkin 27 --profiles 74.25,148.5::74.25,108,100:0.5
--clkin 27 --profiles 74.25,148.5::74.25,108,100:0.5 --json
--clkin 27 --profiles 74.25,25.175:0.5 --alternatives 3
--clkin 27 --profiles 74.25,x
--clkin 27 --profiles 74.25,x --json
--joint --clkin 27 --json
--clkin 27 --profiles
--clkin 27 --profiles 1 --profiles 2
--clkin 27 --profiles 74.25 --bogus 5
--best-clkin --clkout 25.175 --top 4
--best-clkin --clkout 25.175 --clkin-range 10:30 --top 3 --json
--best-clkin=1 --clkout 25
--clkin 27 --clkout 100 --crystals 25
--joint --clkin 27 --clkout 100 --tolerance 2 --clkoutd 4 --clkoutd-tolerance 2
--joint --clkin 27 --clkout 100 --tolerance 2 --clkoutd 4 --clkoutd-tolerance 2 --json
--jsonl --joint
--jsonl --joint --json'''.split('\n')
for line in argument_lists:
    results = run(line.split())
    if not same(results):
        print(f'mirel-calc {line}: DIFFER')
        identical = False
stream = b'''{"id": 1, "clkin": 27, "clkout": 100}

{"clkin": 27, "bypass": true, "clkoutd": 9}
{"clkin": 27, "profiles": [74.25, {"clkout": 148.5, "clkoutd": 74.25}], "id": [3]}
{"clkin": 27, "profiles": "74.25,x", "id": 4}
{"best-clkin": true, "clkout": 25.175, "top": 2}
{"joint": true, "clkin": 27, "clkout": 100, "tolerance": 2, "clkoutd": 4, "clkoutd-tolerance": 2}
{"joint": true, "CLKIN_FREQ": 27}
'''
for flags in ([], ['--strict'], ['--device', 'AXL-25', '--strict'], ['--device', 'bogus'], ['--device=']):
    results = run(['--jsonl'] + flags, stream)
    if not same(results):
        print(f'mirel-calc --jsonl {" ".join(flags)}: DIFFER')
        identical = False
print(f'{len(argument_lists)} command lines and 5 short streams: {"identical" if identical else "see above"}')
sys.exit(0 if identical else 1)
