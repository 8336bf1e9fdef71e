// The play companion: follows one run (made on the page, or a received item
// list that passed the check) without spoiling it. Its rooms, search, key
// tracker and key route all come from the engine, asked through
// companion-worker.js; this file only shows the answers. Everything it puts on
// the page goes in as text, never as markup, since a received file and a link
// are hostile input.
// The page calls MansionCompanion.showRun(options, files) after a run and
// MansionCompanion.clear() when a new one starts.
'use strict';

(function () {
  const { parseSeed, formatRunQuery } = globalThis.MansionQuery;

  const kStoragePrefix = 'mansion-companion-ticks:';
  const kSvgNamespace = 'http://www.w3.org/2000/svg';

  const byId = (id) => document.getElementById(id);
  const form = byId('options');
  const checkFile = byId('check-file');
  const checkSeed = byId('check-seed');
  const checkVerdict = byId('check-verdict');
  const play = byId('play');
  const playSource = byId('play-source');
  const trackerCount = byId('tracker-count');
  const trackerBoxes = byId('tracker-boxes');
  const trackerReset = byId('tracker-reset');
  const reachableToggle = byId('reachable-toggle');
  const reachableBox = byId('reachable-box');
  const reachableList = byId('reachable');
  const findField = byId('find-item');
  const foundList = byId('found');
  const roomsBox = byId('rooms');
  const revealAll = byId('reveal-all');
  const hideAll = byId('hide-all');
  const spoilersToggle = byId('spoilers-toggle');
  const spoilers = byId('spoilers');
  const keyRouteBox = byId('key-route-box');
  const keyRoute = byId('key-route');
  const pictureBox = byId('key-route-picture-box');
  const picture = byId('key-route-picture');
  const svgLink = byId('key-route-svg');

  let worker = null;
  let nextId = 1;
  const pending = new Map();
  // The run followed: { bytes, chris, hard, storageKey, view, ticked: Set }.
  let current = null;
  let svgUrl = null;
  let drawnWidth = 0; // the companion's width the picture was laid out for
  // Only the newest answer of each kind is shown.
  const latest = { reachable: 0, find: 0, check: 0, view: 0, plando: 0 };

  function ask(message) {
    if (!worker) {
      worker = new Worker('companion-worker.js');
      worker.onmessage = (event) => {
        const { id, result, error } = event.data;
        const waiting = pending.get(id);
        pending.delete(id);
        if (waiting) (error === undefined ? waiting.resolve(result) : waiting.reject(new Error(error)));
      };
      worker.onerror = (event) => {
        event.preventDefault();
        for (const waiting of pending.values()) waiting.reject(new Error(event.message || 'the engine stopped'));
        pending.clear();
        worker.terminate();
        worker = null;
      };
    }
    const id = nextId++;
    latest[message.op] = id;
    return new Promise((resolve, reject) => {
      pending.set(id, { resolve, reject });
      worker.postMessage({ ...message, id });
    }).then((result) => ({ id, result }));
  }

  const isLatest = (op, id) => latest[op] === id;

  function element(tag, text, attributes = {}) {
    const node = document.createElement(tag);
    if (text !== undefined) node.textContent = text;
    for (const [name, value] of Object.entries(attributes)) node.setAttribute(name, value);
    return node;
  }

  function settingName(chris, hard) {
    return `${chris ? 'Chris' : 'Jill'} on ${hard ? 'Hard' : 'Normal'} Difficulty`;
  }

  // ---- Ticks in local storage, per run; anything unreadable starts afresh.

  function loadTicks(storageKey, keyItems) {
    let text = null;
    let stored;
    try {
      text = localStorage.getItem(kStoragePrefix + storageKey);
      stored = JSON.parse(text);
    } catch {
      stored = undefined;
    }
    if (text === null) return new Set();
    const valid = Array.isArray(stored) && stored.every((item) => keyItems.has(item));
    const ticked = new Set(valid ? stored : []);
    if (!valid) saveTicks(storageKey, ticked);
    return ticked;
  }

  function saveTicks(storageKey, ticked) {
    try {
      localStorage.setItem(kStoragePrefix + storageKey, JSON.stringify([...ticked].sort((a, b) => a - b)));
    } catch {
      // Storage may be off or full; the ticks then last as long as the page.
    }
  }

  // A short fingerprint of a received file, naming its ticks in storage.
  function fingerprint(bytes) {
    let h1 = 0xdeadbeef;
    let h2 = 0x41c6ce57;
    for (const byte of bytes) {
      h1 = Math.imul(h1 ^ byte, 2654435761);
      h2 = Math.imul(h2 ^ byte, 1597334677);
    }
    h1 = Math.imul(h1 ^ (h1 >>> 16), 2246822507) ^ Math.imul(h2 ^ (h2 >>> 13), 3266489909);
    h2 = Math.imul(h2 ^ (h2 >>> 16), 2246822507) ^ Math.imul(h1 ^ (h1 >>> 13), 3266489909);
    return (h2 >>> 0).toString(16).padStart(8, '0') + (h1 >>> 0).toString(16).padStart(8, '0');
  }

  // ---- Opening a run.

  async function open(run, source) {
    let answer;
    try {
      answer = await ask({ op: 'view', bytes: run.bytes, chris: run.chris, hard: run.hard });
    } catch (error) {
      checkVerdict.textContent = `The companion cannot read this run: ${error.message}`;
      return;
    }
    if (!isLatest('view', answer.id)) return;
    const view = answer.result;
    if (view.error) {
      checkVerdict.textContent = `The companion cannot read this run: ${view.error}`;
      return;
    }
    current = { ...run, view, ticked: loadTicks(run.storageKey, new Set(view.keys.map((key) => key.item))) };
    playSource.textContent = source;
    showTracker();
    findField.value = '';
    foundList.replaceChildren();
    showRooms();
    showSpoilers(false);
    // A line each, so a long one wraps under its own start on a phone; the
    // text read or copied stays the key route file's.
    keyRoute.replaceChildren(...view.routeText.split(/(?<=\r\n)/).map((line) =>
      element('span', line, { class: line.startsWith('\t') ? 'route-line pickup' : 'route-line' })));
    keyRouteBox.hidden = false;
    drawPicture();
    play.hidden = false;
  }

  function clear() {
    current = null;
    latest.view = 0; // a run still being read is not shown
    latest.check = 0; // nor the verdict on a file checked before this run
    checkVerdict.textContent = '';
    play.hidden = true;
    trackerBoxes.replaceChildren();
    reachableList.replaceChildren();
    foundList.replaceChildren();
    roomsBox.replaceChildren();
    picture.replaceChildren();
    if (svgUrl) URL.revokeObjectURL(svgUrl);
    svgUrl = null;
    showSpoilers(false);
  }

  // ---- Key tracker.

  function keyText(key) {
    return `${key.label} in ${key.place}`;
  }

  // Ticks or unticks one key item, wherever its boxes and buttons are.
  function setTicked(item, ticked) {
    if (ticked) current.ticked.add(item);
    else current.ticked.delete(item);
    ticksChanged();
  }

  function ticksChanged() {
    saveTicks(current.storageKey, current.ticked);
    for (const box of trackerBoxes.querySelectorAll('input')) box.checked = current.ticked.has(Number(box.value));
    for (const button of roomsBox.querySelectorAll('button.got')) {
      button.setAttribute('aria-pressed', String(current.ticked.has(button.keyItem)));
    }
    updateReachable();
  }

  function showTracker() {
    trackerBoxes.replaceChildren();
    for (const key of current.view.keys) {
      const box = element('input', undefined, { type: 'checkbox', value: String(key.item) });
      box.checked = current.ticked.has(key.item);
      box.addEventListener('change', () => setTicked(key.item, box.checked));
      const label = element('label');
      label.append(box, ` ${key.label}`);
      trackerBoxes.append(label);
    }
    updateReachable();
  }

  async function updateReachable() {
    const run = current;
    trackerCount.textContent = `${run.ticked.size} of ${run.view.keys.length} key items`;
    let answer;
    try {
      answer = await ask({ op: 'reachable', bytes: run.bytes, chris: run.chris, hard: run.hard,
        collected: [...run.ticked] });
    } catch (error) {
      reachableList.replaceChildren(element('li', `The engine stopped: ${error.message}`));
      return;
    }
    if (!isLatest('reachable', answer.id) || run !== current) return;
    const byItem = new Map(run.view.keys.map((key) => [key.item, key]));
    const items = answer.result.items || [];
    reachableList.replaceChildren(...items.map((item) => element('li', keyText(byItem.get(item)))));
    if (items.length === 0) {
      reachableList.append(element('li', run.ticked.size === run.view.keys.length
        ? 'Every key item is collected.' : 'None: no key item is within reach.'));
    }
  }

  trackerReset.addEventListener('click', () => {
    if (!current) return;
    current.ticked.clear();
    ticksChanged();
  });

  // A disclosure button: says what a press does ("Show ..."/"Hide ...").
  function toggle(button, region, open) {
    button.setAttribute('aria-expanded', String(open));
    button.textContent = button.textContent.replace(/^(Show|Hide)/, open ? 'Hide' : 'Show');
    region.hidden = !open;
  }

  reachableToggle.addEventListener('click', () => {
    toggle(reachableToggle, reachableBox, reachableToggle.getAttribute('aria-expanded') !== 'true');
  });

  // ---- Search.

  findField.addEventListener('input', async () => {
    const run = current;
    const text = findField.value.trim();
    if (!run || text === '') {
      latest.find = 0;
      foundList.replaceChildren();
      return;
    }
    let answer;
    try {
      answer = await ask({ op: 'find', bytes: run.bytes, chris: run.chris, hard: run.hard, text });
    } catch (error) {
      foundList.replaceChildren(element('li', `The engine stopped: ${error.message}`));
      return;
    }
    if (!isLatest('find', answer.id) || run !== current) return;
    const lines = answer.result.lines || [];
    foundList.replaceChildren(...lines.map((line) => element('li', line)));
    if (lines.length === 0) foundList.append(element('li', 'No slot holds an item of that name.'));
  });

  // ---- Rooms: original items shown, new items and enemies only on request.

  function showRooms() {
    roomsBox.replaceChildren();
    const rooms = current.view.rooms.map((room) => ({ ...room }));
    if (current.view.otherEnemies.length > 0) {
      rooms.push({ heading: 'Rooms without items', slots: [], enemies: current.view.otherEnemies });
    }
    rooms.forEach((room, index) => roomsBox.append(roomTable(room, index)));
  }

  // Ticks the key item `key` found in a revealed room; made on revealing,
  // so that the page's markup tells no unrevealed slot's item.
  function gotButton(key, label) {
    const got = element('button', 'Got it', { type: 'button', class: 'got', 'aria-label': `Got ${label}`,
      'aria-pressed': String(current.ticked.has(key)) });
    got.keyItem = key;
    got.addEventListener('click', () => setTicked(key, got.getAttribute('aria-pressed') !== 'true'));
    return got;
  }

  // Adds the engine's plando line for a revealed slot's item to the Plando
  // box, so the next run keeps it there.
  function keepButton(line) {
    const keep = element('button', 'Keep here', { type: 'button', class: 'keep', 'aria-label': `Keep ${line}` });
    keep.addEventListener('click', () => globalThis.MansionPlando?.keep(line));
    return keep;
  }

  function roomTable(room, index) {
    const id = `room-${index}`;
    const box = element('div', undefined, { class: 'room' });
    const table = element('table', undefined, { id, 'aria-labelledby': `${id}-name` });
    const secrets = [];
    const keySlots = [];
    const keepSlots = [];
    const row = (label, secret, key = -1, plando = '') => {
      const cell = element('td', 'hidden', { class: 'secret' });
      secrets.push([cell, secret]);
      const tr = element('tr');
      tr.append(element('th', label, { scope: 'row' }), cell);
      if (key >= 0) keySlots.push([cell, key, secret]);
      if (plando) keepSlots.push([cell, plando]);
      table.append(tr);
    };
    for (const slot of room.slots) row(slot.original, slot.item, slot.key, slot.plando);
    for (const enemy of room.enemies) row(`Enemies in ${enemy.room}`, enemy.word);
    if (secrets.length === 0) {
      const tr = element('tr');
      tr.append(element('td', 'No item slot is listed here in this mode.', { colspan: '2' }));
      table.append(tr);
    }
    // Shown as "Reveal" (or "Hide") beside the room's name; heard with the name.
    const button = element('button', 'Reveal', { type: 'button', 'aria-expanded': 'false', 'aria-controls': id,
      'aria-label': `Reveal ${room.heading}`, class: 'reveal' });
    button.disabled = secrets.length === 0;
    const reveal = (shown) => {
      button.setAttribute('aria-expanded', String(shown));
      button.textContent = shown ? 'Hide' : 'Reveal';
      button.setAttribute('aria-label', `${button.textContent} ${room.heading}`);
      for (const [cell, secret] of secrets) {
        cell.firstChild.textContent = shown ? secret : 'hidden';
        cell.classList.toggle('shown', shown);
      }
      for (const old of table.querySelectorAll('button')) old.remove();
      for (const [cell, key, secret] of keySlots) {
        if (shown) cell.append(gotButton(key, secret));
      }
      for (const [cell, plando] of keepSlots) {
        if (shown) cell.append(keepButton(plando));
      }
    };
    button.addEventListener('click', () => reveal(button.getAttribute('aria-expanded') !== 'true'));
    box.revealRoom = reveal;
    const head = element('div', undefined, { class: 'room-head' });
    head.append(element('h4', room.heading, { id: `${id}-name` }), button);
    box.append(head, table);
    return box;
  }

  revealAll.addEventListener('click', () => {
    for (const box of roomsBox.children) box.revealRoom(true);
  });
  hideAll.addEventListener('click', () => {
    for (const box of roomsBox.children) box.revealRoom(false);
  });

  // ---- Spoilers: the key route as text and as a picture.

  function showSpoilers(open) {
    toggle(spoilersToggle, spoilers, open);
  }

  spoilersToggle.addEventListener('click', () => showSpoilers(spoilersToggle.getAttribute('aria-expanded') !== 'true'));
  // The picture is laid out for the companion's width; a new width lays it out again.
  window.addEventListener('resize', () => {
    const width = byId('companion').clientWidth;
    if (current && width !== drawnWidth) drawPicture();
  });

  function svgElement(tag, attributes, text) {
    const node = document.createElementNS(kSvgNamespace, tag);
    for (const [name, value] of Object.entries(attributes)) node.setAttribute(name, String(value));
    if (text !== undefined) node.textContent = text;
    return node;
  }

  // The links without those another path implies: when A opens B's zone and
  // B opens C's, A's own arrow to C adds nothing but a crossing line.
  function directLinks(links) {
    const openers = new Map();
    for (const [from, to] of links) openers.set(to, (openers.get(to) || new Set()).add(from));
    const opens = (from, to) => openers.get(to)?.has(from) ?? false;
    return links.filter(([from, to]) => ![...openers.get(to)].some((middle) => middle !== from && opens(from, middle) && !opens(middle, from)));
  }

  // One band per step (and one for key items out of reach), its key items'
  // boxes in rows as wide as the companion, and an arrow from each key item to
  // those whose zones it opens. Opened items lie in later bands, so the
  // arrows run downwards.
  function drawPicture() {
    const { keys, route } = current.view;
    const byItem = new Map(keys.map((key) => [key.item, key]));
    const bands = route.steps.map((step, index) => ({ title: `Step ${index + 1}`, items: step }));
    if (route.outOfReach.length > 0) bands.push({ title: 'Out of reach', items: route.outOfReach });
    drawnWidth = byId('companion').clientWidth;
    const width = Math.max(280, Math.floor(drawnWidth) - 4);
    // About 7.2 px a character of a name in bold 12 px, 5.6 px of a place in 10 px.
    const longest = Math.max(60, ...keys.map((key) => Math.max(key.label.length * 7.2, key.place.length * 5.6)));
    // Beside each column a gutter, where arrows past boxes in between run.
    const gapX = 40;
    const boxWidth = Math.min(Math.ceil(longest) + 16, width - 20 - gapX);
    const boxHeight = 40;
    const gapY = 28;
    const perRow = Math.max(1, Math.floor((width - 20) / (boxWidth + gapX)));
    const where = new Map();
    const titles = [];
    let y = 6;
    for (const band of bands) {
      titles.push({ text: band.title, y: y + 16 });
      y += 24;
      band.items.forEach((item, k) => where.set(item, {
        x: 10 + (k % perRow) * (boxWidth + gapX), y: y + Math.floor(k / perRow) * (boxHeight + gapY) }));
      y += Math.ceil(band.items.length / perRow) * (boxHeight + gapY);
    }
    const height = y;
    const svg = svgElement('svg', { xmlns: kSvgNamespace, width, height, viewBox: `0 0 ${width} ${height}`,
      role: 'img', 'aria-labelledby': 'key-route-picture-title', 'font-family': 'sans-serif' });
    svg.append(svgElement('title', { id: 'key-route-picture-title' },
      `Key route: ${keys.length} key items in ${route.steps.length} steps`));
    const marker = svgElement('marker', { id: 'key-route-arrow', viewBox: '0 0 10 10', refX: 10, refY: 5,
      markerWidth: 7, markerHeight: 7, orient: 'auto-start-reverse' });
    marker.append(svgElement('path', { d: 'M0,0 L10,5 L0,10 z', fill: '#8a6d3b' }));
    const defs = svgElement('defs', {});
    defs.append(marker);
    svg.append(defs, svgElement('rect', { x: 0, y: 0, width, height, fill: '#ffffff' }));
    for (const title of titles) {
      svg.append(svgElement('text', { x: 10, y: title.y, 'font-size': 14, 'font-weight': 'bold', fill: '#1d1d1d' },
        title.text));
    }
    const lines = svgElement('g', { stroke: '#8a6d3b', 'stroke-width': 1.4, fill: 'none', 'stroke-opacity': 0.75 });
    let bypasses = 0;
    for (const [from, to] of directLinks(route.links)) {
      const a = where.get(from);
      const b = where.get(to);
      if (!a || !b) continue;
      if (a.x === b.x && b.y - a.y > boxHeight + gapY + 24) {
        // Boxes lie between the two in their column: round them through the gutter.
        const x = a.x + boxWidth;
        const out = 12 + (bypasses++ % 4) * 10;
        const y1 = a.y + boxHeight / 2;
        const y2 = b.y + boxHeight / 2;
        lines.append(svgElement('path', { d: `M${x},${y1} C${x + out},${y1} ${x + out},${y2} ${x},${y2}`,
          'marker-end': 'url(#key-route-arrow)' }));
        continue;
      }
      // From the middle of the opener's lower edge to the opened box's upper edge.
      const x1 = a.x + boxWidth / 2;
      const y1 = a.y + boxHeight;
      const x2 = b.x + boxWidth / 2 + (x1 < b.x ? -boxWidth / 4 : x1 > b.x + boxWidth ? boxWidth / 4 : 0);
      const y2 = b.y;
      const bend = Math.max(12, (y2 - y1) / 3);
      lines.append(svgElement('path', { d: `M${x1},${y1} C${x1},${y1 + bend} ${x2},${y2 - bend} ${x2},${y2}`,
        'marker-end': 'url(#key-route-arrow)' }));
    }
    svg.append(lines);
    for (const [item, { x, y: top }] of where) {
      const key = byItem.get(item);
      if (!key) continue;
      const group = svgElement('g', {});
      group.append(svgElement('rect', { x, y: top, width: boxWidth, height: boxHeight, rx: 4, fill: '#fffaf0',
        stroke: '#5b4a2f' }));
      group.append(svgElement('text', { x: x + 8, y: top + 16, 'font-size': 12, 'font-weight': 'bold',
        fill: '#1d1d1d' }, key.label));
      group.append(svgElement('text', { x: x + 8, y: top + 32, 'font-size': 10, fill: '#3a3a3a' }, key.place));
      svg.append(group);
    }
    picture.replaceChildren(svg);
    if (svgUrl) URL.revokeObjectURL(svgUrl);
    const text = `<?xml version="1.0" encoding="UTF-8"?>\n${new XMLSerializer().serializeToString(svg)}\n`;
    svgUrl = URL.createObjectURL(new Blob([text], { type: 'image/svg+xml' }));
    const name = `KeyRoute${current.chris ? 'Chris' : 'Jill'}${current.hard ? 'Hard' : 'Normal'}.svg`;
    svgLink.href = svgUrl;
    svgLink.download = name;
    svgLink.textContent = name;
    pictureBox.hidden = false;
  }

  // ---- Checking a received file.

  function formOptions() {
    return {
      chris: form.elements.character.value === 'chris',
      hard: form.elements.difficulty.value === 'hard',
      enemies: byId('enemies').checked,
      modifiers: Array.from(form.querySelectorAll('input[name="modifier"]:checked')).map((box) => Number(box.value)),
    };
  }

  async function check(file) {
    const seedText = checkSeed.value.trim();
    const seed = seedText === '' ? null : parseSeed(seedText);
    if (seedText !== '' && seed === null) {
      checkVerdict.textContent = 'The seed must be a whole number from 0 to 4294967295.';
      return;
    }
    checkVerdict.textContent = `Checking ${file.name}...`;
    let bytes;
    let answer;
    try {
      // As much of a received file as the engine's check reads: one byte past
      // its limit tells it the file is too large.
      const limit = await ask({ op: 'readLimit' });
      bytes = new Uint8Array(await file.slice(0, limit.result + 1).arrayBuffer());
      answer = await ask({ op: 'check', bytes, name: file.name, hasSeed: seed !== null, seed: seed || 0,
        ...formOptions() });
    } catch (error) {
      checkVerdict.textContent = `cannot check ${file.name}: ${error.message}`;
      return;
    }
    if (!isLatest('check', answer.id)) return;
    const verdict = answer.result;
    if (verdict.error) {
      checkVerdict.textContent = `cannot check ${file.name}: ${verdict.error}`;
      return;
    }
    checkVerdict.textContent = verdict.lines.join('\n');
    if (!verdict.completable) return;
    await open({ bytes, chris: verdict.chris, hard: verdict.hard, storageKey: `file:${fingerprint(bytes)}` },
      `Following the received file ${file.name} (${settingName(verdict.chris, verdict.hard)}).`);
  }

  checkFile.addEventListener('change', () => {
    if (checkFile.files.length > 0) check(checkFile.files[0]);
    // The same file chosen again is checked again.
    checkFile.value = '';
  });
  document.addEventListener('dragover', (event) => {
    if (event.dataTransfer && Array.from(event.dataTransfer.types).includes('Files')) event.preventDefault();
  });
  document.addEventListener('drop', (event) => {
    if (!event.dataTransfer || event.dataTransfer.files.length === 0) return;
    event.preventDefault();
    check(event.dataTransfer.files[0]);
  });

  // ---- Hooks for the page.

  function showRun(options, files) {
    const itemList = files.find((file) => file.name.startsWith('ItemList'));
    if (!itemList) return;
    const modifiers = options.modifiers.length > 0 ? `, modifiers ${options.modifiers.join(',')}` : '';
    open({ bytes: itemList.bytes, chris: options.chris, hard: options.hard, storageKey: `run:${formatRunQuery(options)}` },
      `Following the run of seed ${options.seed} (${settingName(options.chris, options.hard)}` +
      `${options.enemies ? ', enemies' : ''}${modifiers}).`);
  }

  // The engine's verdict on plando text for these options ({ status, lines }),
  // or null when a newer question was asked meanwhile.
  async function checkPlando(text, options) {
    const answer = await ask({ op: 'plando', text, chris: options.chris, hard: options.hard,
      modifiers: options.modifiers });
    return isLatest('plando', answer.id) ? answer.result : null;
  }

  globalThis.MansionCompanion = { showRun, clear, checkPlando, formOptions };
})();
