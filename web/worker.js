// One searcher of the page's search (see search-pool.js), off the page's
// thread. Posts { type: 'ready' } once the generator is loaded, or
// { type: 'failed', text } when it cannot be loaded or stops; the worker is
// then of no further use. Then takes
//   { type: 'start', seed, chris, hard, enemies, modifiers, plando }  a run's
//   tables (plando: the text the run read, '' for none),
//   { type: 'task', bytes }  a task of that run, answered with
//   { type: 'result', bytes }  what came of it.
// The page cancels a run by terminating its workers.
'use strict';

importScripts('mansion.js');

let mansion = null;
let searcher = 0;

function fail(text) {
  mansion = null;
  postMessage({ type: 'failed', text });
}

function handle(message) {
  if (message.type === 'start') {
    if (searcher) mansion._webEndSearcher(searcher);
    searcher = mansion.ccall('webStartSearcher', 'number',
      ['number', 'number', 'number', 'number', 'number', 'string'],
      [message.seed >>> 0, message.chris ? 1 : 0, message.hard ? 1 : 0, message.enemies ? 1 : 0, message.modifiers,
        message.plando || '']);
  } else if (message.type === 'task') {
    mansion.HEAPU8.set(message.bytes, mansion._webSearcherTask(searcher));
    const result = mansion._webSearchTask(searcher);
    const bytes = mansion.HEAPU8.slice(result, result + mansion._webResultBytes());
    postMessage({ type: 'result', bytes }, [bytes.buffer]);
  }
}

self.onmessage = (event) => {
  if (!mansion) return;
  try {
    handle(event.data);
  } catch (error) {
    // An aborted generator is unusable; the page replaces this worker.
    fail(`The generator stopped: ${error}`);
  }
};

createMansion().then((module) => {
  mansion = module;
  postMessage({ type: 'ready' });
}, (error) => fail(`The generator could not be loaded: ${error}`));
