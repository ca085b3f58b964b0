// The explorer in headless Chromium against the native tools: first frames, styles and
// drags against orvex-render's pictures, the style controls, section counts against its
// --section line, the model picker, one's own files good and bad, the dead ends a new user
// meets, the layout, the gallery, the sweep, recording, the downloads, the single file opened from disk, and no
// errors in the console.
//   node explorer_test.js SITE_DIR BIN_DIR     (BIN_DIR holds orvex-render, orvex-image-diff, orvex-gen)
'use strict';

const { execFileSync, spawnSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { pathToFileURL } = require('url');
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

/// orvex-render's picture into file; cwd holds the orvex.cfg it reads, if any.
function render(args, file, cwd) {
  return execFileSync(path.join(bin, 'orvex-render'), [...args, '--size', String(SIZE), '-o', file],
                      { encoding: 'utf8', cwd });
}

async function capture(page, file) {
  const data = await page.evaluate(() => window.orvexExplorer.capture());
  fs.writeFileSync(file, Buffer.from(data.split(',')[1], 'base64'));
}

/// The page's picture against orvex-render's with the given arguments (run in cwd).
async function samePicture(page, what, renderArgs, cwd) {
  const mine = path.join(work, `${what.replace(/\W+/g, '_')}-web.png`);
  const theirs = path.join(work, `${what.replace(/\W+/g, '_')}-render.png`);
  await capture(page, mine);
  render(renderArgs, theirs, cwd);
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
                               ['runcitruncated-5-cell', '-h', '--cells', 'all', '--colour-by', 'kind']],
                              // Cells joined: the cube within a cube. The Schlegel diagram from the
                              // cell facing the viewer, at the viewer's scale.
                              ['model=c8&extend=0', ['c8', '--extend', '0']],
                              ['model=c8&projection=schlegel&zoom=1', ['c8', '--projection', 'schlegel']],
                              // Edges as bands in front of the faces, glass, and the wireframe.
                              ['model=c24&edges&cells=all', ['c24', '--edges', '--cells', 'all']],
                              ['model=c8&opacity=0.5&edges', ['c8', '--opacity', '0.5', '--edges']],
                              ['model=c24&wireframe', ['c24', '--wireframe']]]) {
    const page = await openPage(browser, url, hash, SIZE, SIZE, errors);
    await samePicture(page, `first frame ${args.join(' ')}`, [...args, '--turn', TURN]);
    if (args[0] === 'c120') {
      // What the first frame does not wait for is there when the page is ready.
      const [info, menu] = [await page.textContent('#info'), await page.inputValue('#model')];
      check(info.startsWith('c120: 600 vertices') && menu === 'c120' && page.url().includes('rotation='),
            'the info line, the menu and the address after the first frame', `${info} | ${menu} | ${page.url()}`);
    }
    await page.close();
  }
  // Edges after another model is loaded (here by a new address): its own outlines, not the
  // last model's.
  const switched = await openPage(browser, url, 'model=c8&edges', SIZE, SIZE, errors);
  await switched.evaluate((turn) => { location.hash = `model=c24&edges&turn=${turn}`; }, TURN);
  await switched.waitForFunction(() => window.orvexExplorer.current() === 'c24');
  await samePicture(switched, 'edges after loading c24', ['c24', '--edges', '--turn', TURN]);
  await switched.close();
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
  await numberForms(browser, url, errors);
}

