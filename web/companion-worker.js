// The play companion's engine, off the page's thread. Receives
//   { id, op: 'check', bytes, name, hasSeed, seed, chris, hard, enemies, modifiers }
//   { id, op: 'view' | 'reachable' | 'find', bytes, chris, hard, collected?, text? }
//   { id, op: 'readLimit' }: the most bytes of a file the check reads
//   { id, op: 'plando', text, chris, hard, modifiers }: the verdict on a plando
// and posts back { id, result } with the engine's JSON answer parsed, or
// { id, error } when the engine cannot be loaded or stops. bytes is the item
// list (the page passes at most what the check reads).
'use strict';

importScripts('mansion.js');

const kReceivedPath = '/received';
const kRunPath = '/companion-run';

let engine = null;

function loadEngine() {
  if (!engine) engine = createMansion({ print: () => {}, printErr: () => {} });
  return engine;
}

// Calls an export that returns a malloc'd JSON text, and frees it.
function callJson(mansion, name, types, args) {
  const pointer = mansion.ccall(name, 'number', types, args);
  if (!pointer) throw new Error(`${name} returned nothing`);
  try {
    return JSON.parse(mansion.UTF8ToString(pointer));
  } finally {
    mansion._free(pointer);
  }
}

function answer(mansion, request) {
  const chris = request.chris ? 1 : 0;
  const hard = request.hard ? 1 : 0;
  switch (request.op) {
    case 'check': {
      mansion.FS.writeFile(kReceivedPath, request.bytes);
      const modifiers = request.modifiers.reduce((mask, number) => mask | mansion._webModifierBit(number), 0);
      return callJson(mansion, 'webCheckItemList',
        ['string', 'string', 'number', 'number', 'number', 'number', 'number', 'number'],
        [kReceivedPath, request.name, request.hasSeed ? 1 : 0, request.seed >>> 0, chris, hard, request.enemies ? 1 : 0,
          modifiers]);
    }
    case 'view':
      mansion.FS.writeFile(kRunPath, request.bytes);
      return callJson(mansion, 'webRunView', ['string', 'number', 'number'], [kRunPath, chris, hard]);
    case 'reachable':
      mansion.FS.writeFile(kRunPath, request.bytes);
      return callJson(mansion, 'webReachableKeys', ['string', 'number', 'number', 'string'],
        [kRunPath, chris, hard, request.collected.join(',')]);
    case 'find':
      mansion.FS.writeFile(kRunPath, request.bytes);
      return callJson(mansion, 'webFindItem', ['string', 'number', 'number', 'string'],
        [kRunPath, chris, hard, request.text]);
    case 'plando': {
      const modifiers = request.modifiers.reduce((mask, number) => mask | mansion._webModifierBit(number), 0);
      // The name the page's run gives its plando.
      return callJson(mansion, 'webCheckPlando', ['string', 'number', 'number', 'number', 'string'],
        ['plando.txt', chris, hard, modifiers, request.text]);
    }
    case 'readLimit':
      return mansion._webReadLimit();
    default:
      throw new Error(`unknown request ${request.op}`);
  }
}

self.onmessage = async (event) => {
  const request = event.data;
  try {
    const mansion = await loadEngine();
    postMessage({ id: request.id, result: answer(mansion, request) });
  } catch (error) {
    // An aborted engine is unusable; the next request loads a fresh one.
    engine = null;
    postMessage({ id: request.id, error: String(error) });
  }
};
