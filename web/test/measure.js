// Times whole Chris Hard runs on the page in headless Chromium, with one
// worker and with all of them, against the console program with its default
// threads, on the same seeds; prints each seed's times and the totals.
//   WEB_DIR=build-web/site NATIVE=build/mansion-randomizer node measure.js [SEED...]
// Without seeds: the twenty longest searches of seeds 1 to 200 (LONGEST and
// SEED_RANGE=1-200 set others). WORKERS=1,2 sets the worker counts (default:
// 1 and the page's own default, one per core up to eight); REPEATS=3 runs
// every setting three times and keeps each seed's best time, for a machine
// that others share.
// The page's time is from the start of a run (its workers already loaded) to
// its files; the console program's is its whole process, start to exit. On
// Linux the processor time of each setting is added up as well (the whole
// browser's for the page, over the whole exchange with it), which tells a
// shared machine's missing cores from work the page wastes.
'use strict';

const fs = require('node:fs');
const { settings, startBrowser, runNative, waitForState } = require('./harness.js');

// Processor time in ms that the processes under `rootPid` (or, with
// `children`, the finished children of this process) have used so far; 0
// where /proc cannot tell.
function cpuMs(rootPid, children = false) {
  const ticksToMs = 10; // Linux counts in ticks of 1/100 s
  const fieldsOf = (pid) => {
    const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
    return stat.slice(stat.lastIndexOf(')') + 2).split(' ');
  };
  try {
    if (children) {
      const fields = fieldsOf('self');
      return (Number(fields[13]) + Number(fields[14])) * ticksToMs;
    }
    const parents = new Map();
    const ticks = new Map();
    for (const entry of fs.readdirSync('/proc')) {
      if (!/^[0-9]+$/.test(entry)) continue;
      try {
        const fields = fieldsOf(entry);
        parents.set(Number(entry), Number(fields[1]));
        ticks.set(Number(entry), Number(fields[11]) + Number(fields[12]));
      } catch {
        // the process ended meanwhile
      }
    }
    let total = 0;
    for (const [pid, used] of ticks) {
      for (let ancestor = pid; ancestor > 1; ancestor = parents.get(ancestor) || 0) {
        if (ancestor === rootPid) {
          total += used;
          break;
        }
      }
    }
    return total * ticksToMs;
  } catch {
    return 0;
  }
}

function chrisHard(seed) {
  return { seed, chris: true, hard: true, enemies: false, modifiers: [] };
}

function attemptsOf(text) {
  const found = /sequence:(\d+)/.exec(text);
  return found ? Number(found[1]) : NaN;
}

// The seeds whose searches are the longest: the console program runs each.
function longestSeeds(config, first, last, count) {
  const runs = [];
  for (let seed = first; seed <= last; seed += 1) {
    runs.push({ seed, attempts: attemptsOf(runNative(config, chrisHard(seed)).stdout) });
  }
  runs.sort((a, b) => b.attempts - a.attempts || a.seed - b.seed);
  return runs.slice(0, count).map((run) => run.seed).sort((a, b) => a - b);
}

// Runs `seed` from the page's form with `workers` in the Threads field;
// returns { ms, attempts }.
async function pageRun(page, seed, workers) {
  await page.evaluate((seedText, threads) => {
    document.getElementById('seed').value = seedText;
    document.getElementById('threads').value = String(threads);
    document.querySelector('input[name="character"][value="chris"]').checked = true;
    document.querySelector('input[name="difficulty"][value="hard"]').checked = true;
    document.getElementById('generate').click();
  }, String(seed), workers);
  if (await waitForState(page, ['done', 'failed'], 600000) !== 'done') throw new Error(`seed ${seed}: the run failed`);
  return {
    ms: Number(await page.$eval('#elapsed', (span) => span.dataset.ms)),
    attempts: attemptsOf(await page.$eval('#console', (pre) => pre.textContent)),
  };
}

function keepBest(best, key, ms) {
  best.set(key, Math.min(best.get(key) ?? Infinity, ms));
}

