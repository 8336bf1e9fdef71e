// Browser check of the play companion on a Chris Hard run with enemies and
// modifiers, against the console program's files and --check verdicts: no
// spoiler before it is asked for, the rooms, the search, the key tracker and
// its stored ticks, the check of received files (good, edited and hostile
// ones) and the page at phone width.
//   WEB_DIR=build-web/site NATIVE=build/mansion-randomizer node companion-check.js
'use strict';

const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { settings, makeTempDir, startBrowser, runNative, waitForState } = require('./harness.js');
const { formatRunQuery } = require('../query.js');

// Modifier 5 puts the gun into slots the cheat sheet leaves out too.
const kRun = { seed: 1733600000, chris: true, hard: true, enemies: true, modifiers: [1, 3, 5, 6] };
const kReceived = { ...kRun, seed: 7 };
const kFindField = '::-p-aria([name="Find an item"][role="searchbox"])';

let passed = 0;
let failed = 0;

function check(condition, what) {
  if (condition) passed += 1;
  else {
    failed += 1;
    console.log(`FAIL: ${what}`);
  }
  return condition;
}

const lines = (bytes) => bytes.toString('utf8').split('\r\n').filter((line) => line !== '');

// The cheat sheet as { rooms: [{ heading, lines }], enemies: ['Room:WORD'] }.
function readCheatSheet(bytes) {
  const rooms = [];
  let enemies = null;
  for (const line of lines(bytes).slice(2)) {
    if (line === 'ENEMY RANDO POSITIONS') enemies = [];
    else if (enemies) enemies.push(line);
    else if (line.startsWith('\t')) rooms[rooms.length - 1].lines.push(line.slice(1));
    else rooms.push({ heading: line, lines: [] });
  }
  return { rooms, enemies: enemies || [] };
}

// The key route as lists of "ITEM in ROOM: SLOT", one list per step.
function readKeyRoute(bytes) {
  const steps = [];
  for (const line of lines(bytes)) {
    if (line.startsWith('Step ')) steps.push([]);
    else steps[steps.length - 1].push(line.slice(1));
  }
  return steps;
}

// The name the companion gives the item of a spoiler file's slot: key items
// that share a name are numbered in catalogue order ("Old Key 3").
function itemLabel(spoiler, slot) {
  const namesakes = spoiler.slots.filter((other) => other.key && other.item === slot.item).map((other) => other.entry)
    .sort((a, b) => a - b);
  return slot.key && namesakes.length > 1 ? `${slot.item} ${namesakes.indexOf(slot.entry) + 1}` : slot.item;
}

// The rooms as the companion must show them: each cheat sheet room's lines,
// then its slots the cheat sheet leaves out whose item changed, as
// { heading, rows: [{ original, item (plain name), label, key }] }.
function expectedRooms(sheet, spoiler) {
  return sheet.rooms.map((room) => {
    const slots = spoiler.slots.filter((slot) => slot.room === room.heading);
    const listed = room.lines.map((line) => {
      const slot = slots.find((candidate) => !candidate.used && `${candidate.original} is replaced with ${candidate.item}` === line);
      slot.used = true;
      return slot;
    });
    const changed = slots.filter((slot) => !slot.used && slot.entry !== slot.slot);
    return { heading: room.heading, rows: [...listed, ...changed].map((slot) => ({ original: slot.original,
      item: slot.item, label: itemLabel(spoiler, slot), key: slot.key })) };
  });
}

// What a search for `text` must list.
function expectedFinds(rooms, text) {
  // The second slot of one name in a room is "NAME (2)" where a slot is named.
  const place = (room, row) => (room.rows.indexOf(row) > room.rows.findIndex((other) => other.original === row.original)
    ? `${row.original} (2)` : row.original);
  return rooms.flatMap((room) => room.rows.filter((row) => row.label.toLowerCase().includes(text.toLowerCase()))
    .map((row) => `${row.label} in ${room.heading}: ${place(room, row)}`));
}

const readSpoiler = (files) => JSON.parse(files.get([...files.keys()].find((name) => name.startsWith('Spoiler'))));

