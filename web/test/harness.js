// What the browser check and the measurement share: the system's Chromium
// driven by puppeteer-core, the built page served on 127.0.0.1, and runs of
// the console program for the same options.
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const puppeteer = require('puppeteer-core');
const { serveFolder } = require('./serve.js');

const kChromiumFlags = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

// Settings from the environment: WEB_DIR (the built page, build-web/site), NATIVE (the
// console program), CHROMIUM (the browser).
function settings() {
  const repository = path.resolve(__dirname, '..', '..');
  return {
    webDir: path.resolve(process.env.WEB_DIR || path.join(repository, 'build-web', 'site')),
    native: path.resolve(process.env.NATIVE || path.join(repository, 'build', 'mansion-randomizer')),
    chromium: process.env.CHROMIUM || '/usr/bin/chromium',
  };
}

function makeTempDir(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

// Serves the page and starts a browser with a fresh profile. Returns
// { browser, baseUrl, close }.
async function startBrowser(config) {
  for (const file of ['index.html', 'mansion.js', 'mansion.wasm']) {
    if (!fs.existsSync(path.join(config.webDir, file))) throw new Error(`${config.webDir} has no ${file}: build the page first`);
  }
  const server = await serveFolder(config.webDir);
  const profile = makeTempDir('mansion-chromium-');
  const browser = await puppeteer.launch({
    executablePath: config.chromium,
    headless: false, // the flags above make it headless
    args: kChromiumFlags,
    userDataDir: profile,
  });
  return {
    browser,
    baseUrl: `http://127.0.0.1:${server.address().port}/`,
    async close() {
      await browser.close();
      server.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// The console program's arguments for the options of a run.
function nativeArguments(options) {
  const args = ['--seed', String(options.seed), '--key-route', '--spoiler-json', '--character', options.chris ? 'chris' : 'jill',
    '--difficulty', options.hard ? 'hard' : 'normal'];
  if (options.enemies) args.push('--enemies');
  if (options.modifiers.length > 0) args.push('--modifier', options.modifiers.join(','));
  // The page searches on one thread; a timing compares like with like.
  if (options.threads) args.push('--threads', String(options.threads));
  // The page names its plando plando.txt; runNative writes it there.
  if (options.plando) args.push('--plando', 'plando.txt');
  return args;
}

// Runs the console program's --check on `file` with `extra` options;
// returns its standard output.
function checkNative(config, file, extra = []) {
  return execFileSync(config.native, ['--check', file, ...extra], { encoding: 'utf8' });
}

// Runs the console program (with options.plando as plando.txt in its working
// folder); returns { stdout, files: Map name -> Buffer, ms }.
function runNative(config, options) {
  const dir = makeTempDir('mansion-native-');
  const cwd = makeTempDir('mansion-native-plando-');
  try {
    if (options.plando) fs.writeFileSync(path.join(cwd, 'plando.txt'), options.plando);
    const started = process.hrtime.bigint();
    const stdout = execFileSync(config.native, [...nativeArguments(options), '--output-dir', dir],
      { encoding: 'utf8', cwd });
    const ms = Number(process.hrtime.bigint() - started) / 1e6;
    const files = new Map();
    for (const name of fs.readdirSync(dir).sort()) files.set(name, fs.readFileSync(path.join(dir, name)));
    return { stdout, files, ms };
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
    fs.rmSync(cwd, { recursive: true, force: true });
  }
}

// Waits until the page's body shows one of `states` and returns it.
async function waitForState(page, states, timeoutMs) {
  await page.waitForFunction((wanted) => wanted.includes(document.body.dataset.state), { timeout: timeoutMs, polling: 50 },
    states);
  return page.evaluate(() => document.body.dataset.state);
}

module.exports = { settings, makeTempDir, startBrowser, nativeArguments, runNative, checkNative, waitForState };
