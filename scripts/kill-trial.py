#!/usr/bin/env python3
"""Kills runs of the program with SIGKILL at random moments, over and over in
one folder, and after each kill checks that the files in the folder all come
from one run (byte for byte the files of one reference run).

  usage: scripts/kill-trial.py PROGRAM TRIALS [--key-route]

Prints how many runs were killed, how many finished first, how often the
files were replaced (by finished runs and by runs killed during their
renames), how often a look
right after a kill found files of two runs while the renames of the killed run
were still going on, and how many kills left files of two runs for good (which must be 0).
"""
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

program, trials = sys.argv[1], int(sys.argv[2])
key_route = '--key-route' in sys.argv[3:]
names = ['ItemListJillNormal.txt', 'CheatSheetJillNormal.txt'] + (['KeyRouteJillNormal.txt'] if key_route else [])
seeds = range(1, 41)
folder = tempfile.mkdtemp(prefix='kill-trial-')


def run(seed, output):
    command = [program, '--seed', str(seed), '--character', 'jill', '--difficulty', 'normal', '--threads', '1',
               '--output-dir', output] + (['--key-route'] if key_route else [])
    return subprocess.Popen(command, stdout=subprocess.DEVNULL)


def files(output):
    return tuple(open(os.path.join(output, name), 'rb').read() for name in names)


reference = {}
durations = []
for seed in seeds:
    start = time.monotonic()
    run(seed, f'{folder}/reference-{seed}').wait()
    durations.append(time.monotonic() - start)
    reference[seed] = files(f'{folder}/reference-{seed}')
# Kills land anywhere in a whole run, its writing included.
window = 1.2 * sorted(durations)[len(durations) // 2]
work = f'{folder}/work'
run(1, work).wait()

killed = finished = transient = mixed = replaced = 0
was_mixed = False
current = files(work)
rng = random.Random(18)
for trial in range(trials):
    process = run(seeds[trial % len(seeds)], work)
    time.sleep(rng.uniform(0, window))
    process.send_signal(signal.SIGKILL)
    if process.wait() == -signal.SIGKILL:
        killed += 1
    else:
        finished += 1
    consistent = files(work) in reference.values()
    if not consistent and not was_mixed:
        # The killed run's renames may still be going on: look again later.
        time.sleep(0.5)
        consistent = files(work) in reference.values()
        transient += consistent
    if not consistent:
        # Counted once: the next runs may be killed before they mend it.
        mixed += not was_mixed
        was_mixed = True
        continue
    was_mixed = False
    replaced += files(work) != current
    current = files(work)
left = sum('.tmp' in name for name in os.listdir(work))
print(f'{trials} runs, killed within {window * 1000:.1f} ms: {killed} killed, {finished} finished first; the files '
      f'replaced {replaced} times; files of two runs seen for a moment after {transient} kills, mixed for good by '
      f'{mixed}; {left} temporary files left by killed runs')
shutil.rmtree(folder)
