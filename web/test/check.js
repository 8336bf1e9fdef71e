// Browser check of the web generator: opens links to runs in headless
// Chromium and compares the files the page offers for download, byte for
// byte, and its console lines with the console program's for the same seed
// and options, and its file code with the console program's; then checks
// that a race link offers the item list alone, that a bad link, a link of
// another version and a missing SIMD support show their message without a
// run, that the files are the same for 1, 2 and 3 workers and when no worker
// can start, and that cancel stops every worker.
//   WEB_DIR=build-web/site NATIVE=build/mansion-randomizer node check.js
'use strict';

const fs = require('node:fs');
const path = require('node:path');
const { settings, makeTempDir, startBrowser, runNative, checkNative, waitForState } = require('./harness.js');
const { formatRunQuery } = require('../query.js');

const kRunTimeoutMs = 240000;

// All four settings, each once plain and once with enemies and modifiers, and
// a few mixed ones.
const kMatrix = [
  { seed: 1, chris: true, hard: false, enemies: false, modifiers: [] },
  { seed: 20240601, chris: true, hard: false, enemies: true, modifiers: [1, 3] },
  { seed: 7, chris: true, hard: true, enemies: false, modifiers: [] },
  { seed: 1733600000, chris: true, hard: true, enemies: true, modifiers: [1, 2, 3, 4, 5, 6] },
  { seed: 4294967295, jill: true, hard: false, enemies: false, modifiers: [] },
  { seed: 0, jill: true, hard: false, enemies: true, modifiers: [2, 4, 6] },
  { seed: 99, jill: true, hard: true, enemies: false, modifiers: [] },
  { seed: 31337, jill: true, hard: true, enemies: true, modifiers: [5, 6] },
  { seed: 424242, chris: true, hard: true, enemies: true, modifiers: [] },
  { seed: 5150, jill: true, hard: false, enemies: false, modifiers: [6] },
].map(({ jill, ...options }) => ({ ...options, chris: !jill }));

// A Chris Hard seed whose search takes about seven million attempts, so a run
// is still going when the progress line appears.
const kLongRun = { seed: 546, chris: true, hard: true, enemies: false, modifiers: [] };

// A Chris Hard seed of 644443 attempts: forty tasks of the search, shared out
// among the workers.
const kWorkerRun = { seed: 12, chris: true, hard: true, enemies: false, modifiers: [] };

const kThreadsField = '::-p-aria([name="Threads"][role="spinbutton"])';
const kGenerateButton = '::-p-aria([name="Generate"][role="button"])';
const kCancelButton = '::-p-aria([name="Cancel"][role="button"])';

const kBadLinks = [
  '?seed=12ab&character=chris&difficulty=hard',
  '?seed=4294967296&character=jill&difficulty=normal',
  '?character=claire&difficulty=hard',
  '?character=chris',
  '?character=chris&difficulty=hard&modifiers=1,7',
  '?character=chris&difficulty=hard&enemies=yes',
  '?character=chris&difficulty=hard&enemy=1',
];

let passed = 0;
let failed = 0;

function check(condition, what) {
  if (condition) {
    passed += 1;
  } else {
    failed += 1;
    console.log(`FAIL: ${what}`);
  }
  return condition;
}

function describe(options) {
  return formatRunQuery(options).slice(1);
}

// The page's download links: { name (download attribute), text, href }.
function downloadLinks(page) {
  return page.$$eval('#downloads a', (links) => links.map((a) => ({ name: a.download, text: a.textContent, href: a.href })));
}

// Clicks each download link and returns the files Chromium saved.
async function downloadByClicking(page, links) {
  const dir = makeTempDir('mansion-downloads-');
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: dir, eventsEnabled: true });
  const files = new Map();
  try {
    for (const link of links) {
      const finished = new Promise((resolve, reject) => {
        const onProgress = (event) => {
          if (event.state === 'inProgress') return;
          cdp.off('Browser.downloadProgress', onProgress);
          if (event.state === 'completed') resolve();
          else reject(new Error(`download of ${link.name} ${event.state}`));
        };
        cdp.on('Browser.downloadProgress', onProgress);
      });
      await page.click(`#downloads a[download="${link.name}"]`);
      await finished;
      files.set(link.name, fs.readFileSync(path.join(dir, link.name)));
    }
  } finally {
    await cdp.detach();
    fs.rmSync(dir, { recursive: true, force: true });
  }
  return files;
}