/// One's own 16-cell with its numbers in every form the readers take: exponents, signs,
/// points without digits before them, digits beyond a double's, and values out of range
/// (1e-400, a subnormal) that the native reader takes as they come, and so must the page.
async function numberForms(browser, url, errors) {
  const dir = path.join(work, 'forms');
  fs.mkdirSync(dir);
  const write = (name, text) => fs.writeFileSync(path.join(dir, name), text);
  write('forms.poi', '8 0e0\n0 -0 1e-400 +1\n.0 0.0e0 1.0000000000000000000000000000000000000001 0\n' +
        '0 10e-1 -0.0 1e-310\n+1.0 0 0 0\n-1 0 0 0\n0 -1 0 0\n0 0 -1E0 0\n0 0 0 -1\nforms.nor\n');
  write('fforms.cel', fs.readFileSync(path.join(site, 'models', 'fc16.cel')));
  const halves = { '0.5': ['+.5', '5e-1', '0.50000000000000000000000000001', '0.5E0'],
                   '-0.5': ['-.5', '-5E-1', '-0.4999999999999999999999999999999999', '-50e-2'] };
  let k = 0;
  write('forms.nor', fs.readFileSync(path.join(site, 'models', 'c16.nor'), 'utf8')
    .replace(/-?0\.5\b/g, (half) => halves[half][k++ % 4]));
  write('orvex.cfg', `DataDir ${dir}\n`);
  const page = await openPage(browser, url, 'model=c8', SIZE, SIZE, errors);
  await page.setInputFiles('#open', ['forms.poi', 'fforms.cel', 'forms.nor'].map((f) => path.join(dir, f)));
  await page.evaluate(() => window.orvexExplorer.opened());
  check(await page.evaluate(() => window.orvexExplorer.current()) === 'forms', 'a 16-cell in every number form opens',
        await page.textContent('#message'));
  await samePicture(page, 'numbers in every form', ['forms', '--turn', TURN], dir);
  // A number that only begins well, and one too large for a double, are refused by name.
  for (const [bad, line] of [['1.0.5', 2], ['1e', 3], ['-1e999', 9]]) {
    const lines = fs.readFileSync(path.join(dir, 'forms.poi'), 'utf8').split('\n');
    lines[line - 1] = lines[line - 1].replace(/\S+$/, bad);
    write('bad.poi', lines.join('\n'));
    write('fbad.cel', fs.readFileSync(path.join(dir, 'fforms.cel')));
    await page.setInputFiles('#open', ['bad.poi', 'fbad.cel', 'forms.nor'].map((f) => path.join(dir, f)));
    await page.evaluate(() => window.orvexExplorer.opened());
    const said = await page.textContent('#message');
    check(said === `bad.poi: '${bad}' on line ${line} is not a number (a coordinate)`, `'${bad}' refused`, said);
  }
  await page.close();
}

