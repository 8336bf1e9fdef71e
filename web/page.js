// The page: reads the options from the form or the link, runs the generator
// (search-pool.js: the page's engine and its workers), and shows its console
// lines, progress and files.
'use strict';

(function () {
  const { parseSeed, parseRunQuery, formatRunQuery, encodePlando } = globalThis.MansionQuery;
  const plandoBox = globalThis.MansionPlando;

  const form = document.getElementById('options');
  const seedField = document.getElementById('seed');
  const enemiesBox = document.getElementById('enemies');
  const raceBox = document.getElementById('race');
  const seedShown = document.getElementById('seed-shown');
  const fileCode = document.getElementById('file-code');
  const threadsField = document.getElementById('threads');
  const generateButton = document.getElementById('generate');
  const cancelButton = document.getElementById('cancel');
  const message = document.getElementById('message');
  const runSection = document.getElementById('run');
  const progress = document.getElementById('progress');
  const consoleBox = document.getElementById('console');
  const result = document.getElementById('result');
  const seedUsed = document.getElementById('seed-used');
  const elapsed = document.getElementById('elapsed');
  const shareLink = document.getElementById('share-link');
  const shareLabel = document.getElementById('share-label');
  const shareLine = document.getElementById('share-line');
  const sharePlando = document.getElementById('share-plando');
  const sharePlandoFile = document.getElementById('share-plando-file');
  const plandoDownloadLine = document.getElementById('plando-download-line');
  const plandoDownload = document.getElementById('plando-download');
  const downloadsHelp = document.getElementById('downloads-help');
  const raceHelp = document.getElementById('race-help');
  const downloads = document.getElementById('downloads');
  const keyRouteBox = document.getElementById('key-route-box');
  const keyRoute = document.getElementById('key-route');

  // The smallest module that uses a WebAssembly SIMD instruction.
  const kSimdProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10, 1,
    8, 0, 65, 0, 253, 15, 253, 98, 11]);

  // Workers searching side by side: one per core, up to eight, unless the
  // Threads field says otherwise. Links do not carry it.
  const kMaxThreads = 16;
  // The longest plando a link carries, encoded; a longer one is shared as a file.
  const kLinkPlandoLimit = 2000;
  const defaultThreads = Math.max(1, Math.min(Number(navigator.hardwareConcurrency) || 1, 8));
  const search = globalThis.MansionSearch.createSearch((data) => onWorkerMessage(data));
  let running = null; // the options of the run in progress
  let fileUrls = [];

  function showMessage(text) {
    message.textContent = text;
    message.hidden = text === '';
  }

  function modifierBoxes() {
    return Array.from(form.querySelectorAll('input[name="modifier"]'));
  }

  function readForm() {
    const seedText = raceBox.checked ? '' : seedField.value.trim();
    let seed = null;
    if (seedText !== '') {
      seed = parseSeed(seedText);
      if (seed === null) return { options: null, error: 'The seed must be a whole number from 0 to 4294967295.' };
    }
    return {
      options: {
        seed,
        chris: form.elements.character.value === 'chris',
        hard: form.elements.difficulty.value === 'hard',
        enemies: enemiesBox.checked,
        modifiers: modifierBoxes().filter((box) => box.checked).map((box) => Number(box.value)),
        race: raceBox.checked,
        plando: plandoBox.text(),
      },
      error: null,
    };
  }

  function fillForm(options) {
    seedField.value = options.seed === null ? '' : String(options.seed);
    form.elements.character.value = options.chris ? 'chris' : 'jill';
    form.elements.difficulty.value = options.hard ? 'hard' : 'normal';
    enemiesBox.checked = options.enemies;
    for (const box of modifierBoxes()) box.checked = options.modifiers.includes(Number(box.value));
    raceBox.checked = options.race;
    seedField.disabled = options.race;
    plandoBox.setText(options.plando);
  }

  // The number in the Threads field, or null when it is none from 1 to 16.
  function readThreads() {
    const text = threadsField.value.trim();
    const threads = /^[0-9]{1,2}$/.test(text) ? Number(text) : 0;
    return threads >= 1 && threads <= kMaxThreads ? threads : null;
  }

  function workerFailed(text) {
    finishRun();
    showMessage(text);
    document.body.dataset.state = 'failed';
  }

  function clearFiles() {
    for (const url of fileUrls) URL.revokeObjectURL(url);
    fileUrls = [];
    downloads.replaceChildren();
    plandoDownloadLine.hidden = true;
    keyRoute.textContent = '';
    keyRouteBox.hidden = true;
    globalThis.MansionCompanion?.clear();
    fileCode.textContent = '';
    seedUsed.textContent = '';
  }

  function generate(options) {
    if (running) return;
    const threads = readThreads();
    if (threads === null) {
      showMessage(`Threads must be a whole number from 1 to ${kMaxThreads}.`);
      return;
    }
    showMessage('');
    clearFiles();
    running = options;
    runSection.hidden = false;
    result.hidden = true;
    consoleBox.textContent = '';
    progress.textContent = '';
    generateButton.disabled = true;
    cancelButton.disabled = false;
    document.body.dataset.state = 'running';
    search.run({
      hasSeed: options.seed !== null,
      seed: options.seed === null ? 0 : options.seed,
      chris: options.chris,
      hard: options.hard,
      enemies: options.enemies,
      modifiers: options.modifiers,
      race: options.race,
      plando: options.plando,
    }, threads);
  }

  function finishRun() {
    running = null;
    progress.textContent = '';
    generateButton.disabled = false;
    cancelButton.disabled = true;
  }

  function cancel() {
    if (!running) return;
    // The workers' search loops never yield, so ending the workers is the only
    // way to stop them; the next run starts new ones.
    search.cancel();
    finishRun();
    appendConsoleLine('Cancelled.');
    document.body.dataset.state = 'cancelled';
  }

  function appendConsoleLine(text) {
    consoleBox.textContent += `${text}\n`;
  }

  function onWorkerMessage(data) {
    if (!running) return;
    switch (data.type) {
      case 'seed':
        running.seed = data.seed;
        seedUsed.textContent = String(data.seed);
        break;
      case 'line':
      case 'error':
        appendConsoleLine(data.text);
        break;
      case 'progress':
        progress.textContent = data.text;
        break;
      case 'fileCode':
        fileCode.textContent = data.text;
        break;
      case 'note':
        showMessage(data.text);
        break;
      case 'failed':
        workerFailed(data.text);
        break;
      case 'done':
        showResult(data);
        break;
    }
  }

  // The key route file is a plando as it is: its key items where they lie.
  function showPlandoDownload(keyRouteFile) {
    const url = URL.createObjectURL(new Blob([keyRouteFile.bytes], { type: 'text/plain' }));
    fileUrls.push(url);
    plandoDownload.href = url;
    plandoDownload.download = keyRouteFile.name.replace(/^KeyRoute/, 'Plando');
    plandoDownloadLine.hidden = false;
  }

  // The run's link in the address bar and on the page; a plando too long for
  // a link is offered as its file instead.
  function showLink(options) {
    const tooLong = options.plando !== '' && encodePlando(options.plando).length > kLinkPlandoLimit;
    history.replaceState(null, '', formatRunQuery({ ...options, plando: tooLong ? '' : options.plando }));
    shareLine.hidden = tooLong;
    sharePlando.hidden = !tooLong;
    if (tooLong) {
      const url = URL.createObjectURL(new Blob([options.plando], { type: 'text/plain' }));
      fileUrls.push(url);
      sharePlandoFile.href = url;
    }
    shareLink.href = location.href;
    shareLink.textContent = location.href;
  }

  function showResult(data) {
    const options = running;
    finishRun();
    if (data.status !== 0) {
      showMessage(`The run failed (exit status ${data.status}); its messages are below.`);
      document.body.dataset.state = 'failed';
      return;
    }
    showLink(options);
    // A race's seed was never shown, its link starts another race, and its
    // one file is the item list.
    seedShown.hidden = options.race;
    shareLabel.textContent = options.race ? 'Link that starts a new race:' : 'Link to this run:';
    downloadsHelp.hidden = options.race;
    raceHelp.hidden = !options.race;
    elapsed.textContent = `(generated in ${(data.elapsedMs / 1000).toFixed(2)} s)`;
    elapsed.dataset.ms = String(data.elapsedMs);
    for (const file of data.files) {
      const url = URL.createObjectURL(new Blob([file.bytes], { type: 'text/plain' }));
      fileUrls.push(url);
      const link = document.createElement('a');
      link.href = url;
      link.download = file.name;
      link.textContent = file.name;
      const item = document.createElement('li');
      item.append(link);
      downloads.append(item);
      if (file.name.startsWith('KeyRoute')) {
        keyRoute.textContent = new TextDecoder().decode(file.bytes);
        keyRouteBox.hidden = false;
        showPlandoDownload(file);
      }
    }
    result.hidden = false;
    document.body.dataset.state = 'done';
    // A race's placement stays unseen even by the organiser; racers follow
    // the item list they receive through the companion's file check.
    if (!options.race) globalThis.MansionCompanion?.showRun(options, data.files);
  }

  form.addEventListener('submit', (event) => {
    event.preventDefault();
    const { options, error } = readForm();
    if (error) {
      showMessage(error);
      return;
    }
    generate(options);
  });
  cancelButton.addEventListener('click', cancel);
  // A race draws its own seed; the field would only mislead.
  raceBox.addEventListener('change', () => {
    seedField.disabled = raceBox.checked;
    if (raceBox.checked) seedField.value = '';
  });

  if (typeof WebAssembly !== 'object' || !WebAssembly.validate(kSimdProbe)) {
    generateButton.disabled = true;
    showMessage('This browser does not support WebAssembly SIMD, which the generator is built with. ' +
      'Use a current browser, or the console program.');
    document.body.dataset.state = 'no-simd';
    return;
  }
  threadsField.value = String(defaultThreads);
  // Loads the workers while the page is read.
  search.setWorkerCount(defaultThreads);
  const { options, error } = parseRunQuery(location.search);
  if (error) {
    showMessage(error);
    document.body.dataset.state = 'bad-link';
  } else if (options) {
    fillForm(options);
    generate(options);
  } else {
    document.body.dataset.state = 'idle';
  }
})();
