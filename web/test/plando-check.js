// Browser check of the page's Plando box: a plando run through a link and
// through the form, at 1 and 2 workers, gives the console program's
// `--plando plando.txt` files, lines and link; a run rebuilt from a pasted key
// route file keeps its key items where they were; a refused line shows the
// console's message before any run and stops a run with it; a plando too
// long for a link is offered as a file; "Keep here" adds the engine's line,
// Hard's "Green Herb (2)" too.
//   WEB_DIR=build-web/site NATIVE=build/mansion-randomizer node plando-check.js
'use strict';

const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { settings, makeTempDir, startBrowser, runNative, nativeArguments, waitForState } = require('./harness.js');
const { check, compareWithNative, setThreads, kRunTimeoutMs, counts } = require('./check.js');
const { formatRunQuery } = require('../query.js');

// The run whose key route gives the plando lines, and the seed they are
// played with.
const kSource = { seed: 1, chris: true, hard: false, enemies: false, modifiers: [] };
const kPlandoSeed = 5;
const kGenerateButton = '::-p-aria([name="Generate"][role="button"])';

// The item lines of a key route file, without their tab.
function routeLines(text) {
  return text.split(/\r?\n/).filter((line) => line.startsWith('\t')).map((line) => line.slice(1));
}

function keyRouteOf(native) {
  return [...native.files].find(([name]) => name.startsWith('KeyRoute'))[1].toString('utf8');
}

// Forgets the verdict shown, so that verdict() waits for the next one.
function forgetVerdict(page) {
  return page.$eval('#plando-verdict', (pre) => { delete pre.dataset.status; });
}

// Puts `text` into the Plando box as a paste does.
async function pastePlando(page, text) {
  await forgetVerdict(page);
  await page.$eval('#plando', (box, value) => {
    box.value = value;
    box.dispatchEvent(new Event('input', { bubbles: true }));
  }, text);
}

async function plandoText(page) {
  return page.$eval('::-p-aria([name="Plando lines"][role="textbox"])', (box) => box.value);
}

// Waits for the verdict on the box's text; returns { status, text }, status
// -1 when none came.
async function verdict(page) {
  const came = await page.waitForFunction(() => document.getElementById('plando-verdict').dataset.status !== undefined,
    { timeout: 20000, polling: 50 }).then(() => true, () => false);
  if (!came) return { status: -1, text: 'no verdict' };
  return page.$eval('::-p-aria([name="Plando verdict"][role="status"])',
    (pre) => ({ status: Number(pre.dataset.status), text: pre.textContent }));
}

// The file input of this accessible name.
async function fileInput(page, name) {
  for (const input of await page.$$('input[type="file"]')) {
    if ((await page.accessibility.snapshot({ root: input }))?.name === name) return input;
  }
  throw new Error(`no file input named ${name}`);
}

// Sets the seed field and makes the run of the form.
async function generateSeed(page, seed) {
  await page.$eval('#seed', (field, value) => { field.value = value; }, String(seed));
  await page.locator(kGenerateButton).click();
  return waitForState(page, ['done', 'failed'], kRunTimeoutMs);
}

// A plando link, then the same run at 1 and 2 workers, each the console's;
// then "Keep here" on a revealed key item adds its key route line.
async function checkPlandoRuns(config, session, source) {
  const lines = routeLines(keyRouteOf(source)).slice(0, 3);
  const options = { ...kSource, seed: kPlandoSeed, plando: `${lines.join('\n')}\n` };
  const page = await session.browser.newPage();
  try {
    await page.goto(session.baseUrl + formatRunQuery(options));
    const label = 'plando link';
    if (!check(await waitForState(page, ['done', 'failed', 'bad-link'], kRunTimeoutMs) === 'done', `${label}: failed`)) return;
    await compareWithNative(config, page, options, label);
    check(await plandoText(page) === options.plando, `${label}: the box holds ${await plandoText(page)}`);
    for (const workers of [1, 2]) {
      await setThreads(page, workers);
      await page.locator(kGenerateButton).click();
      const state = await waitForState(page, ['done', 'failed'], kRunTimeoutMs);
      if (check(state === 'done', `plando on ${workers} workers: page ended in state ${state}`)) {
        await compareWithNative(config, page, options, `plando on ${workers} workers`);
      }
    }
    // A key item of this run, kept from the revealed rooms.
    const route = routeLines(await page.$eval('#key-route', (pre) => pre.textContent));
    // A namesake key ("Old Key 4") is kept as that very one.
    const kept = route.find((line) => /^Old Key \d/.test(line)) || route[route.length - 1];
    await page.locator('::-p-aria([name="Reveal all rooms"][role="button"])').click();
    await forgetVerdict(page);
    const keep = await page.$(`::-p-aria([name="Keep ${kept}"][role="button"])`);
    if (!check(keep !== null, `Keep here: no button keeps ${kept}`)) return;
    await keep.click();
    const boxText = await plandoText(page);
    check(boxText === `${options.plando}${kept}\n`, `Keep here: the box holds\n${boxText}`);
    check((await verdict(page)).status === 0, 'Keep here: the kept line is refused');
    await checkEveryKeepLine(page, 'Keep here');
  } finally {
    await page.close();
  }
}