/// The style controls: the separation slider and the Schlegel diagram from the menu change
/// the picture and are kept in the address; the diagram takes no separation.
async function styleControls(browser, url, errors) {
  const page = await openPage(browser, url, 'model=c8&paused', 800, 600, errors);
  const picture = () => page.evaluate(() => window.orvexExplorer.capture());
  const separated = await picture();
  await page.fill('#extend', '0');
  const joined = await picture();
  check(joined !== separated && page.url().includes('extend=0'), 'the separation slider joins the cells',
        page.url().split('#')[1]);
  const labels = await page.$$eval('#projection option', (o) => o.map((e) => e.textContent));
  const schlegel = labels.findIndex((l) => /schlegel/i.test(l));
  if (schlegel >= 0) await page.selectOption('#projection', String(schlegel));
  const diagram = await picture();
  check(schlegel >= 0 && diagram !== joined && page.url().includes('projection=schlegel') &&
        await page.isDisabled('#extend'), 'the Schlegel diagram from the projection menu',
        `${labels.join(', ')} | ${page.url().split('#')[1]}`);
  await page.close();
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
  const explorer = (what) => page.evaluate(`window.orvexExplorer.${what}()`);

  // Picked with the keyboard on the menu, the keys then belong to the view again: H draws
  // frames, S a section, and the arrows move the section, not the menu's choice.
  await page.focus('#model');
  await page.keyboard.press('ArrowDown');
  await page.waitForFunction(() => window.orvexExplorer.current() === 'c16');
  await page.keyboard.press('h');
  await page.keyboard.press('s');
  const w0 = await explorer('sectionW');
  await page.keyboard.press('ArrowRight');
  const w1 = await explorer('sectionW');
  const step = Number(await page.inputValue('#sectionW'));
  check(await page.isChecked('#frames') && await page.isChecked('#section') && w1 > w0 &&
        step === 550 && (await explorer('current')) === 'c16',
        'after the menu, H, S and the arrows act on the view', `slider ${step}, w ${w0} to ${w1}`);
  await page.keyboard.press('h');
  await page.keyboard.press('s');

  await page.selectOption('#model', 'c600');
  await page.waitForFunction(() => window.orvexExplorer.current() === 'c600');
  check((await info()).includes('120 vertices, 720 edges, 1200 polygons, 600 cells (600 tetrahedra)') &&
        page.url().includes('model=c600'), 'picking c600', await info());
  // orvex-gen info's numbers: the 600-cell's volume 25(2 + sqrt 5)/4 for unit edge, its
  // dihedral angle, and from the table its symmetry order and dual.
  await page.waitForFunction(() => document.getElementById('measures').textContent !== '');
  const measures = await page.textContent('#measures');
  check(measures === 'volume 26.4754 for unit edge; dihedral 164.478°; symmetry order 14400; dual c120',
        'the numbers of c600', measures);

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

  // Too big to hand to the program: refused before it reads a byte.
  await page.evaluate(() => {
    const drop = new DataTransfer();
    drop.items.add(new File([new Uint8Array(300 * 1024 * 1024)], 'huge.4off'));
    document.dispatchEvent(new DragEvent('drop', { dataTransfer: drop, bubbles: true, cancelable: true }));
  });
  await page.evaluate(() => window.orvexExplorer.opened());
  const huge = await page.textContent('#message');
  check(/^huge\.4off: 300 MB, more than the \d+ MB/.test(huge) && (await info()) === shownBefore,
        'a 300 MB file is refused with a message', huge);

  // A vertex file naming itself as the normals file: cells that bound no polygon.
  const poi = fs.readFileSync(path.join(models, 'c8.poi'), 'utf8').trim().replace(/\S+$/, 'self.poi');
  await open([{ name: 'self.poi', mimeType: 'text/plain', buffer: Buffer.from(poi + '\n') },
              { name: 'fself.cel', mimeType: 'text/plain', buffer: fs.readFileSync(path.join(models, 'fc8.cel')) }]);
  const self = await page.textContent('#message');
  check(self.startsWith('self: cell 1 of 16 bounds no polygon') && (await info()) === shownBefore,
        'a model whose normals are its vertices is refused', self);

  const off = path.join(work, 'mine.4off');
  execFileSync(path.join(bin, 'orvex-gen'), ['-d', models, 'export', 'c24', off]);
  await open(off);
  check((await info()).startsWith('mine: 24 vertices, 96 edges, 96 polygons, 24 cells'),
        'opening a 4OFF file', await info());
  // The menu names the opened file; the address cannot carry it, and a link to it opens
  // the default with a note.
  const chosen = await page.evaluate(() => document.getElementById('model').selectedOptions[0].textContent);
  const link = page.url();
  check(chosen === 'mine (your file)' && !link.includes('model=') && link.includes('opened=mine'),
        'an opened file in the menu and the address', `${chosen} | ${link}`);
  const again = await openPage(browser, url, link.split('#')[1], 640, 480, errors);
  const note = await again.textContent('#message');
  check((await again.evaluate(() => window.orvexExplorer.current())) === 'c8' && note.includes('mine'),
        'a link to an opened file opens the default with a note', note);
  await again.close();
  // The kinds in the program's words, as orvex-gen check names them.
  await page.selectOption('#model', 'duoprism-3-7');
  await page.waitForFunction(() => window.orvexExplorer.current() === 'duoprism-3-7');
  check((await info()).endsWith('(7 triangular prisms, 3 heptagonal prisms)'), 'cell kinds named', await info());
  await page.close();
}

