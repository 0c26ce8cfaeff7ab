// The page as a viewer meets it: it loads with no console error; Yes starts the show in
// the page, the picture moves and the music plays; Shift puts the statistics in the title;
// S downloads the screenshot; Escape ends the show with "fps = N" in the page and the
// console. And No, the default (Enter), asks for full screen, where the statistics go to
// the console. The prompt offers the gentle show, ticked when reduced motion is asked for.
// Usage: node page_test.js WEB_DIR
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const {
  serveFolder, launchChromium, openPage, waitForState, canvasPixels, runTest, check,
} = require('./harness');

const kTitle = '--== Dorminax ==--';
const kScreenshotBytes = 77878;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The share of the canvas that is not black.
function litShare(rgba) {
  let lit = 0;
  for (let i = 0; i < rgba.length; i += 4) {
    if (rgba[i] || rgba[i + 1] || rgba[i + 2]) lit += 1;
  }
  return lit / (rgba.length / 4);
}

async function waitForFile(file, timeout) {
  const end = Date.now() + timeout;
  while (Date.now() < end) {
    if (fs.existsSync(file)) return fs.readFileSync(file);
    await sleep(100);
  }
  throw new Error(`no download ${path.basename(file)} within ${timeout} ms`);
}

async function outputLine(page) {
  return page.$eval('#output', (output) => output.textContent);
}

// Escape ends the show; the last line of the debugger output is the frame rate.
async function checkEscapeReportsFrameRate(page) {
  await page.keyboard.press('Escape');
  await waitForState(page, ['stopped'], 10000);
  const line = await outputLine(page);
  const rate = /^fps = (\d+)$/.exec(line);
  check(rate && Number(rate[1]) > 0, `after Escape the page shows "${line}", not "fps = N" > 0`);
  check(page.consoleLines.includes(`log: ${line}`), `"${line}" is not on the console`);
}

async function checkWindowedShow(browser, url) {
  const page = await openPage(browser, url);
  check(await waitForState(page, ['question'], 10000) === 'question', 'no "Window Mode?"');
  // As on the desktop: titled "Dorminax", Yes then No, No the default.
  const box = await page.$eval('#question', (question) => ({
    caption: question.querySelector('.caption').textContent,
    buttons: Array.from(question.querySelectorAll('button'), (button) => button.textContent),
    focused: document.activeElement.id,
  }));
  check(box.caption === 'Dorminax' && box.buttons.join() === 'Yes,No' && box.focused === 'no',
    `the question box: ${JSON.stringify(box)}`);
  await checkGentleChoice(page, false);
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'dorminax-downloads-'));
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });

  await page.click('#yes');
  await waitForState(page, ['playing'], 30000);
  await sleep(2000);
  const lit = litShare(await canvasPixels(page));
  check(lit > 0.05, `2 s into the show only ${(lit * 100).toFixed(2)}% of the canvas is lit`);
  // The music, decoded by the browser in the background, joins the show where it is.
  await page.waitForFunction(() => PageSide.music && PageSide.music.source !== null,
    { timeout: 30000 });

  // Shift held: "scene/9, scene time, rate" in the title; released: the title again.
  await page.keyboard.down('Shift');
  await page.waitForFunction(() => /^1\/9, [0-9.]+, [0-9.]+$/.test(document.title),
    { timeout: 5000 });
  await page.keyboard.up('Shift');
  await page.waitForFunction((title) => document.title === title, { timeout: 5000 }, kTitle);

  await page.keyboard.press('KeyS');
  const bmp = await waitForFile(path.join(downloads, 'screenshot000.bmp'), 10000);
  check(bmp.length === kScreenshotBytes, `the screenshot has ${bmp.length} bytes`);
  check(bmp.toString('latin1', 0, 2) === 'BM' && bmp.readUInt32LE(10) === 1078,
    'the screenshot is not an 8-bit BMP with its pixels at byte 1,078');
  fs.rmSync(downloads, { recursive: true, force: true });

  await checkEscapeReportsFrameRate(page);
  check(page.consoleErrors.length === 0, `console errors: ${page.consoleErrors.join(' | ')}`);
  await page.close();
}

// The prompt names the scenes that flash and offers the gentle show, chosen to begin with
// when the browser asks for reduced motion.
async function checkGentleChoice(page, reducedMotion) {
  const prompt = await page.$eval('#question', (question) => ({
    warning: question.querySelector('#flash-warning').textContent,
    label: question.querySelector('label').textContent.trim(),
    checked: question.querySelector('#gentle').checked,
  }));
  check(/^Scenes? 1( and 8)? flash(es)? rapidly; choose Gentle to soften (it|them)$/.test(prompt.warning),
    `the prompt's warning: "${prompt.warning}"`);
  check(prompt.label === 'Gentle: fewer flashes', `the gentle choice: "${prompt.label}"`);
  check(prompt.checked === reducedMotion,
    `with reduced motion ${reducedMotion ? 'asked' : 'not asked'} the gentle choice is ` +
    `${prompt.checked ? '' : 'not '}ticked`);
}

async function checkReducedMotionChoosesGentle(browser, url) {
  const page = await browser.newPage();
  await page.emulateMediaFeatures([{ name: 'prefers-reduced-motion', value: 'reduce' }]);
  await page.goto(url, { waitUntil: 'load' });
  await waitForState(page, ['question'], 10000);
  await checkGentleChoice(page, true);
  await page.click('#yes');
  await waitForState(page, ['loading', 'playing'], 30000);
  const show = await page.evaluate(() => document.body.dataset.show);
  check(show === 'gentle', `the show started is the ${show} one`);
  await page.close();
}

async function checkFullScreenShow(browser, url) {
  const page = await openPage(browser, url);
  await waitForState(page, ['question'], 10000);
  await page.keyboard.press('Enter');
  await waitForState(page, ['playing'], 30000);
  const fullScreen = await page.evaluate(() => document.fullscreenElement &&
                                               document.fullscreenElement.id);
  check(fullScreen === 'stage', `after Enter (No) the full-screen element is ${fullScreen}`);

  await page.keyboard.down('Shift');
  await sleep(500);
  await page.keyboard.up('Shift');
  check(page.consoleLines.some((line) => /^log: 1\/9, [0-9.]+, [0-9.]+$/.test(line)),
    'in full screen Shift puts no statistics on the console');
  check(await page.title() === kTitle, 'in full screen Shift changed the title');

  await checkEscapeReportsFrameRate(page);
  check(!(await page.evaluate(() => document.fullscreenElement)), 'full screen stays after Escape');
  check(page.consoleErrors.length === 0, `console errors: ${page.consoleErrors.join(' | ')}`);
  await page.close();
}

runTest('web page', async () => {
  const [webDir] = process.argv.slice(2);
  const server = await serveFolder(path.resolve(webDir));
  const chromium = await launchChromium();
  try {
    await checkWindowedShow(chromium.browser, server.url);
    await checkFullScreenShow(chromium.browser, server.url);
    await checkReducedMotionChoosesGentle(chromium.browser, server.url);
  } finally {
    await chromium.close();
    await server.close();
  }
});
