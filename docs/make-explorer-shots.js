// The explorer's pictures in the README: the built site in headless Chromium, one screenshot
// of the whole page per view, written to docs/explorer/.
//   npm ci --prefix web/test && node docs/make-explorer-shots.js build/web/site
'use strict';

const path = require('path');
const { serve, launch, openPage } = require('../web/test/browser');

const SHOTS = [
  ['explorer-c120.png', 'model=c120&paused', 900, 600],
  ['explorer-runcitruncated-5-cell.png',
   'model=runcitruncated-5-cell&colour=kind&edges&paused', 900, 600],
  ['explorer-c24-section.png', 'model=c24&section=0.25&turn=0,0,0,0.7853981633974483,0,0&paused',
   900, 600],
];

async function main() {
  const site = path.resolve(process.argv[2] || 'build/web/site');
  const out = path.join(__dirname, 'explorer');
  const { server, url } = await serve(site);
  const browser = await launch();
  const errors = [];
  try {
    for (const [file, hash, width, height] of SHOTS) {
      const page = await openPage(browser, url, hash, width, height, errors);
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