// The items of the list with this accessible name, once `plain` of them
// equals `expected` (or after a while, whatever they are then).
async function listOnceEqual(page, name, expected, plain = (line) => line) {
  const selector = `::-p-aria([name="${name}"][role="list"])`;
  const read = async () => (await page.$(selector)).$$eval('li', (items) => items.map((li) => li.textContent));
  for (let tries = 0; tries < 200; tries += 1) {
    const got = await read();
    if (JSON.stringify(got) === JSON.stringify(expected)) return got;
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  return read();
}

const countShown = (page, text) => page.waitForFunction((wanted) => document.body.innerText.includes(wanted),
  { timeout: 10000, polling: 50 }, text).then(() => true, () => false);

async function openRun(session, page, options) {
  await page.goto(session.baseUrl + formatRunQuery(options));
  const state = await waitForState(page, ['done', 'failed'], 240000);
  await page.waitForSelector('::-p-aria(Show spoilers)', { visible: true, timeout: 60000 });
  return state;
}

// The file input named `name`. Chromium's accessibility query does not reach
// file inputs, so each one's accessible name is read from the tree.
async function fileInput(page, name) {
  for (const input of await page.$$('input[type="file"]')) {
    if ((await page.accessibility.snapshot({ root: input }))?.name === name) return input;
  }
  throw new Error(`no file input named ${name}`);
}

const verdict = (page) => page.$eval('::-p-aria([name="Check a received item list"][role="status"])',
  (status) => status.textContent);

// The console's --check lines for a file, without the program's name.
function nativeCheck(config, dir, name, extra = []) {
  let output;
  try {
    output = execFileSync(config.native, ['--check', name, ...extra], { cwd: dir, encoding: 'utf8',
      stdio: ['ignore', 'pipe', 'pipe'] });
  } catch (error) {
    output = error.stdout + error.stderr;
  }
  return output.split('\n').filter((line) => line !== '').map((line) => line.replace(/^mansion-randomizer: /, ''))
    .join('\n');
}

async function checkSpoilersAndRooms(page, native, rooms, route) {
  // (a) Before "Show spoilers": no cheat sheet line, no key route line.
  const visible = await page.evaluate(() => document.body.innerText);
  check(!visible.includes('is replaced with'), '(a) an "is replaced with" line is visible');
  const routeLines = route.flat();
  check(routeLines.every((line) => !visible.includes(line)), '(a) a key route line is visible before Show spoilers');
  for (const link of await page.$$('#downloads a')) {
    const box = await link.boundingBox();
    check(box && box.y + box.height <= 900, '(1) a download link lies below the first screen at 1280x900');
  }
  await page.click('::-p-aria(Show spoilers)');
  const shown = await page.$eval('#key-route', (pre) => pre.textContent);
  check(routeLines.every((line) => shown.includes(line)) &&
    [1, 2, 3, 4, 5].every((n) => shown.includes(`Old Key ${n} in `)), '(a) Show spoilers shows the key route, numbered');
  const pictureText = await page.$eval('::-p-aria([role="image"])', (svg) => svg.textContent);
  check(routeLines.every((line) => pictureText.includes(line.split(' in ')[1])), '(5) the picture names every place');
  check(await page.$('::-p-aria(KeyRouteChrisHard.svg)') !== null, '(5) the picture is offered as a download');
  // An arrow runs from a key item to one it opens, which lies in a later step, further down.
  const arrows = await page.$$eval('#key-route-picture path[marker-end]', (paths) => paths.map((arrow) =>
    arrow.getAttribute('d').match(/-?[0-9.]+/g).map(Number)));
  check(arrows.length > 0 && arrows.every((n) => n[n.length - 1] > n[1]), '(5) a key route arrow points upwards');

  // (b) Room by room, in the cheat sheet's order; one control per room.
  const tables = await page.$$('::-p-aria([role="table"])');
  const names = await Promise.all(tables.map((table) => table.evaluate((t) =>
    document.getElementById(t.getAttribute('aria-labelledby')).textContent)));
  const sheet = readCheatSheet(native.files.get('CheatSheetChrisHard.txt'));
  const expectedNames = rooms.map((room) => room.heading);
  if (sheet.enemies.length > 0) expectedNames.push('Rooms without items');
  check(JSON.stringify(names) === JSON.stringify(expectedNames), `(b) rooms ${names.join(', ')}`);
  const enemyLines = new Set();
  for (let r = 0; r < tables.length; r += 1) {
    const rows = () => tables[r].$$eval('tr', (trs) => trs.filter((tr) => tr.cells.length === 2)
      .map((tr) => [tr.cells[0].textContent, tr.cells[1].firstChild.textContent]));
    const unasked = await rows();
    check(unasked.every(([, secret]) => secret === 'hidden'), `(b) ${names[r]} shows its secrets unasked`);
    await (await page.$(`::-p-aria([name="Reveal ${names[r]}"][role="button"])`))?.click();
    check(unasked.length === 0 || await page.$(`::-p-aria([name="Hide ${names[r]}"][role="button"])`) !== null,
      `(b) ${names[r]} revealed offers no Hide`);
    const items = [];
    for (const [label, secret] of await rows()) {
      if (label.startsWith('Enemies in ')) enemyLines.add(`${label.slice('Enemies in '.length)}:${secret}`);
      else items.push(`${label} is replaced with ${secret}`);
    }
    const room = rooms[r] || { rows: [] };
    const lines = room.rows.map((row) => `${row.original} is replaced with ${row.label}`);
    check(JSON.stringify(items) === JSON.stringify(lines), `(b) ${names[r]} reads ${items.join(' | ')}`);
  }
  check(JSON.stringify([...enemyLines].sort()) === JSON.stringify([...sheet.enemies].sort()),
    '(b) the rooms\' enemies differ from the cheat sheet\'s');
}

async function checkSearchAndTracker(session, page, rooms, route) {
  // (c) Any case, part of a name; only the matching slots, those the cheat
  // sheet leaves out included, numbered key items.
  for (const text of ['OLD KEY', 'sword key', 'Gemstone', 'crest', 'self defense gun']) {
    const field = await page.$(kFindField);
    await field.click({ clickCount: 3 });
    await field.type(text);
    const expected = expectedFinds(rooms, text);
    const got = await listOnceEqual(page, 'Found items', expected);
    check(expected.length > 0 && JSON.stringify(got) === JSON.stringify(expected), `(c) '${text}' lists ${got.join(' | ')}`);
  }

  // (d) Ticking steps 1..k leaves exactly step k+1 within reach. The tracker
  // names namesakes as the route does ("Old Key 3").
  await page.click('::-p-aria(Show reachable key items)');
  const total = route.flat().length;
  const labels = new Map(); // route line -> the tracker's name of its key item
  let ticked = 0;
  for (let k = 0; k <= route.length; k += 1) {
    const expected = k < route.length ? route[k] : ['Every key item is collected.'];
    const reachable = await listOnceEqual(page, 'Reachable key items', expected);
    check(JSON.stringify(reachable) === JSON.stringify(expected), `(d) after ${k} steps: ${reachable.join(' | ')}`);
    check(await countShown(page, `${ticked} of ${total} key items`), `(d) count after ${k} steps`);
    if (k === route.length) break;
    for (const line of reachable) {
      labels.set(line, line.split(' in ')[0]);
      await page.click(`::-p-aria([name="${line.split(' in ')[0]}"][role="checkbox"])`);
      ticked += 1;
    }
  }

  // (e) Reset, tick two steps, reload: the same ticks; a corrupted entry is
  // dropped and replaced.
  await page.click('::-p-aria(Reset)');
  check((await listOnceEqual(page, 'Reachable key items', route[0])).length === route[0].length, '(e) Reset');
  for (const line of [...route[0], ...route[1]]) {
    await page.click(`::-p-aria([name="${labels.get(line)}"][role="checkbox"])`);
  }
  await listOnceEqual(page, 'Reachable key items', route[2]);
  await openRun(session, page, kRun);
  await page.click('::-p-aria(Show reachable key items)');
  const afterReload = await listOnceEqual(page, 'Reachable key items', route[2]);
  check(JSON.stringify(afterReload) === JSON.stringify(route[2]), '(e) a reload forgets the ticks');
  check(await countShown(page, `${route[0].length + route[1].length} of ${total} key items`), '(e) count after a reload');
  const key = await page.evaluate(() => Object.keys(localStorage)[0]);
  await page.evaluate((name) => localStorage.setItem(name, '{"broken'), key);
  await openRun(session, page, kRun);
  await page.click('::-p-aria(Show reachable key items)');
  const fresh = await listOnceEqual(page, 'Reachable key items', route[0]);
  check(JSON.stringify(fresh) === JSON.stringify(route[0]) &&
    await page.evaluate((name) => localStorage.getItem(name), key) === '[]', '(e) a corrupted entry is not replaced');

  // A revealed room's "Got it" ticks that very key item and no other.
  const room = rooms.find((candidate) => candidate.rows.some((row) => row.label === 'Old Key 5'));
  await page.click(`::-p-aria([name="Reveal ${room.heading}"][role="button"])`);
  await page.click('::-p-aria([name="Got Old Key 5"][role="button"])');
  const ticks = await page.$$eval('#tracker-boxes input', (boxes) => boxes.filter((box) => box.checked)
    .map((box) => box.labels[0].textContent.trim()));
  check(JSON.stringify(ticks) === '["Old Key 5"]' && await countShown(page, `1 of ${total} key items`),
    `Got it beside Old Key 5 ticks ${ticks.join(', ')}`);
  await page.click('::-p-aria(Reset)');
}

// (f) and bad input: each file gives the console's lines and leaves the run
// followed as it was; a good one, with its seed, is then followed.
async function checkReceivedFiles(config, page, native) {
  const dir = makeTempDir('mansion-received-');
  try {
    const itemList = native.files.get('ItemListChrisHard.txt').toString('utf8').split('\r\n');
    const edited = () => {
      // The Sword Key into the first slot whose zone it locks, by the console's word.
      for (let slot = 0; slot < 180; slot += 1) {
        const list = [...itemList];
        const at = list.indexOf('100');
        [list[at], list[slot]] = [list[slot], list[at]];
        fs.writeFileSync(path.join(dir, 'ItemListChrisHard.txt'), list.join('\r\n'));
        if (nativeCheck(config, dir, 'ItemListChrisHard.txt').includes('Sword Key lies behind the lock it opens')) return;
      }
    };
    const jill = runNative(config, { seed: 5, chris: false, hard: true, enemies: false, modifiers: [] });
    const cases = [
      ['(f) key behind its own lock', 'ItemListChrisHard.txt', edited],
      ['another character than its name', 'ItemListChrisHard.txt', (file) => fs.writeFileSync(file,
        jill.files.get('ItemListJillHard.txt'))],
      ['markup in its lines', 'ItemListChrisHard.txt', (file) => fs.writeFileSync(file,
        '<img src=x onerror="window.pwned=1"><script>window.pwned=1</script>\r\n')],
      ['binary and too large', 'ItemListChrisHard.txt', (file) => fs.writeFileSync(file,
        Buffer.from(Array.from({ length: 70000 }, (_, k) => (k * 7919) % 256)))],
      ['no item list name, dropped', 'notes.txt', (file) => fs.writeFileSync(file, 'shopping list\n')],
    ];
    const source = await page.$eval('#play-source', (p) => p.textContent);
    for (const [what, name, write] of cases) {
      const file = path.join(dir, name);
      write(file);
      const extra = name.startsWith('ItemList') ? [] : ['--character', 'chris', '--difficulty', 'hard'];
      const expected = nativeCheck(config, dir, name, extra);
      if (name === 'notes.txt') {
        // Dropped on the page instead of chosen.
        await page.evaluate((fileName, bytes) => {
          const transfer = new DataTransfer();
          transfer.items.add(new File([new Uint8Array(bytes)], fileName));
          document.querySelector('main').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true }));
        }, name, [...fs.readFileSync(file)]);
      } else {
        await (await fileInput(page, 'Check an item list file')).uploadFile(file);
      }
      await page.waitForFunction((text) => document.querySelector('#check-box [role="status"]').textContent === text,
        { timeout: 60000, polling: 50 }, expected).catch(() => {});
      check(await verdict(page) === expected, `${what}: '${await verdict(page)}', expected '${expected}'`);
      check(await page.$eval('#play-source', (p) => p.textContent) === source, `${what}: the page follows another run`);
      fs.rmSync(file);
    }
    check(await page.evaluate(() => window.pwned === undefined && document.querySelectorAll('main img').length === 0),
      'a received file\'s markup ran');

    // A good file of another setting than the form's is followed as its
    // name says, not as the form does.
    const jillFile = path.join(dir, 'ItemListJillHard.txt');
    fs.writeFileSync(jillFile, jill.files.get('ItemListJillHard.txt'));
    await (await fileInput(page, 'Check an item list file')).uploadFile(jillFile);
    await page.waitForFunction(() => document.getElementById('play-source').textContent.includes('Jill on Hard'),
      { timeout: 60000 }).catch(() => {});
    const jillRooms = expectedRooms(readCheatSheet(jill.files.get('CheatSheetJillHard.txt')), readSpoiler(jill.files));
    await (await page.$(kFindField)).type('key');
    const jillFound = await listOnceEqual(page, 'Found items', expectedFinds(jillRooms, 'key'));
    check(JSON.stringify(jillFound) === JSON.stringify(expectedFinds(jillRooms, 'key')),
      `a Jill file checked with Chris in the form is followed as ${jillFound.join(' | ')}`);
    await (await page.$(kFindField)).click({ clickCount: 3 });
    await page.keyboard.press('Backspace');

    // A good file with its seed: the same verdict as --check --seed, then
    // the search works on it.
    const received = runNative(config, kReceived);
    const file = path.join(dir, 'ItemListChrisHard.txt');
    fs.writeFileSync(file, received.files.get('ItemListChrisHard.txt'));
    const expected = nativeCheck(config, dir, 'ItemListChrisHard.txt', ['--seed', '7', '--enemies', '--modifier',
      kRun.modifiers.join(',')]);
    await page.type('::-p-aria(Is it exactly the file of seed)', '7');
    await (await fileInput(page, 'Check an item list file')).uploadFile(file);
    await page.waitForFunction((text) => document.querySelector('#check-box [role="status"]').textContent === text,
      { timeout: 120000, polling: 100 }, expected).catch(() => {});
    check(await verdict(page) === expected, `seed check: '${await verdict(page)}', expected '${expected}'`);
    await page.waitForFunction(() => document.getElementById('play-source').textContent.includes('received file'),
      { timeout: 30000 }).catch(() => {});
    const field = await page.$(kFindField);
    await field.type('old key');
    const rooms = expectedRooms(readCheatSheet(received.files.get('CheatSheetChrisHard.txt')), readSpoiler(received.files));
    const found = await listOnceEqual(page, 'Found items', expectedFinds(rooms, 'old key'));
    check(JSON.stringify(found) === JSON.stringify(expectedFinds(rooms, 'old key')), `the received file is not followed: ${found.join(' | ')} / ${await page.$eval('#play-source', (p) => p.textContent)}`);

    // A new run on the page forgets the verdict on the file checked before.
    await page.click('::-p-aria(Generate)');
    await page.waitForFunction(() => document.body.dataset.state === 'done' &&
      document.getElementById('play-source').textContent.startsWith('Following the run'), { timeout: 240000 });
    check(await verdict(page) === '', `a new run keeps the verdict '${await verdict(page)}'`);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// (7) Labels, the keyboard, and (g) no horizontal scroll bar at 390 px.
