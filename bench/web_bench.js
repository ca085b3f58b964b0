// The explorer's speed in Debian's headless Chromium with SwiftShader: the first frame after
// opening the page (the median of several openings, each a new page, in a browser already
// running with a GPU process), the spinning frame rate at 800×800 CSS pixels (and the share
// of the cell walk in WebAssembly), and the page's size without the models, compressed.
//   node bench/web_bench.js SITE_DIR [SECONDS] [OPENINGS]     (after npm ci --prefix web/test)
'use strict';

const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { serve, launch, openPage } = require('../web/test/browser');

const site = path.resolve(process.argv[2] || 'build/web/site');
const seconds = Number(process.argv[3]) || 4;
const openings = Number(process.argv[4]) || 5;
const MODELS = ['c120', 'omnitruncated-120-cell'];

async function firstFrame(browser, url, model) {
  const errors = [];
  const page = await openPage(browser, url, `model=${model}`, 800, 800, errors);
  await page.waitForFunction(() => window.orvexExplorer.stats.firstFrameAt > 0);
  const ms = await page.evaluate(() => window.orvexExplorer.stats.firstFrameAt);
  await page.close();
  return ms;
}

/// Starts the browser's GPU process, as a browser that is already open has it: a WebGL
/// context on a blank page, with none of the explorer's files or shaders.
async function warmUp(browser) {
  const page = await browser.newPage();
  await page.setContent('<canvas></canvas>');
  await page.evaluate(() => document.querySelector('canvas').getContext('webgl').getError());
  await page.close();
}

/// The first frames of openings of the page, each in a new page: their median, least and
/// greatest.
async function firstFrames(browser, url, model) {
  const ms = [];
  for (let i = 0; i < openings; ++i) ms.push(await firstFrame(browser, url, model));
  ms.sort((a, b) => a - b);
  return { median: ms[Math.floor(ms.length / 2)], least: ms[0], most: ms[ms.length - 1] };
}

async function spinning(browser, url, model) {
  const errors = [];
  const page = await openPage(browser, url, `model=${model}`, 800, 800, errors);
  await page.keyboard.press('t');  // the controls out of the way
  // A drag released while moving leaves the polytope spinning.
  await page.mouse.move(400, 400);
  await page.mouse.down();
  await page.mouse.move(380, 395);
  await page.mouse.move(360, 390);
  await page.mouse.up();
  await page.waitForTimeout(500);
  const stats = () => page.evaluate(() => ({ ...window.orvexExplorer.stats }));
  const start = await stats();
  const t0 = Date.now();
  await page.waitForTimeout(seconds * 1000);
  const end = await stats();
  const frames = end.frames - start.frames;
  await page.close();
  return { fps: frames / ((Date.now() - t0) / 1000), walk: (end.walkMs - start.walkMs) / frames };
}

function pageSize() {
  let raw = 0, compressed = 0;
  for (const f of fs.readdirSync(site)) {
    const file = path.join(site, f);
    // models/ and thumbs/ are fetched one file at a time; the single file is another page.
    if (!fs.statSync(file).isFile() || f === 'orvex-explorer.html') continue;
    const data = fs.readFileSync(file);
    raw += data.length;
    compressed += zlib.gzipSync(data, { level: 9 }).length;
  }
  return { raw, compressed };
}

(async () => {
  const { server, url } = await serve(site);
  const browser = await launch();
  await warmUp(browser);
  console.log(`| model | first frame ms, median of ${openings} (least–most) | spinning fps at 800×800 | ` +
              'cell walk ms a frame |');
  console.log('|---|--:|--:|--:|');
  for (const model of MODELS) {
    const ms = await firstFrames(browser, url, model);
    const spin = await spinning(browser, url, model);
    console.log(`| ${model} | ${ms.median.toFixed(0)} (${ms.least.toFixed(0)}–${ms.most.toFixed(0)}) | ` +
                `${spin.fps.toFixed(1)} | ${spin.walk.toFixed(1)} |`);
  }
  await browser.close();
  server.close();
  const size = pageSize();
  console.log(`page without models: ${(size.raw / 1024).toFixed(0)} KiB, ` +
              `${(size.compressed / 1024).toFixed(0)} KiB gzip -9`);
  const single = path.join(site, 'orvex-explorer.html');
  if (fs.existsSync(single)) {
    console.log(`orvex-explorer.html: ${(fs.statSync(single).size / 1024).toFixed(0)} KiB`);
  }
})().catch((e) => { console.error(e); process.exit(1); });