// The companion's line for every revealed slot is one the engine accepts as
// it is, naming exactly that item; returns the lines.
async function checkEveryKeepLine(page, label) {
  const keepLines = await page.$$eval('button.keep', (buttons) => buttons.map((b) => b.getAttribute('aria-label').slice(5)));
  await pastePlando(page, `${keepLines.join('\n')}\n`);
  const all = await verdict(page);
  check(all.status === 0 && all.text.split('\n').slice(1).join('\n') === keepLines.join('\n'),
    `${label}: every slot's line read back:\n${all.text.slice(0, 400)}`);
  return keepLines;
}

// Hard: the second Green Herb of one room is kept as "Green Herb (2)", and
// the slots Hard keeps with their own items read back too.
async function checkKeepHard(session) {
  const options = { seed: 12, chris: true, hard: true, enemies: false, modifiers: [] };
  const page = await session.browser.newPage();
  try {
    await page.goto(session.baseUrl + formatRunQuery(options));
    if (!check(await waitForState(page, ['done', 'failed'], kRunTimeoutMs) === 'done', 'Keep here on Hard: failed')) return;
    await page.locator('::-p-aria([name="Reveal all rooms"][role="button"])').click();
    const lines = await checkEveryKeepLine(page, 'Keep here on Hard');
    check(lines.some((line) => line.endsWith(' in WINDING UNDERGROUND PASSAGE: Green Herb (2)')),
      'Keep here on Hard: no line keeps the second Green Herb as "Green Herb (2)"');
  } finally {
    await page.close();
  }
}

