// The browser's frame times next to the desktop's: the frame tool's --bench, then the page's
// ?bench in headless Chromium (every pass timed with performance.now(), in a cross-origin
// isolated page so that it counts in microseconds), one after the other, for a few rounds;
// and the sizes of what the page downloads. Each side keeps its best round per scene
// (the lowest median, the lowest worst frame): on a shared machine the others' work only
// ever adds time.
// Usage: node bench.js WEB_DIR DATA_DIR DORMINAX_FRAME [ROUNDS]
'use strict';

const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const { serveFolder, launchChromium, openPage, waitForState } = require('./harness');

// The benchmark's table: "start-up: S ms", then "SCENE FRAMES MEDIAN P99 WORST FPS" rows,
// and "worst seek: S ms" (the page's console lines start with their type, "log: ").
function parseTimes(messages) {
  const times = {};
  for (const line of messages.flatMap((message) => message.split('\n'))) {
    const scene =
      /^(?:\w+: )?\s*(\d)\s+(\d+)\s+([0-9.]+)\s+[0-9.]+\s+([0-9.]+)\s+\d+\s*$/.exec(line);
    if (scene) times[scene[1]] = { frames: +scene[2], median: +scene[3], worst: +scene[4] };
    const startUp = /start-up: ([0-9.]+) ms/.exec(line);
    if (startUp) times.startUp = +startUp[1];
    const seek = /worst seek: ([0-9.]+) ms/.exec(line);
    if (seek) times.worstSeek = +seek[1];
  }
  return times;
}

async function browserTimes(webDir) {
  const server = await serveFolder(webDir, { isolated: true });
  const chromium = await launchChromium();
  try {
    const page = await openPage(chromium.browser, `${server.url}?bench`);
    const state = await waitForState(page, ['stopped', 'error'], 1800000);
    if (state !== 'stopped') throw new Error(`the benchmark page ended in state ${state}`);
    return parseTimes(page.consoleLines);
  } finally {
    await chromium.close();
    await server.close();
  }
}

function kilobytes(file) {
  return `${(fs.statSync(file).size / 1024).toFixed(1)} KB`;
}

// Per scene, the lowest median and the lowest worst frame of the rounds.
function bestOf(rounds) {
  const best = {
    startUp: Math.min(...rounds.map((round) => round.startUp)),
    worstSeek: Math.min(...rounds.map((round) => round.worstSeek)),
  };
  for (let scene = 1; scene <= 9; ++scene) {
    best[scene] = {
      frames: rounds[0][scene].frames,
      median: Math.min(...rounds.map((round) => round[scene].median)),
      worst: Math.min(...rounds.map((round) => round[scene].worst)),
    };
  }
  return best;
}

(async () => {
  const [webDir, dataDir, frameTool] = process.argv.slice(2, 5).map((arg) => path.resolve(arg));
  const roundCount = Number(process.argv[5] || 3);
  const desktopRounds = [];
  const browserRounds = [];
  for (let round = 0; round < roundCount; ++round) {
    desktopRounds.push(parseTimes(execFileSync(frameTool, ['--data', dataDir, '--bench'])
      .toString().split('\n')));
    browserRounds.push(await browserTimes(webDir));
  }
  const desktop = bestOf(desktopRounds);
  const browser = bestOf(browserRounds);
  console.log(`best of ${roundCount} rounds`);
  const ms = (value) => (value === undefined ? '-' : value.toFixed(3)).padStart(9);
  console.log('scene  frames  desktop median  browser median  ratio  desktop worst  browser worst');
  for (let scene = 1; scene <= 9; ++scene) {
    const d = desktop[scene];
    const b = browser[scene];
    console.log(`${String(scene).padEnd(7)}${String(b.frames).padStart(6)}  ${ms(d.median)} ms` +
                `    ${ms(b.median)} ms  ${(b.median / d.median).toFixed(2).padStart(5)}` +
                `   ${ms(d.worst)} ms   ${ms(b.worst)} ms`);
  }
  console.log(`start-up: desktop ${desktop.startUp} ms, browser ${browser.startUp} ms`);
  console.log(`worst seek: desktop ${desktop.worstSeek} ms, browser ${browser.worstSeek} ms`);
  for (const file of ['dorminax.wasm', 'dorminax.js', 'dorminax-data.js', 'dorminax.data']) {
    console.log(`${file.padEnd(17)} ${kilobytes(path.join(webDir, file)).padStart(10)}`);
  }
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
