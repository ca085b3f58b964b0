// The explorer page: loading models, the controls and keys, drawing each frame, the state
// kept in the address, and opening one's own files.
'use strict';

(() => {
  const DEFAULT_TURN = [0, 0.45, 0.3, 0.35, 0.25, 0];  // an oblique first view, with depth
  const COLOURS = ['count', 'kind', 'cell'];
  const PROJECTIONS = ['ortho', 'perspective', 'stereographic'];
  const $ = (id) => document.getElementById(id);
  const canvas = $('view');
  const ui = {
    model: $('model'), frames: $('frames'), clip: $('clip'), allcells: $('allcells'),
    edges: $('edges'), vertices: $('vertices'), colour: $('colour'), projection: $('projection'), section: $('section'),
    sectionW: $('sectionW'), pause: $('pause'), speed: $('speed')};

  let M = null;        // the WebAssembly module
  let ex = 0;          // the explorer inside it
  let gl = null;
  let current = '';    // the model shown: a library name or an opened file's
  const library = new Map();  // the table's rows by name
  let zoom = 1;
  let dirty = true;
  let sectionW = 0;
  let loading = 0;     // counts loads so that only the latest one shows
  let fitPending = false;  // fit once the model is shown
  const stats = { frames: 0, firstFrameAt: 0, walkMs: 0 };  // for the tests and the benchmark

  function message(text) { $('message').textContent = text || ''; }

  // ---- the model shown ----

  // The counts and kinds, then orvex-gen info's key numbers: the volume (for unit edge when
  // the library says the model is uniform, else in the file's units), the dihedral angles,
  // and for a library model its symmetry order and dual from the table.
  function showInfo(row) {
    const info = JSON.parse(M.UTF8ToString(M._ox_info(ex)));
    const kinds = info.kinds.map(([s, n]) => OrvexLibrary.kindText(s, n)).join(', ');
    const number = (v) => Number(v.toPrecision(6)).toString();
    const uniform = row && row.family !== 'dual' && info.edges.length === 1;
    const numbers = [uniform ? `volume ${number(info.volume / info.edges[0] ** 4)} for unit edge`
                             : `volume ${number(info.volume)}`];
    const angles = info.dihedral.slice(0, 3).map(([d]) => `${number(d)}°`);
    if (info.angles > 3) angles.push(`${info.angles - 3} more`);
    numbers.push(`dihedral ${angles.join(', ')}`);
    if (row && row.symmetry) numbers.push(`symmetry order ${row.symmetry}`);
    if (row && row.dual) numbers.push(`dual ${row.dual}`);
    $('info').textContent = `${current}: ${info.V} vertices, ${info.E} edges, ${info.F} polygons, ` +
      `${info.C} cells (${kinds}); ${numbers.join('; ')}`;
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
      shown(name, library.get(name));
    } catch (e) {
      if (ticket === loading) message(`Cannot load ${name}: ${e.message}`);
      ui.model.value = current;
    }
  }

  function shown(name, row) {
    current = name;
    if ([...ui.model.options].some((o) => o.value === name)) ui.model.value = name;
    showInfo(row);
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
                   ui.edges.checked ? 1 : 0, ui.vertices.checked ? 1 : 0,
                   Number(ui.projection.value));
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
    if (ui.vertices.checked) p.push('vertices');
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
    ui.vertices.checked = p.has('vertices');
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
    const points = M._ox_point_vertices(ex);
    const start = M._ox_buffer(ex) / 4;
    const end = start + (triangles + lines + points) * OrvexGl.FLOATS_PER_VERTEX;
    return { triangles, lines, points, floats: M.HEAPF32.subarray(start, end) };
  }

  function draw() {
    resize();
    const t0 = performance.now();
    const f = frameFloats();
    stats.walkMs += performance.now() - t0;
    gl.draw(f, zoom, ui.clip.checked);
    if (ui.section.checked) {
      const c = [0, 1, 2].map((k) => M._ox_section_count(ex, k));
      $('sectionText').textContent = `w=${short(sectionW)}: ${c[0]} V, ${c[1]} E, ${c[2]} F`;
    } else {
      $('sectionText').textContent = '';
    }
    stats.frames++;
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
    // Stereographically the cells near the far pole run off towards infinity: fit the rest.
    const share = ui.projection.value === '2' && ui.allcells.checked ? 0.9 : 1;
    zoom = gl.fitZoom(f.floats, f.triangles + f.lines + f.points, share);
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

  // ---- pointer input, into the viewer's button, drag and idle handlers ----

  const POINTER = {
    mouse: (button, state, x, y) => M._ox_mouse(ex, button, state, x, y),
    motion: (x, y) => { M._ox_motion(ex, x, y); dirty = true; },
    stop: () => M._ox_stop(ex),
    zoomBy: (f) => { zoom *= f; dirty = true; },
    settled: () => saveHash(),
  };

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

  function togglePanel() {
    const collapsed = $('panel').classList.toggle('collapsed');
    $('collapse').textContent = collapsed ? '+' : '–';
  }

  function wireControls() {
    for (const box of [ui.frames, ui.clip, ui.allcells, ui.edges, ui.vertices, ui.section, ui.colour,
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
    $('collapse').addEventListener('click', togglePanel);
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
      e: () => toggle(ui.edges), v: () => toggle(ui.vertices), k: () => cycle(ui.colour), p: () => cycle(ui.projection),
      s: () => toggle(ui.section), ' ': () => toggle(ui.pause), r: reset, f: fit, g: savePng,
      '?': () => help($('help').hidden), Escape: () => help(false),
      '+': () => { zoom *= 1.1; dirty = true; }, '=': () => { zoom *= 1.1; dirty = true; },
      '-': () => { zoom /= 1.1; dirty = true; },
      '[': () => { ui.speed.value = String(Number(ui.speed.value) - 20); applySettings(); },
      ']': () => { ui.speed.value = String(Number(ui.speed.value) + 20); applySettings(); },
      ArrowLeft: () => { ui.sectionW.value = String(Number(ui.sectionW.value) - 10); sectionFromSlider(); },
      ArrowRight: () => { ui.sectionW.value = String(Number(ui.sectionW.value) + 10); sectionFromSlider(); },
      t: togglePanel,
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
    const rows = OrvexLibrary.parseLibrary(table);
    for (const row of rows) library.set(row.name, row);
    OrvexLibrary.fillPicker(ui.model, rows, OrvexLibrary.parseKinds(kinds));
    wireControls();
    OrvexPointer.attach(canvas, POINTER);
    // On a small screen the picture comes first; T or the button shows the controls.
    if (window.innerWidth < 600) togglePanel();
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
  };
})();