async function main() {
  const config = settings();
  const repeats = Number(process.env.REPEATS || 1);
  const [first, last] = (process.env.SEED_RANGE || '1-200').split('-').map(Number);
  const seeds = process.argv.length > 2 ? process.argv.slice(2).map(Number)
    : longestSeeds(config, first, last, Number(process.env.LONGEST || 20));
  const session = await startBrowser(config);
  const best = new Map(); // "seed/setting" -> best ms
  const cpu = new Map(); // setting -> processor ms over all rounds
  const attempts = new Map();
  const browserPid = session.browser.process().pid;
  const wall = new Map(); // setting -> ms over all rounds
  const addCpu = (key, cpuUsed, ms) => {
    cpu.set(key, (cpu.get(key) || 0) + cpuUsed);
    wall.set(key, (wall.get(key) || 0) + ms);
  };
  let workerCounts;
  try {
    const page = await session.browser.newPage();
    await page.goto(session.baseUrl);
    await waitForState(page, ['idle'], 10000);
    const allWorkers = Number(await page.$eval('#threads', (field) => field.value));
    workerCounts = process.env.WORKERS ? process.env.WORKERS.split(',').map(Number) : [...new Set([1, allWorkers])];
    for (let round = 0; round < repeats; round += 1) {
      for (const seed of seeds) {
        const nativeCpu = cpuMs(0, true);
        const native = runNative(config, chrisHard(seed));
        addCpu('console', cpuMs(0, true) - nativeCpu, native.ms);
        attempts.set(seed, attemptsOf(native.stdout));
        keepBest(best, `${seed}/console`, native.ms);
        for (const workers of workerCounts) {
          const pageCpu = cpuMs(browserPid);
          const pageStarted = process.hrtime.bigint();
          const run = await pageRun(page, seed, workers);
          addCpu(`${workers}`, cpuMs(browserPid) - pageCpu, Number(process.hrtime.bigint() - pageStarted) / 1e6);
          if (run.attempts !== attempts.get(seed)) {
            throw new Error(`seed ${seed}: the page took ${run.attempts} attempts on ${workers} workers, ` +
              `the console program ${attempts.get(seed)}`);
          }
          keepBest(best, `${seed}/${workers}`, run.ms);
        }
      }
    }
  } finally {
    await session.close();
  }

  const settingsShown = [...workerCounts.map((workers) => `${workers}`), 'console'];
  const header = ['seed', 'attempts', ...workerCounts.map((w) => `page ${w}w ms`), 'console ms'];
  console.log(`Chris Hard, best of ${repeats}; console program with its default threads`);
  console.log(header.map((h) => h.padStart(13)).join(''));
  const totals = new Map(settingsShown.map((key) => [key, 0]));
  let totalAttempts = 0;
  for (const seed of seeds) {
    const row = [String(seed), String(attempts.get(seed))];
    totalAttempts += attempts.get(seed);
    for (const key of settingsShown) {
      const ms = best.get(`${seed}/${key}`);
      totals.set(key, totals.get(key) + ms);
      row.push(ms.toFixed(0));
    }
    console.log(row.map((cell) => cell.padStart(13)).join(''));
  }
  console.log(['total', String(totalAttempts), ...settingsShown.map((key) => totals.get(key).toFixed(0))]
    .map((cell) => cell.padStart(13)).join(''));
  for (const workers of workerCounts) {
    const ms = totals.get(`${workers}`);
    console.log(`page on ${workers} worker${workers === 1 ? '' : 's'}: ` +
      `${((ms * 1e6) / totalAttempts).toFixed(0)} ns per candidate, ` +
      `${(totals.get(`${workerCounts[0]}`) / ms).toFixed(2)} times as fast as on ${workerCounts[0]}, ` +
      `${(ms / totals.get('console')).toFixed(2)} times the console program's time`);
  }
  const rounds = repeats === 1 ? '' : ` (mean of ${repeats} rounds)`;
  console.log(`processor time${rounds}: ` + settingsShown.map((key) =>
    `${key === 'console' ? 'console program' : `page on ${key}`} ${(cpu.get(key) / repeats / 1000).toFixed(1)} s, ` +
    `${(cpu.get(key) / wall.get(key)).toFixed(2)} cores busy`).join('; '));
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
