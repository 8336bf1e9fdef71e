// Times Chris Hard runs in headless Chromium against the console program on
// the same seeds; prints each pair and the ratio of the totals.
//   WEB_DIR=build-web NATIVE=build/mansion-randomizer node measure.js [SEED...]
// The console program runs with --threads 1 (NATIVE_THREADS sets another).
// The page's time is that of the generator call inside its worker; the
// console program's is its whole process, start to exit.
'use strict';

const { settings, startBrowser, runNative, waitForState } = require('./harness.js');
const { formatRunQuery } = require('../query.js');

async function main() {
  const config = settings();
  const seeds = process.argv.length > 2 ? process.argv.slice(2).map(Number) : [1, 2, 3, 7, 11, 42, 1000, 31337];
  const session = await startBrowser(config);
  let pageTotal = 0;
  let nativeTotal = 0;
  try {
    const page = await session.browser.newPage();
    for (const seed of seeds) {
      const options = { seed, chris: true, hard: true, enemies: false, modifiers: [] };
      await page.goto(session.baseUrl + formatRunQuery(options));
      options.threads = Number(process.env.NATIVE_THREADS || 1);
      if (await waitForState(page, ['done', 'failed'], 600000) !== 'done') throw new Error(`seed ${seed}: the run failed`);
      const pageMs = Number(await page.$eval('#elapsed', (span) => span.dataset.ms));
      const native = runNative(config, options);
      const attempts = /sequence:(\d+)/.exec(native.stdout)[1];
      console.log(`seed ${seed}: ${attempts} attempts, page ${pageMs.toFixed(0)} ms, console program ${native.ms.toFixed(0)} ms, ` +
        `ratio ${(pageMs / native.ms).toFixed(2)}`);
      pageTotal += pageMs;
      nativeTotal += native.ms;
    }
  } finally {
    await session.close();
  }
  console.log(`total: page ${pageTotal.toFixed(0)} ms, console program ${nativeTotal.toFixed(0)} ms, ` +
    `ratio ${(pageTotal / nativeTotal).toFixed(2)}`);
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