// The file code the page shows beside the downloads.
function shownFileCode(page) {
  return page.$eval('::-p-aria([name="File code"][role="status"])', (output) => output.textContent);
}

// Compares a finished page with the console program's run of the same options
// (its link carrying `linked`: the options, or a plando too long for it left out).
async function compareWithNative(config, page, options, label, linked = options) {
  const native = runNative(config, options);
  const links = await downloadLinks(page);
  const names = links.map((link) => link.name);
  check(JSON.stringify(names) === JSON.stringify([...native.files.keys()].sort(sortByRunOrder)),
    `${label}: page offers ${names.join(', ')}, the console program wrote ${[...native.files.keys()].join(', ')}`);
  check(links.every((link) => link.text === link.name), `${label}: link texts are the file names`);
  const downloaded = await downloadByClicking(page, links);
  for (const [name, bytes] of native.files) {
    const got = downloaded.get(name);
    check(got !== undefined && Buffer.compare(got, bytes) === 0,
      `${label}: ${name} differs from the console program's (${got ? got.length : 'no'} bytes, expected ${bytes.length})`);
  }
  for (const [name, bytes] of native.files) {
    if (!name.startsWith('KeyRoute')) continue;
    // The page numbers namesake key items ("Old Key 3") wherever it names them.
    const plain = (text) => text.replace(/Old Key \d/g, 'Old Key');
    const shown = await page.$eval('#key-route', (pre) => pre.textContent);
    check(plain(shown) === plain(bytes.toString('utf8')), `${label}: the key route shown differs from ${name}`);
  }
  const consoleText = await page.$eval('#console', (pre) => pre.textContent);
  check(consoleText === native.stdout, `${label}: console lines differ:\n${consoleText}\n--- console program:\n${native.stdout}`);
  const code = await shownFileCode(page);
  check(native.stdout.includes(`\nFile code: ${code}\n`), `${label}: the page shows file code '${code}'`);
  // The spoiler file reads back as JSON, laid out as JSON.stringify lays it out.
  const spoiler = downloaded.get(names.find((name) => name.startsWith('Spoiler'))).toString('utf8');
  const parsed = JSON.parse(spoiler);
  check(`${JSON.stringify(parsed, null, 2)}\n` === spoiler && parsed.fileCode === code && parsed.slots.length === 180,
    `${label}: spoiler file read back: ${spoiler.slice(0, 300)}`);
  const shared = await page.$eval('#share-link', (a) => a.href);
  check(new URL(shared).search === formatRunQuery(linked), `${label}: link to the run is ${shared}`);
  check(await page.$eval('#seed-used', (s) => s.textContent) === String(options.seed), `${label}: seed shown`);
}

// The order the page lists files in: item list, cheat sheet, key route,
// spoiler file.
function sortByRunOrder(a, b) {
  const rank = (name) => ['ItemList', 'CheatSheet', 'KeyRoute', 'Spoiler'].findIndex((prefix) => name.startsWith(prefix));
  return rank(a) - rank(b);
}

// Makes the page's browser report `cores` processor cores.
function pretendCores(page, cores) {
  return page.evaluateOnNewDocument((count) => {
    Object.defineProperty(navigator, 'hardwareConcurrency', { get: () => count });
  }, cores);
}

// Opens the Advanced disclosure if it is closed and types into Threads.
async function setThreads(page, value) {
  if (!(await page.$(kThreadsField))) await page.locator('::-p-aria(Advanced)').click();
  await page.locator(kThreadsField).fill(String(value));
}

// The page's search workers; the play companion has a worker of its own.
function searchWorkers(page) {
  return page.workers().filter((worker) => worker.url().endsWith('/worker.js'));
}

