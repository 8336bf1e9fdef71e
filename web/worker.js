// Runs the generator off the page's thread. Receives one message per run,
// { hasSeed, seed, chris, hard, enemies, modifiers, race }, and posts back
//   { type: 'seed', seed }            before the search starts (never in a
//                                     race, whose seed the worker draws and
//                                     keeps to itself),
//   { type: 'fileCode', text }        the item list's file code, once written,
//   { type: 'line', text } / { type: 'error', text }  each console line,
//   { type: 'progress', text }        the progress line ('' when it is erased),
//   { type: 'done', status, files, elapsedMs }  files: [{ name, bytes }],
//   { type: 'failed', text }          when the generator cannot be loaded or
//                                     stops; the worker is of no further use.
// The page cancels a run by terminating the worker.
'use strict';

importScripts('mansion.js');

const kRunFolder = '/run';
const kEventTypes = ['line', 'error', 'progress', 'seed', 'fileCode'];

// Called by the generator (see src/web) while it runs.
self.onRunEvent = (kind, text) => {
  if (kEventTypes[kind] === 'seed') {
    postMessage({ type: 'seed', seed: Number(text) });
  } else {
    postMessage({ type: kEventTypes[kind], text });
  }
};

let generator = null;

function loadGenerator() {
  if (!generator) {
    generator = createMansion({
      print: (text) => postMessage({ type: 'line', text }),
      printErr: (text) => postMessage({ type: 'error', text }),
    });
  }
  return generator;
}

// The order in which a run writes its files.
function fileRank(name) {
  const order = ['ItemList', 'CheatSheet', 'KeyRoute', 'Spoiler'];
  const rank = order.findIndex((prefix) => name.startsWith(prefix));
  return rank < 0 ? order.length : rank;
}

function readRunFiles(FS) {
  const names = FS.readdir(kRunFolder).filter((name) => name !== '.' && name !== '..');
  names.sort((a, b) => fileRank(a) - fileRank(b) || (a < b ? -1 : a > b ? 1 : 0));
  return names.map((name) => ({ name, bytes: FS.readFile(`${kRunFolder}/${name}`) }));
}

self.onmessage = async (event) => {
  let mansion;
  try {
    mansion = await loadGenerator();
  } catch (error) {
    postMessage({ type: 'failed', text: `The generator could not be loaded: ${error}` });
    return;
  }
  const run = event.data;
  // A race's seed comes from the browser's secure random source, never the
  // clock, and goes no further than the generator.
  const raceSeed = run.race ? crypto.getRandomValues(new Uint32Array(1))[0] : 0;
  const started = performance.now();
  let status;
  try {
    status = mansion._webGenerate(run.hasSeed || run.race ? 1 : 0, run.race ? raceSeed : run.seed >>> 0,
      run.chris ? 1 : 0, run.hard ? 1 : 0, run.enemies ? 1 : 0,
      run.modifiers.reduce((mask, number) => mask | (1 << (number - 1)), 0), run.race ? 1 : 0);
  } catch (error) {
    // An aborted generator is unusable; the page replaces this worker.
    postMessage({ type: 'failed', text: `The generator stopped: ${error}` });
    return;
  }
  const elapsedMs = performance.now() - started;
  const files = status === 0 ? readRunFiles(mansion.FS) : [];
  postMessage({ type: 'done', status, files, elapsedMs }, files.map((file) => file.bytes.buffer));
};