/// What a new user meets first: the page from disk, a link to a model that is not there,
/// and a layout that keeps the polytope clear of the controls at every size.
async function deadEnds(browser, url, errors) {
  const disk = await browser.newPage();
  await disk.goto(pathToFileURL(path.join(site, 'index.html')).href);
  await disk.waitForFunction(() => document.getElementById('message').textContent !== '', null,
                             { timeout: 5000 }).catch(() => {});
  const said = await disk.textContent('#message');
  check(said.includes('orvex-explorer.html') && said.includes('serve'), 'index.html from disk says how to open it', said);
  await disk.close();

  // The page asks for the named model's files at once, so the console has its 404s.
  const notFound = [];
  const missing = await openPage(browser, url, 'model=s3', 640, 480, notFound);
  const note = await missing.textContent('#message');
  check((await missing.evaluate(() => window.orvexExplorer.current())) === 'c8' && note.includes('s3') &&
        notFound.every((e) => e.includes('404')), 'a link to a missing model opens the default with a note', note);
  await missing.close();

  const overlap = (a, b) => a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
  const boxes = (page) => page.evaluate(() => ['panel', 'view'].map((id) => {
    const r = document.getElementById(id).getBoundingClientRect();
    return { x: r.x, y: r.y, width: r.width, height: r.height };
  }));
  for (const [width, height] of [[1024, 768], [800, 600], [420, 700]]) {
    const page = await openPage(browser, url, 'model=c8', width, height, errors);
    let [panel, view] = await boxes(page);
    const narrow = width < 640;
    // Narrow, the panel starts folded to its title over a corner, the canvas the whole window.
    const ok = narrow ? panel.height < 50 && view.width === width && view.height === height
                      : !overlap(panel, view) && view.width > width / 2;
    if (narrow) await page.keyboard.press('t');
    [panel, view] = await boxes(page);
    check(ok && !overlap(panel, view) && view.width > 0 && view.height > 0,
          `the controls clear of the canvas at ${width}×${height}`, JSON.stringify({ panel, view }));
    await page.close();
  }
}

/// Sweeping the section, recording the sweep, and the downloads of the view.
async function takeAway(browser, url, errors) {
  const page = await openPage(browser, url, 'model=c24&speed=3', 640, 480, errors);
  const downloaded = async (click, timeout) => {
    const [file] = await Promise.all([page.waitForEvent('download', { timeout }), page.click(click)]);
    return fs.readFileSync(await file.path());
  };
  // From the middle, at speed 3, the sweep reaches the far end in 2/3 s and turns back.
  await page.click('#play');
  const seen = [];
  for (let i = 0; i < 12; ++i) {
    await page.waitForTimeout(120);
    seen.push(await page.evaluate(() => window.orvexExplorer.sectionW()));
  }
  // Up to the top, then back down past where it started.
  const top = seen.indexOf(Math.max(...seen));
  const rises = seen.slice(0, top + 1).every((w, i) => i === 0 || w >= seen[i - 1]);
  const back = Math.min(...seen.slice(top)) < seen[0];
  check(await page.isChecked('#section') && top > 0 && rises && back,
        'play sweeps the section across and back', seen.map((w) => w.toFixed(2)).join(' '));
  // Recording while the sweep plays ends by itself after one sweep across and back.
  const video = await downloaded('#record', 15000);
  check(video.length > 1000 && video.readUInt32BE(0) === 0x1a45dfa3, 'a recorded sweep is a WebM video',
        `${video.length} bytes`);
  await page.click('#play');

  const triangles = await page.evaluate(() => { window.orvexExplorer.capture(); return window.orvexExplorer.stats.triangles; });
  const stl = await downloaded('#saveStl');
  const count = stl.readUInt32LE(80);
  let finite = true;
  for (let t = 0; t < count; ++t) {
    for (let k = 0; k < 12; ++k) finite = finite && Number.isFinite(stl.readFloatLE(84 + 50 * t + 4 * k));
  }
  check(stl.length === 84 + 50 * count && count === triangles && count > 0 && finite,
        'STL of the drawn triangles', `${count} triangles, ${triangles} drawn, ${stl.length} bytes`);
  // The section's edges, then the cells'.
  const counts = [];
  for (const step of ['section', 'cells']) {
    const svg = (await downloaded('#saveSvg')).toString();
    const lines = (svg.match(/<line /g) || []).length;
    const coordinates = [...svg.matchAll(/[xy][12]="([^"]*)"/g)].map((m) => Number(m[1]));
    counts.push(svg.startsWith('<svg') && coordinates.length === 4 * lines &&
                coordinates.every((v) => v > 0 && v < 640) ? lines : 0);
    if (step === 'section') await page.keyboard.press('s');
  }
  // The section of c24 is a polyhedron of some dozens of edges; the facing cells have more.
  check(counts[0] > 5 && counts[1] > counts[0], 'SVG of the edges', `${counts.join(' then ')} lines`);
  await page.close();
}

