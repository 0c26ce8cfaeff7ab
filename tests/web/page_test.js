// The page as a viewer meets it: it loads with no console error; Yes starts the show in
// the page, the picture moves and the music plays; Shift puts the statistics in the title;
// S downloads the screenshot; Escape ends the show with "fps = N" in the page and the
// console. And No, the default (Enter), asks for full screen, where the statistics go to
// the console. The prompt offers the gentle show, ticked when reduced motion is asked for,
// and the player bar's switch follows it. The player: a link to a held moment shows
// exactly the frame tool's frame there, P lets it go and holds it again, a scene's mark on
// the seek bar leads to that scene's first frame, every control has a name, and the bar
// marks where the show flashes as the build's flash report says, with a line while it
// does. Links: 3 s into scene 6 is the frame tool's frame there, End on the seek bar goes
// to the end, and a moment that is not in the show is ignored with a line that says so.
// The settings line: the sound's offset, set by the calibration screen, kept for the show.
// Usage: node page_test.js WEB_DIR DATA_DIR DORMINAX_FRAME OUT_DIR FLASH_REPORT_DIR
'use strict';

const { execFile } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {
  serveFolder, launchChromium, openPage, waitForState, canvasPixels, decodePng, identicalShare,
  runTest, check,
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
    buttons: Array.from(question.querySelectorAll('.buttons button'),
      (button) => button.textContent),
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
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  await page.emulateMediaFeatures([{ name: 'prefers-reduced-motion', value: 'reduce' }]);
  await page.goto(url, { waitUntil: 'load' });
  await waitForState(page, ['question'], 10000);
  await checkGentleChoice(page, true);
  await page.click('#yes');
  await waitForState(page, ['playing'], 30000);
  const show = await page.evaluate(() => document.body.dataset.show);
  check(show === 'gentle', `the show started is the ${show} one`);
  check(await page.$eval('#gentle-now', (box) => box.checked),
    'the bar\'s gentle switch is not ticked in the gentle show');
  await page.click('#gentle-now');
  const after = await page.evaluate(() => document.body.dataset.show);
  check(after === 'default', `after the bar's switch the show is the ${after} one`);
  check(errors.length === 0, `console errors: ${errors.join(' | ')}`);
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

// The frame tool's picture of a moment, as a PNG in OUT_DIR.
function frameToolPicture(frameTool, dataDir, outDir, name, args) {
  const file = path.join(outDir, `${name}-desktop.png`);
  return new Promise((resolve, reject) => {
    execFile(frameTool, ['--data', dataDir, ...args, file], (error, stdout, stderr) => {
      if (error) reject(new Error(`${frameTool} ${args.join(' ')}: ${stderr}`));
      else resolve(file);
    });
  });
}

async function position(page) {
  return page.evaluate(() => ({ ...PageSide.position }));
}

// m:ss of the whole seconds.
function wholeSeconds(seconds) {
  const whole = Math.floor(seconds);
  return `${Math.floor(whole / 60)}:${String(whole % 60).padStart(2, '0')}`;
}

// The spans of the report on the seek bar, where their times lie on it, and in words.
async function checkFlashSpans(page, reportDir) {
  const report = JSON.parse(fs.readFileSync(path.join(reportDir, 'flash-report.json')));
  const bar = await page.evaluate(() => {
    const seek = document.getElementById('seek');
    const edges = (element) => {
      const box = element.getBoundingClientRect();
      return [box.left, box.right];
    };
    return {
      track: edges(seek),
      spans: Array.from(seek.querySelectorAll('.flash-span'), edges),
      words: document.getElementById(seek.getAttribute('aria-describedby')).textContent,
      length: PageSide.position.length,
    };
  });
  const [left, right] = bar.track;
  const at = (seconds) => left + (right - left) * seconds / bar.length;
  check(bar.spans.length === report.summary.length,
    `${bar.spans.length} spans on the bar, ${report.summary.length} in the report`);
  report.summary.forEach((span, i) => {
    const [from, to] = bar.spans[i];
    check(Math.abs(from - at(span.from)) < 1 && Math.abs(to - Math.max(at(span.to), from + 2)) < 1,
      `the bar's span ${from}-${to} px is not the report's ${span.span}`);
  });
  const words = `flashing: ${report.summary.map((span) =>
    `${wholeSeconds(span.from)}-${wholeSeconds(span.to)}`).join(', ')}`;
  check(bar.words === words, `the bar says "${bar.words}", not "${words}"`);
}

// Held in a span that flashes, the line under the bar says so until Gentle is ticked.
async function checkFlashLine(page, reportDir) {
  const report = JSON.parse(fs.readFileSync(path.join(reportDir, 'flash-report.json')));
  const span = report.summary[0];
  const line = () => page.$eval('#flash-now', (element) => (element.hidden ? '' : element.textContent));
  check(await line() === '', `outside the spans the line says "${await line()}"`);
  await page.evaluate((seconds) => PageSide.pushSeek(seconds), (span.from + span.to) / 2);
  await page.waitForFunction(() => !document.getElementById('flash-now').hidden, { timeout: 5000 });
  const text = await line();
  check(text === `Flashing until ${wholeSeconds(span.to)}: tick Gentle to soften it`,
    `in ${span.span} the line says "${text}"`);
  await page.click('#gentle-now');
  await page.waitForFunction(() => document.getElementById('flash-now').hidden, { timeout: 5000 });
  await page.click('#gentle-now');
}

async function checkPlayer(browser, url, tools, reportDir) {
  const held = frameToolPicture(...tools, 'held', ['--at', '98.5']);
  const sceneEight = frameToolPicture(...tools, 'scene8', ['--scene', '8', '--time', '0']);
  held.catch(() => {});
  sceneEight.catch(() => {});
  const page = await openPage(browser, `${url}#t=98.5&paused`);
  await waitForState(page, ['question'], 10000);
  await page.click('#yes');
  await waitForState(page, ['playing'], 30000);
  // Held at the link's moment, once the music's length is known: the frame tool's frame
  // (scene 6 takes nothing from the maths library: pixel for pixel), the link in place.
  await page.waitForFunction(() => PageSide.position.length === 184, { timeout: 30000 });
  let at = await position(page);
  check(at.paused && at.seconds === 98.5 && at.scene === 6, `held at ${JSON.stringify(at)}`);
  const share = identicalShare(await canvasPixels(page), await decodePng(browser, await held));
  check(share === 1, `#t=98.5&paused: ${(share * 100).toFixed(3)}% of the frame tool's frame`);
  check(await page.evaluate(() => location.hash) === '#t=98.5&paused', 'the link is not kept');

  // Every control has a name; the slider says where the show is.
  const controls = await page.$$eval('#player button:not(.mark), #player input, #seek',
    (elements) => elements.map((e) => e.getAttribute('aria-label')));
  check(controls.length === 6 && controls.every((name) => name),
    `controls without a name: ${JSON.stringify(controls)}`);
  const slider = await page.$eval('#seek', (seek) => seek.getAttribute('aria-valuetext'));
  check(slider === '1:38.5 of 3:04, scene 6 Reveal', `the seek bar says "${slider}"`);
  const marks = await page.$$eval('#seek .mark', (all) => all.map((mark) => mark.dataset.name));
  check(marks.length === 9 && marks[5] === '6 Reveal', `the marks: ${marks.join(', ')}`);
  await checkFlashSpans(page, reportDir);

  // P plays: the picture moves, the music plays, the link goes; P holds it again.
  await page.keyboard.press('KeyP');
  await page.waitForFunction(() => !PageSide.position.paused &&
                                   PageSide.music.source !== null, { timeout: 5000 });
  await sleep(500);
  check(identicalShare(await canvasPixels(page), await decodePng(browser, await held)) < 1,
    'playing, the picture did not move');
  check(await page.evaluate(() => location.hash) === '', 'playing, the link stays');
  await page.keyboard.press('KeyP');
  await page.waitForFunction(() => PageSide.position.paused && PageSide.music.source === null,
    { timeout: 5000 });
  const first = await canvasPixels(page);
  await sleep(300);
  check(identicalShare(first, await canvasPixels(page)) === 1, 'held, the picture moved');

  // Scene 8's mark: its first frame, held.
  const mark = await page.$('#seek .mark:nth-child(8)');
  const box = await mark.boundingBox();
  await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
  const start = await page.evaluate(() => Module._dorminax_scene_start(8));
  await page.waitForFunction((s) => PageSide.position.seconds === s, { timeout: 5000 }, start);
  at = await position(page);
  check(at.paused && at.scene === 8, `after scene 8's mark: ${JSON.stringify(at)}`);
  const eightFrame = await decodePng(browser, await sceneEight);
  const eight = identicalShare(await canvasPixels(page), eightFrame);
  check(eight > 0.99, `scene 8's first frame: ${(eight * 100).toFixed(3)}% identical`);
  await checkFlashLine(page, reportDir);
  check(page.consoleErrors.length === 0, `console errors: ${page.consoleErrors.join(' | ')}`);
  await page.close();
}

const kBadLink = 'This link\'s moment is not in the show; playing from the start';

// Each of these moments is ignored, with the line under the prompt; the last, a scene
// that has ended by then, only once the program has worked out where the scene ends.
// The show then plays from the start, with nothing else said.
async function checkBadLinks(browser, url) {
  const bad = ['scene=10', 'scene=0', 'scene=6.5', 't=-1', 't=abc', 't=1e309', 't=1e5', 't=',
    't=NaN', 'scene=6&t=5.5&paused'];
  for (const link of bad) {
    const page = await openPage(browser, `${url}#${link}`);
    await page.waitForFunction(() => !document.getElementById('link-note').hidden,
      { timeout: 10000 }).catch(() => {});
    const note = await page.$eval('#link-note', (element) => (element.hidden ? '' : element.textContent));
    check(note === kBadLink, `#${link}: the prompt says "${note}"`);
    if (link === bad[bad.length - 1]) {
      await page.click('#yes');
      await waitForState(page, ['playing'], 30000);
      await sleep(500);
      const at = await position(page);
      check(!at.paused && at.seconds < 5, `#${link} did not play from the start: ${JSON.stringify(at)}`);
      check(await outputLine(page) === '', `#${link}: the page says "${await outputLine(page)}"`);
    }
    check(page.consoleErrors.length === 0, `#${link}: ${page.consoleErrors.join(' | ')}`);
    await page.close();
  }
}

// The most pixels lit on the canvas over a second and a half of animation frames.
async function mostLitPixels(page) {
  return page.evaluate(async () => {
    const context = document.getElementById('screen').getContext('2d');
    let most = 0;
    for (let frame = 0; frame < 90; ++frame) {
      await new Promise((resolve) => requestAnimationFrame(resolve));
      const data = context.getImageData(0, 0, 320, 240).data;
      let lit = 0;
      for (let i = 0; i < data.length; i += 4) if (data[i] || data[i + 1] || data[i + 2]) lit += 1;
      most = Math.max(most, lit);
    }
    return most;
  });
}

// The settings line: Calibrate shows the calibration screen from the offset typed (a small
// square once a second, the offset in the title), Right moves the picture 5 ms later, and
// Escape keeps the offset, which the page that comes back shows and the show is started with.
async function checkSettingsLine(browser, url) {
  const page = await openPage(browser, url);
  await waitForState(page, ['question'], 10000);
  await page.click('#audio-offset', { clickCount: 3 });
  await page.keyboard.type('-20');
  await page.click('#calibrate');
  await waitForState(page, ['playing'], 30000);
  await page.waitForFunction(() => /audio offset -20 ms/.test(document.title), { timeout: 10000 });
  const lit = await mostLitPixels(page);
  check(lit > 0 && lit <= 0.01 * 320 * 240, `calibration: at most ${lit} pixels lit, not a small square`);
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowRight');
  await page.waitForFunction(() => /audio offset -10 ms/.test(document.title), { timeout: 5000 });
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.keyboard.press('Escape')]);
  await waitForState(page, ['question'], 10000);
  const kept = await page.$eval('#audio-offset', (input) => input.value);
  check(kept === '-10', `after calibrating the offset reads "${kept}", not -10`);
  await page.click('#yes');
  await waitForState(page, ['playing'], 30000);
  const started = await page.evaluate(() => Module.startArguments.join(' '));
  check(/--audio-offset -10\b/.test(started), `the show was started with "${started}"`);
  check(page.consoleErrors.length === 0, `console errors: ${page.consoleErrors.join(' | ')}`);
  await page.close();
}

