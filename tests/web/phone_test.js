// The page on a phone: Lighthouse's mobile audit (accessibility and best practices held,
// performance reported); a touch screen upright (390x844) and on its side (844x390), where
// every control takes a fingertip, the picture fills what fits, a tap shows the resting
// bar and two quick taps on a side of the picture seek; sound the browser held back comes
// back with a tap, in step; the browser finds the page installable; and once loaded, the
// page plays with the network off, frame for frame the frame tool's.
// Usage: node phone_test.js WEB_DIR DATA_DIR DORMINAX_FRAME OUT_DIR
'use strict';

const { execFile } = require('child_process');
const fs = require('fs');
const path = require('path');
const { pathToFileURL } = require('url');
const {
  serveFolder, launchChromium, openPage, waitForState, canvasPixels, decodePng, identicalShare,
  runTest, check,
} = require('./harness');

const kUpright = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const kOnItsSide = { ...kUpright, width: 844, height: 390 };
const kFingertip = 44;  // CSS pixels a touch target takes at least

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Lighthouse in its mobile mode (its default: a phone's screen, a slow network and CPU
// simulated) over the served page, in the tests' own browser.
async function checkLighthouse(browser, url, outDir) {
  // An ES module, which NODE_PATH does not reach: imported from where require finds it.
  const { default: lighthouse } = await import(pathToFileURL(require.resolve('lighthouse')).href);
  const port = Number(new URL(browser.wsEndpoint()).port);
  const result = await lighthouse(url, {
    port, output: 'json', logLevel: 'error',
    onlyCategories: ['performance', 'accessibility', 'best-practices'],
  });
  fs.writeFileSync(path.join(outDir, 'lighthouse.json'), result.report);
  const { categories, audits } = result.lhr;
  const score = (id) => Math.round(categories[id].score * 100);
  console.log(`Lighthouse (mobile): performance ${score('performance')}, accessibility ` +
              `${score('accessibility')}, best practices ${score('best-practices')}`);
  const failing = (id) => categories[id].auditRefs
    .filter((ref) => ref.weight > 0 && audits[ref.id].score !== null && audits[ref.id].score < 1)
    .map((ref) => ref.id).join(', ');
  check(score('accessibility') === 100, `accessibility ${score('accessibility')}: ${failing('accessibility')}`);
  check(score('best-practices') >= 95,
    `best practices ${score('best-practices')}: ${failing('best-practices')}`);
}

// The elements given, with their boxes, that are shown at all.
async function boxes(page, selector) {
  return page.$$eval(selector, (elements) => elements
    .filter((element) => element.getClientRects().length > 0)
    .map((element) => {
      const box = element.getBoundingClientRect();
      return { id: element.id || element.textContent.trim(), width: box.width, height: box.height };
    }));
}

async function checkFingertipSized(page, selector, what) {
  const shown = await boxes(page, selector);
  check(shown.length > 0, `no ${what} shown`);
  const small = shown.filter((box) => box.width < kFingertip || box.height < kFingertip);
  check(small.length === 0, `${what} smaller than ${kFingertip}x${kFingertip}: ${JSON.stringify(small)}`);
}

// As large as fits in the picture's place: a whole scale from twice the size up, else the
// width or the height filled. The page fits the picture when the browser next reports the
// new size, before that frame is painted; a check run straight after a resize may come
// first, so it waits for that frame.
async function checkPictureSize(page, layout) {
  const fitted = () => {
    const view = document.getElementById('view');
    const screen = document.getElementById('screen').getBoundingClientRect();
    const fits = Math.min(view.clientWidth / 320, view.clientHeight / 240);
    return fits < 2 && Math.abs(screen.width - 320 * fits) <= 1 &&
           Math.abs(screen.height - 240 * fits) <= 1;
  };
  const sizes = () => {
    const view = document.getElementById('view');
    const screen = document.getElementById('screen').getBoundingClientRect();
    return `${screen.width}x${screen.height} in ${view.clientWidth}x${view.clientHeight}`;
  };
  const ok = await page.waitForFunction(fitted, { timeout: 3000 }).then(() => true, () => false);
  check(ok, `${layout}: the picture is ${await page.evaluate(sizes)}`);
}

const barShown = (page) => page.$eval('#player', (bar) => getComputedStyle(bar).opacity === '1');

async function tapPicture(page, share) {
  const view = await (await page.$('#view')).boundingBox();
  await page.touchscreen.tap(view.x + view.width * share, view.y + view.height / 2);
}

async function heldSeconds(page) {
  return page.evaluate(() => PageSide.position.seconds);
}

// Held: one tap on a side does not seek; two quick taps there go five seconds that way.
async function checkDoubleTaps(page) {
  const start = await heldSeconds(page);
  await tapPicture(page, 0.9);
  await sleep(600);
  check(await heldSeconds(page) === start, 'one tap on the right third seeked');
  await tapPicture(page, 0.9);
  await tapPicture(page, 0.9);
  await page.waitForFunction((s) => PageSide.position.seconds > s, { timeout: 5000 }, start);
  const forward = await heldSeconds(page);
  check(Math.abs(forward - (start + 5)) < 0.02, `a double tap on the right: ${start} s to ${forward} s`);
  await sleep(600);
  await tapPicture(page, 0.1);
  await tapPicture(page, 0.1);
  await page.waitForFunction((s) => PageSide.position.seconds < s, { timeout: 5000 }, forward);
  const back = await heldSeconds(page);
  check(Math.abs(back - start) < 0.02, `a double tap on the left: ${forward} s to ${back} s`);
}

// Sound the browser holds back (a phone locked, a page hidden): "Tap for sound", and the
// tap brings the music back where the show is.
async function checkSoundComesBack(page) {
  await page.waitForFunction(() => PageSide.music && PageSide.music.source !== null,
    { timeout: 30000 });
  await page.evaluate(() => Module.audioContext.suspend());
  await page.waitForSelector('#sound-now:not([hidden])', { timeout: 5000 });
  await sleep(1000);  // the picture goes on without the music
  await page.tap('#sound-now button');
  await page.waitForFunction(() => Module.audioContext.state === 'running' &&
                                   document.getElementById('sound-now').hidden, { timeout: 5000 });
  // Where the music plays now, against the picture of the last pass.
  const apart = await page.evaluate(() => {
    const playing = PageSide.music.startedAt;
    const music = playing.seconds + (Module.audioContext.currentTime - playing.time);
    return Math.abs(music - PageSide.position.seconds);
  });
  check(apart < 0.25, `the music came back ${apart.toFixed(3)} s away from the picture`);
}

async function checkPhone(browser, url, outDir) {
  const page = await openPage(browser, url, kUpright);
  await waitForState(page, ['question'], 10000);
  await checkFingertipSized(page, '#question button, #question label', 'the prompt\'s controls');
  await page.tap('#yes');
  await waitForState(page, ['playing'], 30000);
  await checkPictureSize(page, 'upright');
  await checkFingertipSized(page, '#player button:not(.mark), #player input[type=range], #seek, #gentle-switch',
    'the bar\'s controls upright');
  await checkSoundComesBack(page);

  // Playing, the bar rests out of sight; a tap on the picture brings it back.
  await page.waitForFunction(() => getComputedStyle(document.getElementById('player')).opacity === '0',
    { timeout: 6000 });
  await tapPicture(page, 0.5);
  await page.waitForFunction(() => getComputedStyle(document.getElementById('player')).opacity === '1',
    { timeout: 2000 });
  await page.tap('#play');
  await page.waitForFunction(() => PageSide.position.paused, { timeout: 5000 });
  await checkDoubleTaps(page);
  await sleep(400);  // the bar's fade
  check(await barShown(page), 'held, the bar is not shown');
  await page.screenshot({ path: path.join(outDir, 'phone-upright.png') });

  await page.setViewport(kOnItsSide);
  await page.waitForFunction(() => document.getElementById('view').clientHeight > 300,
    { timeout: 5000 });
  await checkPictureSize(page, 'on its side');
  await checkFingertipSized(page, '#player button:not(.mark), #player input[type=range], #seek, #gentle-switch',
    'the bar\'s controls on its side');
  await page.screenshot({ path: path.join(outDir, 'phone-on-its-side.png') });

  // Chromium's own check, as for its install prompt.
  const session = await page.createCDPSession();
  const { installabilityErrors } = await session.send('Page.getInstallabilityErrors');
  check(installabilityErrors.length === 0,
    `not installable: ${JSON.stringify(installabilityErrors)}`);
  check(page.consoleErrors.length === 0, `console errors: ${page.consoleErrors.join(' | ')}`);
  await page.close();
}

function frameToolPicture(frameTool, dataDir, outDir, name, args) {
  const file = path.join(outDir, `${name}-desktop.png`);
  return new Promise((resolve, reject) => {
    execFile(frameTool, ['--data', dataDir, ...args, file], (error, stdout, stderr) => {
      if (error) reject(new Error(`${frameTool} ${args.join(' ')}: ${stderr}`));
      else resolve(file);
    });
  });
}

// The page and its service worker both cut off from the network, by the browser.
async function goOffline(browser, page) {
  await page.setOfflineMode(true);
  const worker = await browser.waitForTarget((target) => target.type() === 'service_worker');
  const session = await worker.createCDPSession();
  await session.send('Network.enable');
  await session.send('Network.emulateNetworkConditions',
    { offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
}

// Loaded once, then with the network off: the page, the program and its data come from the
// service worker's cache, and the show plays (held at a moment: the frame tool's frame).
async function checkOffline(browser, url, tools) {
  const held = frameToolPicture(...tools, 'offline-held', ['--at', '98.5']);
  held.catch(() => {});
  const page = await openPage(browser, `${url}#t=98.5&paused`);
  await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  await goOffline(browser, page);
  const reached = await page.evaluate(() => fetch('not-in-the-cache.txt').then(() => true, () => false));
  check(!reached, 'the network is still on');
  await sleep(200);
  page.consoleErrors.length = 0;  // that refused fetch's
  await page.reload({ waitUntil: 'load' });
  await waitForState(page, ['question'], 10000);
  await page.click('#yes');
  await waitForState(page, ['playing'], 30000);
  await page.waitForFunction(() => PageSide.position.length === 184, { timeout: 30000 });
  const share = identicalShare(await canvasPixels(page), await decodePng(browser, await held));
  check(share === 1, `offline, #t=98.5&paused: ${(share * 100).toFixed(3)}% of the frame tool's frame`);
  await page.keyboard.press('KeyP');
  await page.waitForFunction(() => !PageSide.position.paused && PageSide.music.source !== null,
    { timeout: 5000 });
  check(page.consoleErrors.length === 0, `offline: ${page.consoleErrors.join(' | ')}`);
  await page.close();
}

runTest('web phone', async () => {
  const [webDir, dataDir, frameTool, outDir] = process.argv.slice(2);
  fs.mkdirSync(outDir, { recursive: true });
  const server = await serveFolder(path.resolve(webDir));
  const chromium = await launchChromium();
  try {
    await checkLighthouse(chromium.browser, server.url, path.resolve(outDir));
    await checkPhone(chromium.browser, server.url, path.resolve(outDir));
    await checkOffline(chromium.browser, server.url,
      [path.resolve(frameTool), path.resolve(dataDir), path.resolve(outDir)]);
  } finally {
    await chromium.close();
    await server.close();
  }
});
