// Fixed frames in the page (?at=T, ?scene=N&time=T, ?loading=F) against the desktop frame
// tool's frames of the same moments, across every scene. The same code on the same
// simulated clock differs only where the maths library does (sine, power, ...): the
// loading screen and scene 6 use none and must match exactly, the others may differ in
// under 1% of their pixels. Scene 9's particles follow chaotic flows, in which a last-bit
// difference grows into another picture after its first second: reported only.
// Usage: node frames_test.js WEB_DIR DATA_DIR DORMINAX_FRAME OUT_DIR
'use strict';

const { execFile } = require('child_process');
const fs = require('fs');
const path = require('path');
const {
  serveFolder, launchChromium, openPage, waitForState, canvasPixels, decodePng, identicalShare,
  runTest, check,
} = require('./harness');

const kExact = 'identical';
const kClose = 'under 1% different';
const kReport = 'reported only';

// Two moments in each scene (show time: scene 1 from 0 s, 2 from 30, 3 from 50, 4 from
// 67, 5 from 87, 6 from 95, 7 from 100, 8 from 120, 9 from 145).
const kFrames = [
  { name: 'loading-0.5', query: 'loading=0.5', tool: ['--loading', '0.5'], scene: 'loading',
    rule: kExact },
  { at: 3, scene: 1, rule: kClose },
  { at: 18, scene: 1, rule: kClose },
  { at: 33, scene: 2, rule: kClose },
  { at: 44, scene: 2, rule: kClose },
  { at: 52, scene: 3, rule: kClose },
  { at: 60, scene: 3, rule: kClose },
  { at: 69, scene: 4, rule: kClose },
  { at: 80, scene: 4, rule: kClose },
  { at: 88.5, scene: 5, rule: kClose },
  { at: 93, scene: 5, rule: kClose },
  { at: 96, scene: 6, rule: kExact },
  { name: 'scene6-time3.5', query: 'scene=6&time=3.5', tool: ['--scene', '6', '--time', '3.5'],
    scene: 6, rule: kExact },
  { at: 102, scene: 7, rule: kClose },
  { at: 112, scene: 7, rule: kClose },
  { at: 123, scene: 8, rule: kClose },
  { at: 137, scene: 8, rule: kClose },
  { at: 145.5, scene: 9, rule: kClose },
  { at: 150, scene: 9, rule: kReport },
  // The gentle show's limiter, in the ring flight where it works hardest.
  { name: 'gentle-at-11', query: 'at=11&gentle', tool: ['--gentle', '--at', '11'], scene: 1,
    rule: kClose },
].map((frame) => (frame.at === undefined ? frame : {
  name: `at-${frame.at}`, query: `at=${frame.at}`, tool: ['--at', String(frame.at)], ...frame,
}));

// The desktop's frames, one run of the frame tool each, rendered while the browser works.
async function renderDesktopFrames(frameTool, dataDir, outDir) {
  for (const frame of kFrames) {
    const file = path.join(outDir, `${frame.name}-desktop.png`);
    await new Promise((resolve, reject) => {
      execFile(frameTool, ['--data', dataDir, ...frame.tool, file], (error, stdout, stderr) => {
        if (error) reject(new Error(`${frameTool} ${frame.tool.join(' ')}: ${stderr}`));
        else resolve();
      });
    });
  }
}

// The canvas as RGBA bytes; it also goes to OUT_DIR for a look.
async function keepCanvas(page, frame, outDir) {
  const pixels = await canvasPixels(page);
  const png = await page.evaluate(() => document.getElementById('screen').toDataURL());
  fs.writeFileSync(path.join(outDir, `${frame.name}-browser.png`), png.split(',')[1], 'base64');
  return pixels;
}

// A frame of its own address, in a page of its own.
async function browserFrame(browser, url, frame, outDir) {
  const page = await openPage(browser, `${url}?${frame.query}`);
  const state = await waitForState(page, ['stopped', 'error'], 300000);
  check(state === 'stopped', `${frame.query}: the page ended in state ${state}`);
  check(page.consoleErrors.length === 0, `${frame.query}: ${page.consoleErrors.join(' | ')}`);
  const pixels = await keepCanvas(page, frame, outDir);
  await page.close();
  return pixels;
}

// Until the page's console has said the line; false after the timeout or an error.
async function waitForLine(page, line, timeout) {
  const deadline = Date.now() + timeout;
  while (!page.consoleLines.includes(line)) {
    if (Date.now() > deadline || page.consoleErrors.length > 0) return false;
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  return true;
}

// The ?at frames in one page, which plays the show once and holds each frame until the
// canvas has been read. Their pixels, by frame name.
async function browserFramesAt(browser, url, frames, outDir) {
  const query = frames.map((frame) => frame.query).join('&');
  const page = await openPage(browser, `${url}?${query}`);
  const pixels = {};
  for (let i = 0; i < frames.length; ++i) {
    const last = i + 1 === frames.length;
    if (last) {
      const state = await waitForState(page, ['stopped', 'error'], 300000);
      check(state === 'stopped', `${frames[i].query}: the page ended in state ${state}`);
    } else {
      check(await waitForLine(page, `log: frame at ${frames[i].at} s`, 300000),
        `${frames[i].query}: the page did not stop there (${page.consoleErrors.join(' | ')})`);
    }
    pixels[frames[i].name] = await keepCanvas(page, frames[i], outDir);
    if (!last) await page.evaluate(() => Module._dorminax_next_frame());
  }
  check(page.consoleErrors.length === 0, `?${query}: ${page.consoleErrors.join(' | ')}`);
  await page.close();
  return pixels;
}

function passes(rule, share) {
  if (rule === kExact) return share === 1;
  if (rule === kClose) return share > 0.99;
  return true;
}

runTest('web frames', async () => {
  const [webDir, dataDir, frameTool, outDir] = process.argv.slice(2);
  fs.mkdirSync(outDir, { recursive: true });
  const desktopFrames = renderDesktopFrames(frameTool, path.resolve(dataDir), path.resolve(outDir));
  desktopFrames.catch(() => {});  // awaited below
  const server = await serveFolder(path.resolve(webDir));
  const chromium = await launchChromium();
  const failures = [];
  try {
    const browserFrames = await browserFramesAt(chromium.browser, server.url,
      kFrames.filter((frame) => frame.at !== undefined), outDir);
    for (const frame of kFrames.filter((f) => f.at === undefined)) {
      browserFrames[frame.name] = await browserFrame(chromium.browser, server.url, frame, outDir);
    }
    await desktopFrames;
    console.log('frame               scene    identical pixels  rule');
    for (let i = 0; i < kFrames.length; ++i) {
      const frame = kFrames[i];
      const desktop = await decodePng(chromium.browser,
        path.join(outDir, `${frame.name}-desktop.png`));
      const share = identicalShare(browserFrames[frame.name], desktop);
      const ok = passes(frame.rule, share);
      console.log(`${frame.query.padEnd(20)}${String(frame.scene).padEnd(9)}` +
                  `${(share * 100).toFixed(3).padStart(8)}%         ${frame.rule}` +
                  `${ok ? '' : '  FAILED'}`);
      if (!ok) failures.push(frame.query);
    }
  } finally {
    await chromium.close();
    await server.close();
  }
  check(failures.length === 0,
    `frames unlike the desktop's: ${failures.join(', ')} (see ${outDir})`);
});
