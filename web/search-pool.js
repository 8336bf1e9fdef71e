// The page's generator: makes a run on the page's thread through the engine's
// exports (webBeginRun ... webEndRun) while workers (worker.js) search its
// candidates, each taking the run's tasks one after the other. The tasks,
// what came of them and the answer are the engine's; this file only carries
// their bytes between the run and the workers, which share no memory.
// Loaded by the page as a plain script after mansion.js:
//   const search = MansionSearch.createSearch(onMessage);
//   search.setWorkerCount(n);  // starts the workers ahead of a run
//   search.run({ hasSeed, seed, chris, hard, enemies, modifiers, race, plando }, workerCount);
//   search.cancel();
// (plando: the Plando box's text, '' for none).
// onMessage gets what the single worker of earlier pages posted:
//   { type: 'seed', seed } (never in a race, whose seed is drawn here and
//   shown nowhere), { type: 'line' | 'error' | 'progress', text },
//   { type: 'fileCode', text }  the item list's file code, once written,
//   { type: 'note', text }  fewer workers than asked could be started,
//   { type: 'done', status, files, elapsedMs }  files: [{ name, bytes }],
//   { type: 'failed', text }  the generator could not be loaded or stopped.
'use strict';

(function (exports) {
  const kRunFolder = '/run';
  const kEventTypes = ['line', 'error', 'progress', 'seed', 'fileCode'];
  // Tasks handed to each searcher at a time: while it searches one, the next
  // already waits, so it never idles while the page hands it another.
  const kTasksPerSearcher = 2;

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

  function modifierMask(mansion, modifiers) {
    return modifiers.reduce((mask, number) => mask | mansion._webModifierBit(number), 0);
  }

  // A searcher of the engine for the run's options and plando (as worker.js
  // starts one).
  function startSearcher(mansion, run) {
    return mansion.ccall('webStartSearcher', 'number', ['number', 'number', 'number', 'number', 'number', 'string'],
      [run.seed >>> 0, run.chris, run.hard, run.enemies, run.modifiers, run.plando]);
  }

  function createSearch(onMessage) {
    let engine = null; // the page's own module, a promise
    let workers = []; // { worker, ready: Promise<boolean>, failure, listener }
    let current = null; // the run in progress: { stop() }

    // The engine reports a run's lines through this global (see src/web).
    globalThis.onRunEvent = (kind, text) => {
      if (!current) return;
      if (kEventTypes[kind] === 'seed') onMessage({ type: 'seed', seed: Number(text) });
      else onMessage({ type: kEventTypes[kind], text });
    };

    function loadEngine() {
      if (!engine) {
        engine = createMansion().catch((error) => {
          engine = null;
          throw error;
        });
      }
      return engine;
    }

    function startWorker() {
      const slot = { worker: null, ready: null, failure: null, listener: null };
      slot.ready = new Promise((resolve) => {
        const failed = (text) => {
          slot.failure = text;
          resolve(false);
          if (slot.listener) slot.listener({ type: 'failed', text });
        };
        try {
          slot.worker = new Worker('worker.js');
        } catch (error) {
          failed(String(error && error.message ? error.message : error));
          return;
        }
        slot.worker.onmessage = (event) => {
          const data = event.data;
          if (data.type === 'ready') resolve(true);
          else if (data.type === 'failed') failed(data.text);
          else if (slot.listener) slot.listener(data);
        };
        slot.worker.onerror = (event) => {
          event.preventDefault();
          failed(`The generator stopped: ${event.message || 'unknown error'}`);
        };
      });
      return slot;
    }

    function endWorker(slot) {
      if (slot.worker) slot.worker.terminate();
      slot.listener = null;
    }

    function setWorkerCount(count) {
      while (workers.length > count) endWorker(workers.pop());
      while (workers.length < count) workers.push(startWorker());
    }

    function stopWorkers() {
      for (const slot of workers) endWorker(slot);
      workers = [];
    }

    // A searcher on a worker.
    function workerSearcher(slot, onResult, onFailed) {
      const searcher = {
        start(run) {
          slot.worker.postMessage({ type: 'start', ...run });
        },
        search(bytes) {
          slot.worker.postMessage({ type: 'task', bytes }, [bytes.buffer]);
        },
        end() {
          slot.listener = null;
        },
      };
      slot.listener = (data) => {
        if (data.type === 'result') onResult(searcher, data.bytes);
        else if (data.type === 'failed') onFailed(data.text);
      };
      return searcher;
    }

    // The searcher of last resort, when no worker starts: the page's own
    // module, one task at a time between the page's other events, so the
    // page still shows progress and takes a cancel.
    function pageSearcher(mansion, onResult) {
      let handle = 0;
      let ended = false;
      const searcher = {
        start(run) {
          handle = startSearcher(mansion, run);
        },
        search(bytes) {
          setTimeout(() => {
            if (ended) return;
            mansion.HEAPU8.set(bytes, mansion._webSearcherTask(handle));
            const result = mansion._webSearchTask(handle);
            onResult(searcher, mansion.HEAPU8.slice(result, result + mansion._webResultBytes()));
          }, 0);
        },
        end() {
          ended = true;
          if (handle) mansion._webEndSearcher(handle);
          handle = 0;
        },
      };
      return searcher;
    }

    // Loads the engine and waits for `workerCount` workers; null when the run
    // was stopped meanwhile (isStopped()) or the engine could not be loaded,
    // which is reported.
    async function prepareRun(workerCount, isStopped) {
      let mansion;
      try {
        mansion = await loadEngine();
      } catch (error) {
        if (isStopped()) return null;
        current = null;
        onMessage({ type: 'failed', text: `The generator could not be loaded: ${error}` });
        return null;
      }
      if (isStopped()) return null;
      setWorkerCount(workerCount);
      const slots = workers.slice();
      // A worker that failed after it was ready (while idle) counts as failed.
      const started = (await Promise.all(slots.map((slot) => slot.ready))).map((ready, i) => ready && !slots[i].failure);
      if (isStopped()) return null;
      return { mansion, slots, started };
    }

    // The run in the engine (its handle) and its searchers, with the tasks in
    // flight; end() leaves it, fail() and stop() take the workers with it.
    function activeRun(mansion) {
      const state = { mansion, handle: 0, searchers: [], inFlight: 0, startedAt: 0, taskBytes: 0 };
      state.end = () => {
        for (const searcher of state.searchers) searcher.end();
        if (state.handle) mansion._webEndRun(state.handle);
        state.handle = 0;
        current = null;
      };
      // A worker that stops takes the run with it; the next run starts afresh.
      state.fail = (text) => {
        if (current !== state) return;
        state.end();
        stopWorkers();
        onMessage({ type: 'failed', text });
      };
      state.stop = () => {
        state.end();
        stopWorkers();
      };
      return state;
    }

    // Begins the run in the engine (its generating and seed lines); returns
    // the options the searchers start with.
    function beginEngineRun(state, options) {
      const mansion = state.mansion;
      const runOptions = {
        chris: options.chris ? 1 : 0,
        hard: options.hard ? 1 : 0,
        enemies: options.enemies ? 1 : 0,
        modifiers: modifierMask(mansion, options.modifiers),
        plando: options.plando || '',
      };
      // A race's seed comes from the browser's secure random source, never
      // the clock, and is shown nowhere.
      const seed = options.race ? crypto.getRandomValues(new Uint32Array(1))[0] : options.seed >>> 0;
      state.handle = mansion.ccall('webBeginRun', 'number',
        ['number', 'number', 'number', 'number', 'number', 'number', 'number', 'string'],
        [options.hasSeed || options.race ? 1 : 0, seed, runOptions.chris, runOptions.hard, runOptions.enemies,
          runOptions.modifiers, options.race ? 1 : 0, runOptions.plando]);
      runOptions.seed = mansion._webRunSeed(state.handle) >>> 0;
      state.taskBytes = mansion._webTaskBytes();
      return runOptions;
    }

    // Finishes the run in the engine (modifiers, files) and hands over its files.
    function finishRun(state) {
      const mansion = state.mansion;
      const status = mansion._webFinishRun(state.handle);
      const files = status === 0 ? readRunFiles(mansion.FS) : [];
      const elapsedMs = performance.now() - state.startedAt;
      state.end();
      onMessage({ type: 'done', status, files, elapsedMs });
    }

    // Hands the searcher the run's next task; false when none is left.
    function feed(state, searcher) {
      const mansion = state.mansion;
      const task = mansion._webTakeTask(state.handle);
      if (!task) return false;
      state.inFlight += 1;
      searcher.search(mansion.HEAPU8.slice(task, task + state.taskBytes));
      return true;
    }

    // Records a searcher's result in the run, gives the searcher the next
    // task, and finishes the run once no task is in flight.
    function takeResult(state, searcher, bytes) {
      if (current !== state) return;
      try {
        state.inFlight -= 1;
        state.mansion.HEAPU8.set(bytes, state.mansion._webResultBuffer(state.handle));
        state.mansion._webRecordResult(state.handle);
        feed(state, searcher);
        if (state.inFlight === 0) finishRun(state);
      } catch (error) {
        state.fail(`The generator stopped: ${error}`);
      }
    }

    // Says how many of the workers asked for could be started, when not all.
    function noteFailures(failures, working, workerCount) {
      if (failures.length === 0) return;
      const reason = failures[0].failure;
      onMessage({
        type: 'note',
        text: working.length > 0
          ? `Only ${working.length} of ${workerCount} workers could be started (${reason}); the search uses those.`
          : `No worker could be started (${reason}); the search runs on the page itself, which may respond ` +
            'slowly until it ends.',
      });
    }

    // Starts the searchers (the page itself when no worker started) and
    // hands each its first tasks.
    function startSearchers(state, runOptions) {
      for (const searcher of state.searchers) searcher.start(runOptions);
      for (let round = 0; round < kTasksPerSearcher; round += 1) {
        for (const searcher of state.searchers) feed(state, searcher);
      }
      if (state.inFlight === 0) finishRun(state);
    }

    async function run(options, workerCount) {
      if (current) return;
      let stopped = false;
      current = {
        stop() {
          stopped = true;
          stopWorkers();
        },
      };
      const prepared = await prepareRun(workerCount, () => stopped);
      if (!prepared) return;
      const { mansion, slots, started } = prepared;
      const state = activeRun(mansion);
      current = state;

      const working = slots.filter((slot, i) => started[i]);
      const failures = slots.filter((slot, i) => !started[i]);
      for (const slot of failures) endWorker(slot);
      workers = working;
      state.startedAt = performance.now();
      try {
        const runOptions = beginEngineRun(state, options);
        const onResult = (searcher, bytes) => takeResult(state, searcher, bytes);
        state.searchers = working.map((slot) => workerSearcher(slot, onResult, state.fail));
        noteFailures(failures, working, workerCount);
        if (state.searchers.length === 0) state.searchers.push(pageSearcher(mansion, onResult));
        startSearchers(state, runOptions);
      } catch (error) {
        state.fail(`The generator stopped: ${error}`);
      }
    }

    return {
      setWorkerCount(count) {
        if (!current) setWorkerCount(count);
      },
      run,
      // Stops the run in progress and every worker; the next run starts new ones.
      cancel() {
        if (current) current.stop();
        current = null;
      },
    };
  }

  exports.createSearch = createSearch;
})(globalThis.MansionSearch = {});