async function gallery(browser, url, errors) {
  const page = await openPage(browser, url, 'model=c8', 1024, 768, errors);
  await page.keyboard.press('l');
  const rows = fs.readFileSync(path.join(site, 'polytopes.tsv'), 'utf8').split('\n')
    .filter((l) => l && !l.startsWith('#')).length;
  await page.waitForFunction(() => {
    const img = document.querySelector('#gallery .card img');
    return img && img.complete && img.naturalWidth > 0;
  });
  const cards = await page.$$eval('#gallery .card', (c) => c.length);
  const groups = await page.$$eval('#gallery h3', (h) => h.map((e) => e.textContent));
  check(await page.isVisible('#gallery') && cards === rows && groups[0] === 'Regular',
        'the gallery holds every model in groups', `${cards} cards of ${rows}; ${groups.join(', ')}`);
  await page.fill('#search', 'dodecahedra');
  const found = await page.$$eval('#gallery .card:not([hidden]) span', (s) => s.map((e) => e.textContent));
  check(found.length > 1 && found.length < rows && found.every((t) => t.includes('dodecahedra')),
        'searching the gallery by cell kind', `${found.length} found`);
  await page.click('#gallery .card[data-name="c120"]');
  await page.waitForFunction(() => window.orvexExplorer.current() === 'c120');
  check(await page.isHidden('#gallery'), 'a card opens its model', await page.textContent('#info'));
  await page.close();
}

/// The single file from disk: its own program and models, and the models it lacks named.
async function offlineFile(browser, url, errors) {
  const file = pathToFileURL(path.join(site, 'orvex-explorer.html')).href;
  const page = await openPage(browser, file, 'model=c120&frames', SIZE, SIZE, errors);
  await samePicture(page, 'the single file from disk, c120 -h', ['c120', '-h', '--turn', TURN]);
  const offered = await page.$$eval('#model option', (o) => o.length);
  await page.evaluate(() => { location.hash = 'model=omnitruncated-120-cell'; });
  await page.waitForFunction(() => window.orvexExplorer.message() !== '');
  const said = await page.textContent('#message');
  check(offered >= 10 && said.includes('not inside this file') &&
        (await page.evaluate(() => window.orvexExplorer.current())) === 'c120',
        'the single file names a model it lacks', `${offered} models; ${said}`);
  await page.close();
}

(async () => {
  const { server, url } = await serve(site);
  const browser = await launch();
  const errors = [];
  try {
    // One group's failure is reported and the others still run.
    for (const group of [pictures, styleControls, section, models, deadEnds, takeAway, gallery, offlineFile]) {
      const t0 = Date.now();
      await group(browser, url, errors).catch((e) => check(false, group.name, e.message.split('\n')[0]));
      console.log(`     ${group.name}: ${((Date.now() - t0) / 1000).toFixed(1)} s`);
    }
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