// Whether the page comes to run exactly `count` search workers within a few
// seconds.
async function workerCountBecomes(page, count) {
  for (let waited = 0; waited < 5000; waited += 50) {
    if (searchWorkers(page).length === count) return true;
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  return false;
}

async function checkLink(config, session, options) {
  const label = describe(options);
  const page = await session.browser.newPage();
  try {
    await page.goto(session.baseUrl + formatRunQuery(options));
    const state = await waitForState(page, ['done', 'failed', 'bad-link', 'no-simd'], kRunTimeoutMs);
    if (check(state === 'done', `${label}: page ended in state ${state}`)) {
      await compareWithNative(config, page, options, label);
    }
  } finally {
    await page.close();
  }
}

// The form, not a link: chosen by clicking, with an empty seed (the clock).
async function checkForm(config, session) {
  const page = await session.browser.newPage();
  try {
    await page.goto(session.baseUrl);
    check(await waitForState(page, ['idle'], 10000) === 'idle', 'form: a page without a query waits');
    await page.click('input[name="character"][value="jill"]');
    await page.click('input[name="difficulty"][value="hard"]');
    await page.click('#enemies');
    await page.click('input[name="modifier"][value="4"]');
    await page.click('#generate');
    const state = await waitForState(page, ['done', 'failed'], kRunTimeoutMs);
    if (check(state === 'done', `form: page ended in state ${state}`)) {
      const seed = Number(await page.$eval('#seed-used', (s) => s.textContent));
      const nowSeconds = Math.floor(Date.now() / 1000);
      check(Math.abs(nowSeconds - seed) < 300, `form: an empty seed field seeds with the clock (got ${seed})`);
      await compareWithNative(config, page, { seed, chris: false, hard: true, enemies: true, modifiers: [4] }, 'form');
    }
  } finally {
    await page.close();
  }
}

async function checkBadLinks(session) {
  const page = await session.browser.newPage();
  try {
    for (const query of kBadLinks) {
      await page.goto(session.baseUrl + query);
      const state = await waitForState(page, ['bad-link', 'running', 'done', 'failed'], 10000);
      // Long enough for a run that should not happen to have started.
      await new Promise((resolve) => setTimeout(resolve, 300));
      const shown = await page.evaluate(() => ({
        state: document.body.dataset.state,
        message: document.getElementById('message').hidden ? '' : document.getElementById('message').textContent,
        runShown: !document.getElementById('run').hidden,
      }));
      check(state === 'bad-link' && shown.state === 'bad-link' && !shown.runShown,
        `bad link ${query}: no run expected, state ${shown.state}`);
      check(/^This link cannot be used: .+\.$/.test(shown.message), `bad link ${query}: message '${shown.message}'`);
    }
  } finally {
    await page.close();
  }
}

// A race link: a secret seed, shown nowhere, and the item list alone, whose
// code the console program's --check confirms.
async function checkRace(config, session) {
  const options = { seed: null, chris: false, hard: true, enemies: true, modifiers: [3], race: true };
  const page = await session.browser.newPage();
  const dir = makeTempDir('mansion-race-');
  // The race's secret seed, known to this check alone, so that it can look
  // for it in the page.
  const secret = 3141592653;
  await page.evaluateOnNewDocument((seed) => {
    const draw = crypto.getRandomValues.bind(crypto);
    crypto.getRandomValues = (array) => (array instanceof Uint32Array && array.length === 1 ? array.fill(seed) : draw(array));
  }, secret);
  try {
    await page.goto(session.baseUrl + formatRunQuery(options));
    const state = await waitForState(page, ['done', 'failed', 'bad-link'], kRunTimeoutMs);
    if (!check(state === 'done', `race: page ended in state ${state}`)) return;
    const ticked = await page.$eval('::-p-aria([name="Race"][role="checkbox"])', (box) => box.checked);
    const links = await downloadLinks(page);
    const text = await page.$eval('#run', (run) => run.innerText);
    const shared = await page.$eval('#share-link', (a) => a.href);
    check(ticked && links.length === 1 && links[0].name === 'ItemListJillHard.txt' && !/\bSeed\b|seed=/.test(text) &&
      new URL(shared).search === formatRunQuery(options), `race: ${links.map((link) => link.name)} offered:\n${text}`);
    const file = path.join(dir, links[0].name);
    fs.writeFileSync(file, (await downloadByClicking(page, links)).get(links[0].name));
    const code = await shownFileCode(page);
    const verdict = checkNative(config, file);
    check(verdict.startsWith(`${file}: file code ${code}\n`), `race: page shows '${code}', --check says:\n${verdict}`);
    // The file is the secret seed's, and the page holds that seed nowhere.
    const seedCheck = checkNative(config, file, ['--seed', String(secret), '--enemies', '--modifier', '3']);
    const html = await page.evaluate(() => document.documentElement.outerHTML + document.body.innerText);
    check(seedCheck.includes(' is exactly the file of: ') && !html.includes(String(secret)), `race: the seed is in the page or the file is another's:\n${seedCheck}`);
    // What the page says of the race: the item list alone, a link to a new race.
    const said = await page.$eval('#result', (box) => box.innerText);
    check(said.includes('Link that starts a new race:') && said.includes("This race's one file is its item list") &&
      !said.includes('cheat sheet'), `race: the page says\n${said}`);
    // Ticking Race empties the seed field.
    await page.click('::-p-aria([name="Race"][role="checkbox"])');
    await page.type('#seed', '12');
    await page.click('::-p-aria([name="Race"][role="checkbox"])');
    check(await page.$eval('#seed', (field) => field.value) === '', 'race: ticking Race keeps the seed typed');
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
    await page.close();
  }
}

async function checkOtherVersion(session) {
  const page = await session.browser.newPage();
  try {
    await page.goto(`${session.baseUrl}?v=2&seed=1&character=chris&difficulty=hard`);
    const state = await waitForState(page, ['bad-link', 'running', 'done', 'failed'], 10000);
    const alert = await page.$eval('::-p-aria([role="alert"])', (p) => p.textContent);
    check(state === 'bad-link' && await page.$eval('#run', (run) => run.hidden) &&
      alert === 'This link was made by another version of the generator (v=2); the files it gives here may differ.',
    `v=2 link: state ${state}, message '${alert}'`);
  } finally {
    await page.close();
  }
}

async function checkNoSimd(session) {
  const page = await session.browser.newPage();
  try {
    await page.evaluateOnNewDocument(() => {
      WebAssembly.validate = () => false;
    });
    await page.goto(`${session.baseUrl}?seed=1&character=jill&difficulty=normal`);
    const state = await waitForState(page, ['no-simd', 'running', 'done'], 10000);
    const shown = await page.evaluate(() => ({
      message: document.getElementById('message').textContent,
      disabled: document.getElementById('generate').disabled,
    }));
    check(state === 'no-simd' && shown.disabled && /WebAssembly SIMD/.test(shown.message),
      `without SIMD: state ${state}, message '${shown.message}'`);
  } finally {
    await page.close();
  }
}

// A link opened where the browser reports three cores runs on three workers;
// the Threads field then sets one and two. The files are the same each time.
async function checkWorkerCounts(config, session) {
  const page = await session.browser.newPage();
  try {
    await pretendCores(page, 3);
    await page.goto(session.baseUrl + formatRunQuery(kWorkerRun));
    for (const workers of [3, 1, 2]) {
      const label = `${describe(kWorkerRun)} on ${workers} workers`;
      if (workers === 3) {
        await page.locator('::-p-aria(Advanced)').click();
        check(await page.$eval(kThreadsField, (field) => field.value) === '3', `${label}: Threads starts at the number of cores`);
      } else {
        await setThreads(page, workers);
        await page.locator(kGenerateButton).click();
      }
      const state = await waitForState(page, ['done', 'failed'], kRunTimeoutMs);
      if (check(state === 'done', `${label}: page ended in state ${state}`)) {
        check(await workerCountBecomes(page, workers), `${label}: the page runs ${searchWorkers(page).length} workers`);
        await compareWithNative(config, page, kWorkerRun, label);
      }
    }
    for (const threads of ['0', '17', '2.5']) {
      await setThreads(page, threads);
      await page.locator(kGenerateButton).click();
      const alert = await page.$eval('[role="alert"]', (element) => element.textContent);
      check(alert === 'Threads must be a whole number from 1 to 16.' &&
        await page.evaluate(() => document.body.dataset.state) === 'done', `Threads ${threads}: message '${alert}'`);
    }
  } finally {
    await page.close();
  }
}

// A browser that starts no worker searches on the page itself, and says so.
async function checkWithoutWorkers(config, session) {
  const options = { seed: 3, chris: false, hard: true, enemies: true, modifiers: [1] };
  const page = await session.browser.newPage();
  try {
    await page.evaluateOnNewDocument(() => {
      window.Worker = function Worker() {
        throw new DOMException('workers are switched off', 'SecurityError');
      };
    });
    await page.goto(session.baseUrl + formatRunQuery(options));
    const state = await waitForState(page, ['done', 'failed'], kRunTimeoutMs);
    if (check(state === 'done', `without workers: page ended in state ${state}`)) {
      const alert = await page.$eval('[role="alert"]', (element) => element.textContent);
      check(/^No worker could be started \(workers are switched off\); the search runs on the page itself/.test(alert),
        `without workers: message '${alert}'`);
      await compareWithNative(config, page, options, 'without workers');
    }
  } finally {
    await page.close();
  }
}

async function checkCancel(config, session) {
  const page = await session.browser.newPage();
  try {
    // Cancelled as soon as its four workers search, long before the run
    // could end by itself, so the check does not race the search.
    await pretendCores(page, 4);
    await page.goto(session.baseUrl + formatRunQuery(kLongRun));
    await waitForState(page, ['running'], 10000);
    check(await workerCountBecomes(page, 4), `cancel: the run searches on ${searchWorkers(page).length} workers, not 4`);
    await page.locator(kCancelButton).click();
    check(await workerCountBecomes(page, 0), `cancel: ${searchWorkers(page).length} workers are still running`);
    const shown = await page.evaluate(() => ({
      state: document.body.dataset.state,
      progress: document.getElementById('progress').textContent,
      links: document.querySelectorAll('#downloads a').length,
      generateEnabled: !document.getElementById('generate').disabled,
      lastLine: document.getElementById('console').textContent.trimEnd().split('\n').pop(),
    }));
    check(shown.state === 'cancelled' && shown.progress === '' && shown.links === 0 && shown.generateEnabled &&
      shown.lastLine === 'Cancelled.', `cancel: page after cancel ${JSON.stringify(shown)}`);

    // The progress line of the same long run on one worker, which searches
    // for seconds after the line first shows; then cancelled again.
    await setThreads(page, 1);
    await page.$eval('#seed', (field, seed) => { field.value = seed; }, String(kLongRun.seed));
    await page.click('#generate');
    await waitForState(page, ['running'], 10000);
    const searching = await page.waitForFunction(() => document.getElementById('progress').textContent, { timeout: 60000, polling: 20 })
      .then((handle) => handle.jsonValue());
    check(/^Searching\.\.\. [0-9]+ attempts so far$/.test(searching), `cancel: progress line reads '${searching}'`);
    await page.locator(kCancelButton).click();
    check(await waitForState(page, ['cancelled', 'done'], 10000) === 'cancelled', 'cancel: the one-worker run was not cancelled');

    // The next run, from the same page, works in a fresh worker.
    const next = { seed: 8, chris: false, hard: false, enemies: false, modifiers: [] };
    await page.$eval('#seed', (field, seed) => { field.value = seed; }, String(next.seed));
    await page.click('input[name="character"][value="jill"]');
    await page.click('input[name="difficulty"][value="normal"]');
    await page.click('#generate');
    const state = await waitForState(page, ['done', 'failed'], kRunTimeoutMs);
    if (check(state === 'done', `after cancel: page ended in state ${state}`)) {
      await compareWithNative(config, page, next, 'after cancel');
    }
  } finally {
    await page.close();
  }
}

async function main() {
  const config = settings();
  const started = Date.now();
  const session = await startBrowser(config);
  try {
    for (const options of kMatrix) await checkLink(config, session, options);
    await checkForm(config, session);
    await checkBadLinks(session);
    await checkRace(config, session);
    await checkOtherVersion(session);
    await checkNoSimd(session);
    await checkWorkerCounts(config, session);
    await checkWithoutWorkers(config, session);
    await checkCancel(config, session);
  } finally {
    await session.close();
  }
  console.log(`browser check: ${kMatrix.length} links, the form, ${kBadLinks.length} bad links, a race, another ` +
    'version, no SIMD, 1 to 3 workers, none, and cancel ' +
    `in ${((Date.now() - started) / 1000).toFixed(1)} s`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exitCode = failed === 0 ? 0 : 1;
}

// The plando check (plando-check.js) compares its runs the same way.
module.exports = { check, compareWithNative, downloadLinks, downloadByClicking, setThreads, kRunTimeoutMs,
  counts: () => ({ passed, failed }) };

if (require.main === module) {
  main().catch((error) => {
    console.error(error);
    process.exitCode = 1;
  });
}