async function checkKeyboardAndPhone(page) {
  const unnamed = await page.$$eval('#companion button, #companion input', (controls) => controls
    .filter((control) => !control.labels?.length && !control.getAttribute('aria-label') && !control.textContent.trim())
    .map((control) => control.outerHTML));
  check(unnamed.length === 0, `unlabelled controls: ${unnamed.join(' ')}`);
  const expanded = () => page.$eval('#spoilers-toggle', (b) => b.getAttribute('aria-expanded'));
  const before = await expanded();
  await page.focus('#spoilers-toggle');
  await page.keyboard.press('Space');
  const afterSpace = await expanded();
  await page.keyboard.press('Enter');
  check(afterSpace !== before && await expanded() === before, 'Space and Enter toggle the spoilers');
  await page.click('::-p-aria(Reveal all rooms)');
  await page.setViewport({ width: 390, height: 844 });
  const widths = await page.evaluate(() => [document.documentElement.scrollWidth, document.documentElement.clientWidth]);
  check(widths[0] <= widths[1], `(g) the page scrolls sideways at 390 px: ${widths}`);
}

async function main() {
  const config = settings();
  const started = Date.now();
  const native = runNative(config, kRun);
  const rooms = expectedRooms(readCheatSheet(native.files.get('CheatSheetChrisHard.txt')), readSpoiler(native.files));
  const route = readKeyRoute(native.files.get('KeyRouteChrisHard.txt'));
  const session = await startBrowser(config);
  try {
    const page = await session.browser.newPage();
    await page.setViewport({ width: 1280, height: 900 });
    if (check(await openRun(session, page, kRun) === 'done', 'the run ended')) {
      await checkSpoilersAndRooms(page, native, rooms, route);
      await checkSearchAndTracker(session, page, rooms, route);
      await checkReceivedFiles(config, page, native);
      await checkKeyboardAndPhone(page);
    }
  } finally {
    await session.close();
  }
  console.log(`companion check in ${((Date.now() - started) / 1000).toFixed(1)} s: ${passed} passed, ${failed} failed`);
  process.exitCode = failed === 0 ? 0 : 1;
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
