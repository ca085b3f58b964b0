// The explorer page: the library picker, the controls and keys, pointer input fed to the
// viewer's own rotation logic, the state kept in the address, and opening one's own files.
'use strict';

(() => {
  const DEFAULT_TURN = [0, 0.45, 0.3, 0.35, 0.25, 0];  // an oblique first view, with depth
  const GROUPS = [
    ['regular', 'Regular'], ['uniform', 'Uniform'], ['dual', 'Duals'], ['prism', 'Prisms'],
    ['duoprism', 'Duoprisms'], ['antiprismatic-prism', 'Antiprismatic prisms']];
  const COLOURS = ['count', 'kind', 'cell'];
  const PROJECTIONS = ['ortho', 'perspective', 'stereographic'];
  const FACE_NAMES = ['cell', 'face', 'edge', 'vertex'];
  const SHAPES = {
    '3x4': 'tetrahedra', '4x6': 'cubes', '3x8': 'octahedra', '5x12': 'dodecahedra',
    '3x20': 'icosahedra', '3x8 4x6': 'cuboctahedra', '3x4 6x4': 'truncated tetrahedra',
    '4x6 6x8': 'truncated octahedra', '3x8 8x6': 'truncated cubes',
    '3x8 4x18': 'rhombicuboctahedra', '4x12 6x8 8x6': 'truncated cuboctahedra',
    '3x20 5x12': 'icosidodecahedra', '3x20 10x12': 'truncated dodecahedra',
    '5x12 6x20': 'truncated icosahedra', '3x20 4x30 5x12': 'rhombicosidodecahedra',
    '4x30 6x20 10x12': 'truncated icosidodecahedra'};

  const $ = (id) => document.getElementById(id);
  const canvas = $('view');
  const ui = {
    model: $('model'), frames: $('frames'), clip: $('clip'), allcells: $('allcells'),
    edges: $('edges'), colour: $('colour'), projection: $('projection'), section: $('section'),
    sectionW: $('sectionW'), pause: $('pause'), speed: $('speed')};

  let M = null;        // the WebAssembly module
  let ex = 0;          // the explorer inside it
  let gl = null;
  let library = [];    // rows of the model table
  let current = '';    // the model shown: a library name or an opened file's
  let zoom = 1;
  let dirty = true;
  let sectionW = 0;
  let loading = 0;     // counts loads so that only the latest one shows
  let fitPending = false;  // fit once the model is shown
  const stats = { frames: 0, firstFrameAt: 0, modelShownAt: 0 };

  function message(text) { $('message').textContent = text || ''; }

  // ---- the model table and the picker ----

  function parseLibrary(tsv) {
    const rows = [];
    for (const line of tsv.split('\n')) {
      if (!line || line.startsWith('#')) continue;
      const [name, family, , V, E, F, C] = line.split('\t');
      rows.push({ name, family, V, E, F, C });
    }
    return rows;
  }

  function parseKinds(tsv) {
    const kinds = new Map();
    for (const line of tsv.split('\n')) {
      const [name, text] = line.split('\t');
      if (name && text) kinds.set(name, text);
    }
    return kinds;
  }

  function fillPicker(kinds) {
    ui.model.textContent = '';
    for (const [family, title] of GROUPS) {
      const group = document.createElement('optgroup');
      group.label = title;
      for (const row of library.filter((r) => r.family === family)) {
        const option = document.createElement('option');
        option.value = row.name;
        const cells = kinds.get(row.name);
        option.textContent = `${row.name}  (${row.V} V, ${row.E} E, ${row.F} F, ${row.C} C` +
          (cells ? `: ${cells})` : ')');
        group.appendChild(option);
      }
      if (group.children.length) ui.model.appendChild(group);
    }
  }

  const POLYGON_NAMES = { 3: 'triangular', 5: 'pentagonal', 6: 'hexagonal', 8: 'octagonal',
                          10: 'decagonal' };

  /// A kind of cell in words: "120 dodecahedra", "10 hexagonal prisms".
  function kindText(signature, count) {
    if (SHAPES[signature]) return `${count} ${SHAPES[signature]}`;
    const sizes = new Map(signature.split(' ').map((p) => p.split('x').map(Number)));
    const [n] = [...sizes.keys()].filter((k) => k !== 3 && k !== 4);
    const gon = POLYGON_NAMES[n] || `${n}-gonal`;
    if (sizes.size === 2 && sizes.get(n) === 2 && sizes.get(4) === n) return `${count} ${gon} prisms`;
    if (sizes.size === 2 && sizes.get(n) === 2 && sizes.get(3) === 2 * n) return `${count} ${gon} antiprisms`;
    if (signature === '3x2 4x3') return `${count} triangular prisms`;
    return `${count} cells of ${[...sizes].map(([s, k]) => `${k} ${s}-gons`).join(', ')}`;
  }

  function showInfo() {
    const info = JSON.parse(M.UTF8ToString(M._ox_info(ex)));
    const kinds = info.kinds.map(([s, n]) => kindText(s, n)).join(', ');
    $('info').textContent = `${current}: ${info.V} vertices, ${info.E} edges, ${info.F} polygons, ` +
      `${info.C} cells (${kinds})`;
  }

  // ---- loading ----

  function write(dir, name, data) {
    M.FS.mkdirTree(dir);
    M.FS.writeFile(`${dir}/${name}`, data);
  }

  function clearDir(dir) {
    try {
      for (const f of M.FS.readdir(dir)) if (f !== '.' && f !== '..') M.FS.unlink(`${dir}/${f}`);
    } catch (e) { /* no such folder yet */ }
  }

  async function fetchText(path) {
    const response = await fetch(path);
    if (!response.ok) throw new Error(`${path}: ${response.status} ${response.statusText}`);
    return response.text();
  }

  // The vertex file names the normals file in its last word.
  const normalsWord = (poi) => poi.trim().split(/\s+/).pop();

  /// The texts of a library model's three files.
  async function fetchModel(name) {
    const [poi, cel] = await Promise.all([fetchText(`models/${name}.poi`),
                                          fetchText(`models/f${name}.cel`)]);
    return { poi, cel, nor: await fetchText(`models/${normalsWord(poi)}`) };
  }

  /// Shows library model name, from files already asked for when given.
  async function loadLibraryModel(name, files) {
    const ticket = ++loading;
    message('');
    try {
      const { poi, cel, nor } = await (files || fetchModel(name));
      if (ticket !== loading) return;
      const dir = '/library';
      clearDir(dir);
      write(dir, `${name}.poi`, poi);
      write(dir, `f${name}.cel`, cel);
      write(dir, normalsWord(poi), nor);
      const ok = M.ccall('ox_load', 'number', ['number', 'string', 'string'], [ex, dir, name]);
      clearDir(dir);
      if (!ok) throw new Error(M.UTF8ToString(M._ox_text(ex)).split(dir + '/').join(''));
      shown(name);
    } catch (e) {
      if (ticket === loading) message(`Cannot load ${name}: ${e.message}`);
      ui.model.value = current;
    }
  }

  function shown(name) {
    current = name;
    if ([...ui.model.options].some((o) => o.value === name)) ui.model.value = name;
    showInfo();
    stats.modelShownAt = 0;
    sectionRange();
    dirty = true;
    if (fitPending) {
      fitPending = false;
      fit();
    }
    saveHash();
  }

  let opening = Promise.resolve();
  function open(files) {
    opening = openFiles(files);
  }

  async function openFiles(files) {
    files = [...files];
    message('');
    if (files.length === 0) return;
    const dir = '/opened';
    clearDir(dir);
    const isOff = (f) => /\.(4?off)$/i.test(f.name);
    try {
      if (files.length === 1 && (isOff(files[0]) || !/\.(poi|cel|nor)$/i.test(files[0].name))) {
        const f = files[0];
        const name = f.name.replace(/\.[^.]*$/, '').replace(/[^A-Za-z0-9._-]/g, '_') || 'opened';
        write(dir, f.name, new Uint8Array(await f.arrayBuffer()));
        const ok = M.ccall('ox_import_off4', 'number', ['number', 'string', 'string'],
                           [ex, `${dir}/${f.name}`, name]);
        if (!ok) throw new Error(M.UTF8ToString(M._ox_text(ex)).split(dir + '/').join('')
                                   .split('/imported/').join(''));
        shown(name);
        return;
      }
      const pois = files.filter((f) => /\.poi$/i.test(f.name));
      if (pois.length !== 1) {
        throw new Error('open one model at a time: its NAME.poi, fNAME.cel and normals file ' +
                        'together, or one 4OFF file');
      }
      const name = pois[0].name.replace(/\.poi$/i, '');
      for (const f of files) write(dir, f.name, new Uint8Array(await f.arrayBuffer()));
      const word = normalsWord(await pois[0].text());
      for (const needed of [`f${name}.cel`, word]) {
        if (!files.some((f) => f.name === needed)) {
          throw new Error(`${needed} is missing: open it together with ${name}.poi`);
        }
      }
      const ok = M.ccall('ox_load', 'number', ['number', 'string', 'string'], [ex, dir, name]);
      if (!ok) throw new Error(M.UTF8ToString(M._ox_text(ex)).split(dir + '/').join(''));
      shown(name);
    } catch (e) {
      message(e.message);
    } finally {
      clearDir(dir);
    }
  }

  // ---- settings, the section and the address ----

  function applySettings() {
    M._ox_settings(ex, ui.frames.checked ? 1 : 0, ui.clip.checked ? 1 : 0,
                   ui.allcells.checked ? 1 : 0, Number(ui.colour.value),
                   ui.edges.checked ? 1 : 0, Number(ui.projection.value));
    M._ox_section(ex, ui.section.checked ? 1 : 0, sectionW);
    dirty = true;
  }

  function sectionRange() {
    const lo = M._ox_w_extent(ex, 0), hi = M._ox_w_extent(ex, 1);
    ui.sectionW.value = String(Math.round(1000 * (sectionW - lo) / ((hi - lo) || 1)));
  }

  function sectionFromSlider() {
    const lo = M._ox_w_extent(ex, 0), hi = M._ox_w_extent(ex, 1);
    sectionW = lo + (hi - lo) * Number(ui.sectionW.value) / 1000;
    ui.section.checked = true;
    applySettings();
  }

  function rotation() {
    return M.HEAPF64.subarray(M._ox_rotation(ex) / 8, M._ox_rotation(ex) / 8 + 16);
  }

  const short = (v) => String(Number(v.toPrecision(10)));

  function saveHash() {
    if (!current) return;
    const p = [`model=${encodeURIComponent(current)}`];
    if (ui.frames.checked) p.push('frames');
    if (ui.clip.checked) p.push('clip');
    if (ui.allcells.checked) p.push('cells=all');
    if (ui.edges.checked) p.push('edges');
    if (ui.colour.value !== '0') p.push(`colour=${COLOURS[ui.colour.value]}`);
    if (ui.projection.value !== '0') p.push(`projection=${PROJECTIONS[ui.projection.value]}`);
    if (ui.section.checked) p.push(`section=${short(sectionW)}`);
    if (ui.pause.checked) p.push('paused');
    if (ui.speed.value !== '100') p.push(`speed=${Number(ui.speed.value) / 100}`);
    if (zoom !== 1) p.push(`zoom=${short(zoom)}`);
    p.push(`rotation=${[...rotation()].map(short).join(',')}`);
    history.replaceState(null, '', '#' + p.join('&'));
  }

  function numbers(text, count) {
    const v = (text || '').split(',').map(Number);
    return v.length === count && v.every(Number.isFinite) ? v : null;
  }

  /// Applies the address; returns the model it names.
  function readHash() {
    const p = new URLSearchParams(location.hash.slice(1));
    ui.frames.checked = p.has('frames');
    ui.clip.checked = p.has('clip');
    ui.allcells.checked = p.get('cells') === 'all';
    ui.edges.checked = p.has('edges');
    ui.colour.value = String(Math.max(0, COLOURS.indexOf(p.get('colour'))));
    ui.projection.value = String(Math.max(0, PROJECTIONS.indexOf(p.get('projection'))));
    ui.section.checked = p.has('section');
    sectionW = Number(p.get('section')) || 0;
    ui.pause.checked = p.has('paused');
    ui.speed.value = String(Math.round(100 * (Number(p.get('speed')) || 1)));
    zoom = Number(p.get('zoom')) || 1;
    fitPending = ui.projection.value !== '0' && !p.has('zoom');
    const matrix = numbers(p.get('rotation'), 16);
    const turn = numbers(p.get('turn'), 6) || DEFAULT_TURN;
    M._ox_set_turn(ex, ...turn);
    if (matrix) {
      rotation().set(matrix);
      M._ox_rotation_changed(ex);
    }
    M._ox_stop(ex);
    applySettings();
    return p.get('model') || 'c8';
  }

  // ---- drawing ----

  function resize() {
    const dpr = window.devicePixelRatio || 1;
    const w = Math.max(1, Math.round(canvas.clientWidth * dpr));
    const h = Math.max(1, Math.round(canvas.clientHeight * dpr));
    if (canvas.width !== w || canvas.height !== h) {
      canvas.width = w;
      canvas.height = h;
      dirty = true;
    }
  }

  function frameFloats() {
    const triangles = M._ox_build(ex);
    const lines = M._ox_line_vertices(ex);
    const start = M._ox_buffer(ex) / 4;
    return { triangles, lines,
             floats: M.HEAPF32.subarray(start, start + (triangles + lines) * OrvexGl.FLOATS_PER_VERTEX) };
  }

  function draw() {
    resize();
    const f = frameFloats();
    gl.draw(f.floats, f.triangles, f.lines, zoom, ui.clip.checked);
    if (ui.section.checked) {
      const c = [0, 1, 2].map((k) => M._ox_section_count(ex, k));
      $('sectionText').textContent = `w=${short(sectionW)}: ${c[0]} V, ${c[1]} E, ${c[2]} F`;
    } else {
      $('sectionText').textContent = '';
    }
    stats.frames++;
    if (current && !stats.modelShownAt) stats.modelShownAt = performance.now();
    if (current && !stats.firstFrameAt) stats.firstFrameAt = performance.now();
    dirty = false;
  }

  let lastHashSave = 0;
  function tick(now) {
    if (!ui.pause.checked && M._ox_idle(ex, Number(ui.speed.value) / 100)) {
      dirty = true;
      if (now - lastHashSave > 1000) {
        lastHashSave = now;
        saveHash();
      }
    }
    if (dirty && current) draw();
    requestAnimationFrame(tick);
  }

  function fit() {
    const f = frameFloats();
    zoom = gl.fitZoom(f.floats, f.triangles + f.lines);
    dirty = true;
    saveHash();
  }

  function savePng() {
    draw();
    const link = document.createElement('a');
    link.download = `${current || 'orvex'}.png`;
    link.href = canvas.toDataURL('image/png');
    link.click();
  }

  // ---- pointer input: the viewer's button, drag and idle handlers ----

  const LEFT = 0, OTHER = 2, DOWN = 0, UP = 1;
  const pointers = new Map();
  let held = null;  // { button, x, y } while a button or finger turns
  let pinch = 0;

  function centre() {
    let x = 0, y = 0;
    for (const p of pointers.values()) { x += p.x; y += p.y; }
    return [Math.round(x / pointers.size), Math.round(y / pointers.size)];
  }

  function spread() {
    const [a, b] = [...pointers.values()];
    return Math.hypot(a.x - b.x, a.y - b.y);
  }

  function press(button, x, y) {
    held = { button };
    M._ox_mouse(ex, button, DOWN, x, y);
  }

  function release(x, y, spin) {
    if (!held) return;
    M._ox_mouse(ex, held.button, UP, x, y);
    if (!spin) M._ox_stop(ex);
    held = null;
    saveHash();
  }

  canvas.addEventListener('pointerdown', (e) => {
    canvas.setPointerCapture(e.pointerId);
    pointers.set(e.pointerId, { x: e.offsetX, y: e.offsetY });
    if (e.pointerType === 'touch') {
      // A second finger changes the gesture: a turn through the fourth dimension and pinch.
      const [x, y] = centre();
      release(x, y, false);
      press(pointers.size >= 2 ? OTHER : LEFT, x, y);
      if (pointers.size === 2) pinch = spread();
      return;
    }
    if (held) return;
    press(e.button === 0 && !e.shiftKey ? LEFT : OTHER, Math.round(e.offsetX), Math.round(e.offsetY));
  });

  canvas.addEventListener('pointermove', (e) => {
    if (!pointers.has(e.pointerId)) return;
    pointers.set(e.pointerId, { x: e.offsetX, y: e.offsetY });
    const [x, y] = centre();
    if (pointers.size === 2 && pinch > 0) {
      const now = spread();
      if (now > 0) zoom *= now / pinch;
      pinch = now;
    }
    M._ox_motion(ex, x, y);
    dirty = true;
  });

  function pointerEnd(e) {
    if (!pointers.has(e.pointerId)) return;
    const wasTouch = e.pointerType === 'touch';
    const [x, y] = centre();
    pointers.delete(e.pointerId);
    if (wasTouch && pointers.size > 0) {
      release(x, y, false);
      const [cx, cy] = centre();
      press(LEFT, cx, cy);
      pinch = 0;
      return;
    }
    release(x, y, true);
  }
  canvas.addEventListener('pointerup', pointerEnd);
  canvas.addEventListener('pointercancel', pointerEnd);
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());
  canvas.addEventListener('wheel', (e) => {
    e.preventDefault();
    zoom *= Math.exp(-e.deltaY * (e.deltaMode === 1 ? 0.05 : 0.0015));
    dirty = true;
    saveHash();
  }, { passive: false });

  // ---- controls and keys ----

  function toggle(box) {
    box.checked = !box.checked;
    box.dispatchEvent(new Event('change'));
  }

  function cycle(select) {
    select.value = String((Number(select.value) + 1) % select.options.length);
    select.dispatchEvent(new Event('change'));
  }

  function face(kind) {
    M._ox_face(ex, kind);
    M._ox_stop(ex);
    sectionRange();
    dirty = true;
    saveHash();
  }

  function reset() {
    M._ox_set_turn(ex, ...DEFAULT_TURN);
    M._ox_stop(ex);
    zoom = 1;
    sectionW = 0;
    sectionRange();
    dirty = true;
    saveHash();
  }

  function help(show) { $('help').hidden = !show; }

  function wireControls() {
    for (const box of [ui.frames, ui.clip, ui.allcells, ui.edges, ui.section, ui.colour,
                       ui.pause, ui.speed]) {
      box.addEventListener('change', () => { applySettings(); saveHash(); });
    }
    // The other projections reach beyond the window: fitted at once. Ortho is drawn at the
    // viewer's own scale.
    ui.projection.addEventListener('change', () => {
      applySettings();
      if (ui.projection.value === '0') {
        zoom = 1;
        saveHash();
      } else {
        fit();
      }
    });
    ui.sectionW.addEventListener('input', () => { sectionFromSlider(); saveHash(); });
    ui.model.addEventListener('change', () => loadLibraryModel(ui.model.value));
    $('open').addEventListener('change', (e) => { open(e.target.files); e.target.value = ''; });
    document.querySelectorAll('[data-face]').forEach((b) =>
      b.addEventListener('click', () => face(Number(b.dataset.face))));
    $('reset').addEventListener('click', reset);
    $('fit').addEventListener('click', fit);
    $('save').addEventListener('click', savePng);
    $('helpButton').addEventListener('click', () => help(true));
    $('closeHelp').addEventListener('click', () => help(false));
    $('collapse').addEventListener('click', () => $('panel').classList.toggle('collapsed'));
    window.addEventListener('keydown', onKey);
    window.addEventListener('resize', () => { dirty = true; });
    window.addEventListener('hashchange', () => {
      const name = readHash();
      if (name !== current) loadLibraryModel(name);
    });
    document.addEventListener('dragover', (e) => { e.preventDefault(); document.body.classList.add('dropping'); });
    document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
    document.addEventListener('drop', (e) => {
      e.preventDefault();
      document.body.classList.remove('dropping');
      open(e.dataTransfer.files);
    });
  }

  function onKey(e) {
    if (e.target instanceof HTMLInputElement && e.target.type !== 'checkbox' && e.target.type !== 'range') return;
    if (e.target instanceof HTMLSelectElement || e.ctrlKey || e.metaKey || e.altKey) return;
    const k = e.key;
    const actions = {
      h: () => toggle(ui.frames), c: () => toggle(ui.clip), a: () => toggle(ui.allcells),
      e: () => toggle(ui.edges), k: () => cycle(ui.colour), p: () => cycle(ui.projection),
      s: () => toggle(ui.section), ' ': () => toggle(ui.pause), r: reset, f: fit, g: savePng,
      '?': () => help($('help').hidden), Escape: () => help(false),
      '+': () => { zoom *= 1.1; dirty = true; }, '=': () => { zoom *= 1.1; dirty = true; },
      '-': () => { zoom /= 1.1; dirty = true; },
      '[': () => { ui.speed.value = String(Number(ui.speed.value) - 20); applySettings(); },
      ']': () => { ui.speed.value = String(Number(ui.speed.value) + 20); applySettings(); },
      ArrowLeft: () => { ui.sectionW.value = String(Number(ui.sectionW.value) - 10); sectionFromSlider(); },
      ArrowRight: () => { ui.sectionW.value = String(Number(ui.sectionW.value) + 10); sectionFromSlider(); },
      Tab: () => $('panel').classList.toggle('collapsed'),
      1: () => face(0), 2: () => face(1), 3: () => face(2), 4: () => face(3)};
    const action = actions[k.length === 1 ? k.toLowerCase() : k] || actions[k];
    if (!action) return;
    e.preventDefault();
    action();
    saveHash();
  }

  // ---- start ----

  async function start() {
    try {
      gl = new OrvexGl.View(canvas);
    } catch (e) {
      message(e.message);
      return;
    }
    // The first model's files are asked for at once, beside the program and the tables.
    const first = new URLSearchParams(location.hash.slice(1)).get('model') || 'c8';
    const files = fetchModel(first);
    files.catch(() => {});  // reported when it is shown
    const [module, table, kinds] = await Promise.all([
      createOrvex(), fetchText('polytopes.tsv'), fetchText('kinds.tsv').catch(() => '')]);
    M = module;
    ex = M._ox_create();
    library = parseLibrary(table);
    fillPicker(parseKinds(kinds));
    wireControls();
    // On a small screen the picture comes first; Tab or the button shows the controls.
    if (window.innerWidth < 600) $('panel').classList.add('collapsed');
    const name = readHash();
    await loadLibraryModel(name, name === first ? files : null);
    requestAnimationFrame(tick);
  }

  // For the page's tests and benchmark: the picture as PNG data, the counters.
  window.orvexExplorer = {
    ready: start(),
    stats,
    capture() { draw(); return canvas.toDataURL('image/png'); },
    current: () => current,
    opened: () => opening,
    message: () => $('message').textContent,
    faceNames: FACE_NAMES,
  };
})();
