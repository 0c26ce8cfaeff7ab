// Shared by the browser tests and the browser benchmark: a static server for the web
// build on 127.0.0.1, Debian's Chromium headless through puppeteer-core, and pages whose
// console is recorded.
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');  // from NODE_PATH: see setup.sh

const kChromium = '/usr/bin/chromium';
// Without these Chromium keeps reaching for Google's services, which this machine refuses.
const kChromiumFlags = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

const kTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// Serves the files of a folder; resolves to { url, close }. Isolated pages (cross-origin
// isolation) get a finer performance.now(): 5 microseconds instead of 100.
function serveFolder(folder, { isolated = false } = {}) {
  const isolation = isolated ? {
    'Cross-Origin-Opener-Policy': 'same-origin',
    'Cross-Origin-Embedder-Policy': 'require-corp',
  } : {};
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(folder, name === '/' ? 'index.html' : name);
    if (!file.startsWith(folder) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {
      'Content-Type': kTypes[path.extname(file)] || 'text/plain', ...isolation,
    });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      resolve({
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () => new Promise((done) => server.close(done)),
      });
    });
  });
}

// Chromium with a new empty profile, removed again by close().
async function launchChromium() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'dorminax-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: kChromium,
    headless: true,
    args: kChromiumFlags,
    userDataDir: profile,
  });
  return {
    browser,
    profile,
    close: async () => {
      await browser.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A page whose console messages and uncaught errors are kept in page.consoleLines
// ("type: text") and page.consoleErrors.
async function openPage(browser, url, viewport = { width: 800, height: 600 }) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.consoleLines = [];
  page.consoleErrors = [];
  page.on('console', (message) => {
    page.consoleLines.push(`${message.type()}: ${message.text()}`);
    if (message.type() === 'error') page.consoleErrors.push(message.text());
  });
  page.on('pageerror', (error) => page.consoleErrors.push(String(error)));
  page.on('requestfailed', (request) => {
    page.consoleErrors.push(`request failed: ${request.url()}`);
  });
  await page.goto(url, { waitUntil: 'load' });
  return page;
}

// Waits until the page's state (body's data-state) is one of those given.
async function waitForState(page, states, timeout) {
  await page.waitForFunction((wanted) => wanted.includes(document.body.dataset.state),
    { timeout, polling: 50 }, states);
  return page.evaluate(() => document.body.dataset.state);
}

// The canvas as 320x240 RGBA bytes.
async function canvasPixels(page) {
  const bytes = await page.evaluate(() => {
    const canvas = document.getElementById('screen');
    const data = canvas.getContext('2d').getImageData(0, 0, 320, 240).data;
    return Array.from(data);
  });
  return Uint8Array.from(bytes);
}

// A PNG decoded by the browser, as RGBA bytes.
async function decodePng(browser, file) {
  const page = await browser.newPage();
  const base64 = fs.readFileSync(file).toString('base64');
  const bytes = await page.evaluate(async (data) => {
    const blob = await (await fetch(`data:image/png;base64,${data}`)).blob();
    const bitmap = await createImageBitmap(blob);
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    return Array.from(context.getImageData(0, 0, bitmap.width, bitmap.height).data);
  }, base64);
  await page.close();
  return Uint8Array.from(bytes);
}

function identicalShare(a, b) {
  let same = 0;
  for (let i = 0; i < a.length; i += 4) {
    if (a[i] === b[i] && a[i + 1] === b[i + 1] && a[i + 2] === b[i + 2]) same += 1;
  }
  return same / (a.length / 4);
}

// Runs the test function and ends the process with its outcome, printing every failure.
function runTest(name, body) {
  body().then(() => {
    console.log(`${name}: passed`);
    process.exit(0);
  }, (error) => {
    console.log(`${name}: FAILED: ${error && error.stack ? error.stack : error}`);
    process.exit(1);
  });
}

function check(condition, message) {
  if (!condition) throw new Error(message);
}

module.exports = {
  serveFolder, launchChromium, openPage, waitForState, canvasPixels, decodePng, identicalShare,
  runTest, check,
};
