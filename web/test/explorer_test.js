// The explorer in headless Chromium against the native tools: first frames and drags
// against orvex-render's pictures, section counts against its --section line, the model
// picker, one's own files good and bad, and no errors in the console.
//   node explorer_test.js SITE_DIR BIN_DIR     (BIN_DIR holds orvex-render, orvex-image-diff, orvex-gen)
'use strict';

const { execFileSync, spawnSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { serve, launch, openPage } = require('./browser');

const [site, bin] = process.argv.slice(2).map((p) => path.resolve(p));
const TURN = '0,0.45,0.3,0.35,0.25,0';  // the page's first view
const SIZE = 300;                       // orvex-render's default picture size
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orvex-web-test-'));
let failures = 0;

function check(ok, what, detail) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${detail ? ': ' + detail : ''}`);
  if (!ok) failures++;
}

function render(args, file) {
  return execFileSync(path.join(bin, 'orvex-render'), [...args, '--size', String(SIZE), '-o', file],
                      { encoding: 'utf8' });
}

async function capture(page, file) {
  const data = await page.evaluate(() => window.orvexExplorer.capture());
  fs.writeFileSync(file, Buffer.from(data.split(',')[1], 'base64'));
}

/// The page's picture against orvex-render's with the given arguments.
async function samePicture(page, what, renderArgs) {
  const mine = path.join(work, `${what.replace(/\W+/g, '_')}-web.png`);
  const theirs = path.join(work, `${what.replace(/\W+/g, '_')}-render.png`);
  await capture(page, mine);
  render(renderArgs, theirs);
  const diff = spawnSync(path.join(bin, 'orvex-image-diff'), [mine, theirs], { encoding: 'utf8' });
  check(diff.status === 0, what, (diff.stdout + diff.stderr).trim());
}

async function drag(page, from, to, button) {
  await page.mouse.move(...from);
  await page.mouse.down({ button });
  for (let i = 1; i <= 4; ++i) {
    await page.mouse.move(from[0] + (to[0] - from[0]) * i / 4, from[1] + (to[1] - from[1]) * i / 4);
  }
}

// Fingers from `from` moved together by (dx, dy) in four steps, through the touch events a
// touch screen sends.
async function touchDrag(page, from, dx, dy) {
  const cdp = await page.context().newCDPSession(page);
  const points = (i) => from.map(([x, y]) => ({ x: x + dx * i / 4, y: y + dy * i / 4 }));
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: points(0).slice(0, 1) });
  if (from.length > 1) await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: points(0) });
  for (let i = 1; i <= 4; ++i) {
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: points(i) });
  }
  // Touch moves reach the page with the next frame.
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
}

async function pictures(browser, url, errors) {
  for (const [hash, args] of [['model=c8', ['c8']], ['model=c120&frames', ['c120', '-h']],
                              ['model=c600&clip', ['c600', '-c']],
                              // The library's styles beyond the viewer's, as orvex-render draws them.
                              ['model=runcitruncated-5-cell&frames&cells=all&colour=kind',
                               ['runcitruncated-5-cell', '-h', '--cells', 'all', '--colour-by', 'kind']]]) {
    const page = await openPage(browser, url, hash, SIZE, SIZE, errors);
    await samePicture(page, `first frame ${args.join(' ')}`, [...args, '--turn', TURN]);
    await page.close();
  }
  // 40 pixels left with the left button: +0.2 in xz; 40 down with the right: +0.2 in yw.
  for (const [button, to, turn] of [['left', [160, 200], '0,0.2,0,0,0,0'],
                                    ['right', [200, 240], '0,0,0,0,0.2,0']]) {
    const page = await openPage(browser, url, 'model=c24', SIZE, SIZE, errors);
    await drag(page, [200, 200], to, button);
    await samePicture(page, `${button} drag on c24`, ['c24', '--turn', TURN, '--turn', turn]);
    await page.mouse.up({ button });
    await page.close();
  }
  // The same turns by touch: one finger, then two.
  for (const [fingers, turn] of [[[[200, 200]], '0,0.2,0,0,0,0'], [[[180, 200], [220, 200]], '0,0,0,0,0.2,0']]) {
    const page = await openPage(browser, url, 'model=c24', SIZE, SIZE, errors);
    await touchDrag(page, fingers, fingers.length === 1 ? -40 : 0, fingers.length === 1 ? 0 : 40);
    await samePicture(page, `${fingers.length}-finger drag on c24`, ['c24', '--turn', TURN, '--turn', turn]);
    await page.close();
  }
}

async function section(browser, url, errors) {
  const turn = '0,0.3,0.2,0.4,0.1,0';
  const page = await openPage(browser, url, `model=c24&turn=${turn}&section=0.25`, SIZE, SIZE, errors);
  await samePicture(page, 'section of c24 at w=0.25', ['c24', '--turn', turn, '--section', '0.25']);
  const line = render(['c24', '--turn', turn, '--section', '0.25'], path.join(work, 's.png'));
  const [, v, e, f] = line.match(/(\d+) vertices, (\d+) edges, (\d+) faces/);
  const shown = await page.textContent('#sectionText');
  check(shown === `w=0.25: ${v} V, ${e} E, ${f} F`, 'section counts', `page "${shown}", orvex-render "${line.trim()}"`);
  await page.close();

  // The tesseract's middle sections: cell-first a cube, face-first a square prism,
  // edge-first a hexagonal prism, vertex-first an octahedron.
  const tesseract = await openPage(browser, url, 'model=c8&section=0', SIZE, SIZE, errors);
  const counts = [];
  for (const key of ['1', '2', '3', '4']) {
    await tesseract.keyboard.press(key);
    await tesseract.evaluate(() => window.orvexExplorer.capture());
    counts.push(await tesseract.textContent('#sectionText'));
  }
  const expected = ['8 V, 12 E, 6 F', '8 V, 12 E, 6 F', '12 V, 18 E, 8 F', '6 V, 12 E, 8 F'];
  check(counts.every((c, i) => c === `w=0: ${expected[i]}`), 'facing presets on c8', counts.join(' | '));
  await tesseract.close();
}

async function models(browser, url, errors) {
  const page = await openPage(browser, url, 'model=c8', 900, 700, errors);
  const info = () => page.textContent('#info');
  await page.selectOption('#model', 'c600');
  await page.waitForFunction(() => window.orvexExplorer.current() === 'c600');
  check((await info()).includes('120 vertices, 720 edges, 1200 polygons, 600 cells (600 tetrahedra)') &&
        page.url().includes('model=c600'), 'picking c600', await info());
  // orvex-gen info's numbers: the 600-cell's volume 25(2 + sqrt 5)/4 for unit edge, its
  // dihedral angle, and from the table its symmetry order and dual.
  check((await info()).endsWith('; volume 26.4754 for unit edge; dihedral 164.478°; ' +
                                'symmetry order 14400; dual c120'), 'the numbers of c600', await info());

  const open = async (files) => {
    await page.setInputFiles('#open', files);
    await page.evaluate(() => window.orvexExplorer.opened());
  };
  const before = await info();
  await open({ name: 'broken.4off', mimeType: 'text/plain',
                                      buffer: Buffer.from('4OFF\n5 1 0 1\n0 0 0 1\n') });
  const bad = await page.textContent('#message');
  check(bad.length > 0 && (await info()) === before && (await page.evaluate(() => window.orvexExplorer.current())) === 'c600',
        'a bad 4OFF file gives a message and keeps the model', bad);

  const models = path.join(site, 'models');
  await open(['c8.poi', 'c8.nor'].map((f) => path.join(models, f)));
  const missing = await page.textContent('#message');
  check(missing.includes('fc8.cel') && (await info()) === before, 'a missing polygon file is named', missing);

  await open(['c8.poi', 'fc8.cel', 'c8.nor'].map((f) => path.join(models, f)));
  check((await info()).startsWith('c8: 16 vertices') && (await page.textContent('#message')) === '',
        'opening three model files', await info());

  // Dropped on the page: the same path as the file picker.
  const shownBefore = await info();
  await page.evaluate(() => {
    const drop = new DataTransfer();
    drop.items.add(new File(['not a polytope'], 'dropped.4off'));
    document.dispatchEvent(new DragEvent('drop', { dataTransfer: drop, bubbles: true, cancelable: true }));
  });
  await page.evaluate(() => window.orvexExplorer.opened());
  const dropped = await page.textContent('#message');
  check(dropped.startsWith('dropped.4off') && (await info()) === shownBefore,
        'a dropped bad file gives a message and keeps the model', dropped);

  const off = path.join(work, 'mine.4off');
  execFileSync(path.join(bin, 'orvex-gen'), ['-d', models, 'export', 'c24', off]);
  await open(off);
  check((await info()).startsWith('mine: 24 vertices, 96 edges, 96 polygons, 24 cells'),
        'opening a 4OFF file', await info());
  await page.close();
}

(async () => {
  const { server, url } = await serve(site);
  const browser = await launch();
  const errors = [];
  try {
    await pictures(browser, url, errors);
    await section(browser, url, errors);
    await models(browser, url, errors);
  } finally {
    await browser.close();
    server.close();
  }
  check(errors.length === 0, 'no console errors', errors.join(' | '));
  fs.rmSync(work, { recursive: true, force: true });
  process.exit(failures === 0 ? 0 : 1);
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