// The key route file of another run pasted into the box: the key items lie
// where they lay.
async function checkRebuiltRun(config, session, source) {
  const page = await session.browser.newPage();
  try {
    await page.goto(session.baseUrl);
    await waitForState(page, ['idle'], 10000);
    await pastePlando(page, keyRouteOf(source));
    check((await verdict(page)).status === 0, 'rebuilt run: the key route file is refused');
    const seed = 77;
    if (!check(await generateSeed(page, seed) === 'done', 'rebuilt run: failed')) return;
    const route = routeLines(await page.$eval('#key-route', (pre) => pre.textContent));
    check(JSON.stringify(route.sort()) === JSON.stringify(routeLines(keyRouteOf(source)).sort()),
      `rebuilt run: key route\n${route.join('\n')}`);
    // A whole key route is too long for a link.
    const options = { ...kSource, seed, plando: await plandoText(page) };
    await compareWithNative(config, page, options, 'rebuilt run', { ...options, plando: '' });
    check(!(await page.$eval('#share-plando', (line) => line.hidden)), 'rebuilt run: no file offered for the link');

    // The source's spoiler file, loaded: the box holds the lines it fixes,
    // its key items where the key route has them.
    const dir = makeTempDir('mansion-spoiler-');
    try {
      const [name, bytes] = [...source.files].find(([file]) => file.startsWith('Spoiler'));
      fs.writeFileSync(path.join(dir, name), bytes);
      await forgetVerdict(page);
      await (await fileInput(page, 'Load a plando or spoiler file')).uploadFile(path.join(dir, name));
      await page.waitForFunction(() => /^[^{\s]/.test(document.getElementById('plando').value),
        { timeout: 20000, polling: 50 }).catch(() => {});
      const lines = (await plandoText(page)).trimEnd().split('\n');
      check(JSON.stringify([...lines].sort()) === JSON.stringify(routeLines(keyRouteOf(source)).sort()),
        `spoiler file loaded: the box holds\n${lines.join('\n')}`);
    } finally {
      fs.rmSync(dir, { recursive: true, force: true });
    }
  } finally {
    await page.close();
  }
}

// A refused line: the console's message in the verdict, and a run that stops
// with it.
async function checkRefused(config, session) {
  const text = 'Shield Kee in DINING ROOM: Ink Ribbon\n';
  const options = { ...kSource, seed: 3, plando: text };
  const page = await session.browser.newPage();
  const dir = makeTempDir('mansion-refused-');
  try {
    fs.writeFileSync(path.join(dir, 'plando.txt'), text);
    const native = spawnSync(config.native, nativeArguments(options), { cwd: dir, encoding: 'utf8' });
    await page.goto(session.baseUrl);
    await waitForState(page, ['idle'], 10000);
    await pastePlando(page, text);
    const shown = await verdict(page);
    const messages = native.stderr.replace(/^mansion-randomizer: /gm, '');
    check(native.status === 2 && shown.status === 2 && shown.text.endsWith(`\n${messages.trimEnd()}`),
      `refused: verdict\n${shown.text}\n--- console program (${native.status}):\n${native.stderr}`);
    // The verdict follows the form: an Ink Ribbon is refused once a modifier
    // turns the ink ribbons into junk.
    await pastePlando(page, 'Ink Ribbon in DINING ROOM: Ink Ribbon\n');
    const before = await verdict(page);
    await forgetVerdict(page);
    await page.click('input[name="modifier"][value="3"]');
    const after = await verdict(page);
    check(before.status === 0 && after.status === 2 && after.text.includes('plando.txt line 1: '),
      `refused: the verdict after a modifier is switched on:\n${before.text}\n---\n${after.text}`);
    await page.click('input[name="modifier"][value="3"]');
    await pastePlando(page, text);
    const state = await generateSeed(page, options.seed);
    const consoleText = await page.$eval('#console', (pre) => pre.textContent);
    check(state === 'failed' && consoleText === native.stdout + native.stderr,
      `refused: run ended ${state} with\n${consoleText}`);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
    await page.close();
  }
}

// A plando over 2,000 characters encoded: its file instead of a link.
async function checkTooLong(config, session, source) {
  const comments = Array.from({ length: 30 }, (_, k) => `# practice note ${k}: keep this key where it was found`);
  const plando = `${[...comments, ...routeLines(keyRouteOf(source)).slice(0, 2)].join('\n')}\n`;
  const page = await session.browser.newPage();
  try {
    await page.goto(session.baseUrl);
    await waitForState(page, ['idle'], 10000);
    await pastePlando(page, plando);
    if (!check(await generateSeed(page, 11) === 'done', 'too long: failed')) return;
    const shown = await page.evaluate(async () => ({
      line: document.getElementById('share-line').hidden ? '' : 'link shown',
      text: document.getElementById('share-plando').hidden ? '' : document.getElementById('share-plando').textContent,
      file: await (await fetch(document.getElementById('share-plando-file').href)).text(),
      search: location.search,
    }));
    check(shown.line === '' && shown.text.includes('this plando is too long for a link: share the file') &&
      shown.file === plando && !shown.search.includes('plando='), `too long: ${JSON.stringify(shown).slice(0, 300)}`);
  } finally {
    await page.close();
  }
}

async function main() {
  const config = settings();
  const started = Date.now();
  const session = await startBrowser(config);
  try {
    const source = runNative(config, kSource);
    await checkPlandoRuns(config, session, source);
    await checkRebuiltRun(config, session, source);
    await checkRefused(config, session);
    await checkTooLong(config, session, source);
    await checkKeepHard(session);
  } finally {
    await session.close();
  }
  const { passed, failed } = counts();
  console.log(`plando check: a plando link at 1 and 2 workers, Keep here (Normal and Hard), a rebuilt run, a ` +
    `refused line and a plando too long for a link in ${((Date.now() - started) / 1000).toFixed(1)} s`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exitCode = failed === 0 ? 0 : 1;
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
