// The explorer's pictures in the README: the built site in headless Chromium, one screenshot
// of the whole page per view, written to docs/explorer/.
//   npm ci --prefix web/test && node docs/make-explorer-shots.js build/web/site
'use strict';

const path = require('path');
const { pathToFileURL } = require('url');
const { serve, launch, openPage } = require('../web/test/browser');

// Each shot: file, address, width, height, and what to do first: open the gallery, unfold
// the controls, or open the single-file explorer from disk instead of the served site.
const SHOTS = [
  ['explorer-c120.png', 'model=c120&paused', 900, 600],
  ['explorer-runcitruncated-5-cell.png',
   'model=runcitruncated-5-cell&colour=kind&edges&paused', 900, 600],
  ['explorer-c24-section.png', 'model=c24&section=0.25&turn=0,0,0,0.7853981633974483,0,0&paused',
   900, 600],
  ['explorer-gallery.png', 'model=c8&paused', 1024, 768, 'gallery'],
  ['explorer-narrow.png', 'model=c120&frames&paused', 420, 700, ''],
  ['explorer-narrow-controls.png', 'model=c120&frames&paused', 420, 700, 'unfold'],
  ['explorer-offline.png', 'model=snub-24-cell&colour=kind&edges&paused', 900, 600, 'disk'],
];

async function main() {
  const site = path.resolve(process.argv[2] || 'build/web/site');
  const out = path.join(__dirname, 'explorer');
  const { server, url } = await serve(site);
  const browser = await launch();
  const errors = [];
  try {
    for (const [file, hash, width, height, first] of SHOTS) {
      const at = first === 'disk' ? pathToFileURL(path.join(site, 'orvex-explorer.html')).href : url;
      const page = await openPage(browser, at, hash, width, height, errors);
      if (first === 'unfold') await page.keyboard.press('t');
      if (first === 'gallery') {
        await page.keyboard.press('l');
        await page.waitForFunction(() => [...document.querySelectorAll('#gallery img')]
          .slice(0, 30).every((img) => img.complete && img.naturalWidth > 0));
      }
      // Two animation frames: the first draws, the second has it on the screen.
      await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
      await page.screenshot({ path: path.join(out, file) });
      await page.close();
      console.log(`wrote docs/explorer/${file}`);
    }
  } finally {
    await browser.close();
    server.close();
  }
  if (errors.length) {
    console.error(`make-explorer-shots: the page reported: ${errors.join('; ')}`);
    process.exit(1);
  }
}

main().catch((e) => { console.error(`make-explorer-shots: ${e.message}`); process.exit(1); });
