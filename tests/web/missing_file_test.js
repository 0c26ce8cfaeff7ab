// A data set with a file missing, packed for the page as the build packs the real one:
// start-up shows the error box with the loader's caption (the file's name) and text over
// the loading screen, and the show does not start.
// Usage: node missing_file_test.js WEB_DIR DATA_DIR
'use strict';

const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {
  serveFolder, launchChromium, openPage, waitForState, canvasPixels, runTest, check,
} = require('./harness');

const kMissing = 'gfx/cool.gif';  // scene 6's picture, loaded late in start-up

// The web build's program and page with the data set less one file.
function webBuildWithoutFile(webDir, dataDir, work) {
  for (const file of ['index.html', 'dorminax.js', 'dorminax.wasm']) {
    fs.copyFileSync(path.join(webDir, file), path.join(work, file));
  }
  const data = path.join(work, 'data');
  fs.cpSync(dataDir, data, { recursive: true });
  fs.rmSync(path.join(data, kMissing));
  const emscripten = execFileSync('em-config', ['EMSCRIPTEN_ROOT']).toString().trim();
  execFileSync('python3', [path.join(emscripten, 'tools', 'file_packager.py'), 'dorminax.data',
    '--preload', `${data}@/`, '--exclude', '*/.generated', '--js-output=dorminax-data.js',
    '--no-node'], { cwd: work, stdio: 'pipe' });
}

runTest('web missing file', async () => {
  const [webDir, dataDir] = process.argv.slice(2).map((dir) => path.resolve(dir));
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'dorminax-web-'));
  webBuildWithoutFile(webDir, dataDir, work);
  const server = await serveFolder(work);
  const chromium = await launchChromium();
  try {
    const page = await openPage(chromium.browser, server.url);
    await waitForState(page, ['question'], 10000);
    await page.click('#yes');
    check(await waitForState(page, ['error', 'playing'], 30000) === 'error',
      'the show started without its data file');
    const box = await page.$eval('#error-box', (element) => ({
      shown: !element.hidden,
      caption: element.querySelector('.caption').textContent,
      text: element.querySelector('.text').textContent,
    }));
    check(box.shown, 'the error box is hidden');
    check(box.caption === 'gfx\\cool.gif' && box.text === 'Error loading file',
      `the error box says "${box.caption}: ${box.text}"`);
    const lit = (await canvasPixels(page)).some((value, i) => i % 4 !== 3 && value !== 0);
    check(lit, 'the loading screen is not behind the error box');
    await new Promise((resolve) => setTimeout(resolve, 1000));
    check(await page.evaluate(() => document.body.dataset.state) === 'error',
      'the show went on after the error box');
  } finally {
    await chromium.close();
    await server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
});