// 3 s into scene 6, held: the frame tool's --scene 6 --time 3, pixel for pixel. End on the
// seek bar goes to the show's end.
async function checkSceneLink(browser, url, tools) {
  const desktop = frameToolPicture(...tools, 'scene6-time3', ['--scene', '6', '--time', '3']);
  desktop.catch(() => {});
  const page = await openPage(browser, `${url}#scene=6&t=3&paused`);
  await waitForState(page, ['question'], 10000);
  await page.click('#yes');
  await waitForState(page, ['playing'], 30000);
  await page.waitForFunction(() => PageSide.position.length === 184, { timeout: 30000 });
  const at = await position(page);
  check(at.paused && at.scene === 6, `#scene=6&t=3&paused: ${JSON.stringify(at)}`);
  const share = identicalShare(await canvasPixels(page), await decodePng(browser, await desktop));
  check(share === 1, `#scene=6&t=3: ${(share * 100).toFixed(3)}% of the frame tool's frame`);
  await page.focus('#seek');
  await page.keyboard.press('End');
  await page.waitForFunction(() => PageSide.position.seconds === PageSide.position.length,
    { timeout: 10000 });
  check(page.consoleErrors.length === 0, `console errors: ${page.consoleErrors.join(' | ')}`);
  await page.close();
}

runTest('web page', async () => {
  const [webDir, dataDir, frameTool, outDir, reportDir] = process.argv.slice(2);
  fs.mkdirSync(outDir, { recursive: true });
  const server = await serveFolder(path.resolve(webDir));
  const chromium = await launchChromium();
  const tools = [path.resolve(frameTool), path.resolve(dataDir), path.resolve(outDir)];
  try {
    await checkWindowedShow(chromium.browser, server.url);
    await checkFullScreenShow(chromium.browser, server.url);
    await checkReducedMotionChoosesGentle(chromium.browser, server.url);
    await checkPlayer(chromium.browser, server.url, tools, path.resolve(reportDir));
    await checkBadLinks(chromium.browser, server.url);
    await checkSceneLink(chromium.browser, server.url, tools);
    await checkSettingsLine(chromium.browser, server.url);
  } finally {
    await chromium.close();
    await server.close();
  }
});
