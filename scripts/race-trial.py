#!/usr/bin/env python3
"""Starts 2 or 3 runs of the program at once in one folder, round after round,
and counts the rounds after which the folder holds files of two runs.

  usage: scripts/race-trial.py PROGRAM ROUNDS

The runs are started so that they would end together (each run's start is
delayed by how much shorter than the longest it took alone, plus up to 5
ms), so their writing overlaps. In half the rounds the runs share a seed and setting and differ by the enemy
randomizer and a modifier (their searches take the same time); in the others
each run has its own seed, character and difficulty (most rounds give all
runs the same setting, so their file names collide) and the enemy randomizer
on or off. Every run writes the key route and the spoiler file too. After a round,
for each setting in the folder, the four files must be byte for byte the
files of one of that round's runs of that setting, and no temporary file may
be left. Prints the number of rounds, how many had runs of one setting
racing for the same names, and how many ended mixed (which must be 0).
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

program, rounds = sys.argv[1], int(sys.argv[2])
settings = [('jill', 'normal'), ('chris', 'normal'), ('jill', 'hard'), ('chris', 'hard')]
seeds = range(2, 14)
folder = tempfile.mkdtemp(prefix='race-trial-')


def names(setting):
    tail = setting[0].capitalize() + setting[1].capitalize()
    return [f'ItemList{tail}.txt', f'CheatSheet{tail}.txt', f'KeyRoute{tail}.txt', f'Spoiler{tail}.json']


def start(run, output):
    seed, setting, enemies, modifier = run
    command = [program, '--seed', str(seed), '--character', setting[0], '--difficulty', setting[1],
               '--key-route', '--spoiler-json', '--threads', '1', '--output-dir', output]
    command += (['--enemies'] if enemies else []) + (['--modifier', str(modifier)] if modifier else [])
    return subprocess.Popen(command, stdout=subprocess.DEVNULL)


def files(output, setting):
    return tuple(open(os.path.join(output, name), 'rb').read() for name in names(setting))


reference = {}
duration = {}


def reference_files(run):
    if run not in reference:
        output = f'{folder}/reference'
        began = time.monotonic()
        if start(run, output).wait() != 0:
            sys.exit(f'reference run {run} failed')
        duration[run] = time.monotonic() - began
        reference[run] = files(output, run[1])
        shutil.rmtree(output)
    return reference[run]


rng = random.Random(26)
mixed = colliding = failed = 0
for number in range(rounds):
    shared = rng.random() < 0.7
    setting = rng.choice(settings)
    count = rng.choice((2, 3))
    if rng.random() < 0.5:
        # One seed and setting, told apart by the enemies and a modifier: the
        # searches take the same time, so the writing overlaps closely.
        seed = rng.choice(seeds)
        runs = [(seed, setting, False, 0), (seed, setting, True, 0), (seed, setting, True, 3)][:count]
    else:
        runs = [(rng.choice(seeds), setting if shared else rng.choice(settings), rng.random() < 0.5, 0)
                for _ in range(count)]
    for run in runs:
        reference_files(run)
    work = f'{folder}/round-{number}'
    os.mkdir(work)
    longest = max(duration[run] for run in runs)
    delays = sorted((longest - duration[run] + rng.uniform(0, 0.005), k) for k, run in enumerate(runs))
    began = time.monotonic()
    processes = []
    for delay, k in delays:
        time.sleep(max(0.0, began + delay - time.monotonic()))
        processes.append(start(runs[k], work))
    failed += sum(process.wait() != 0 for process in processes)
    colliding += len({run[1] for run in runs}) < len(runs)
    ok = not any('.tmp' in name for name in os.listdir(work))
    for each in {run[1] for run in runs}:
        ok = ok and files(work, each) in [reference[run] for run in runs if run[1] == each]
    if not ok:
        mixed += 1
        print(f'round {number} mixed: {runs} in {work}')
        continue
    shutil.rmtree(work)
print(f'{rounds} rounds of 2 or 3 simultaneous runs ({colliding} with two runs of one setting), '
      f'{failed} runs failed, {mixed} rounds left files of two runs')
if mixed == 0:
    shutil.rmtree(folder)
sys.exit(1 if mixed or failed else 0)
