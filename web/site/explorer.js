// The explorer page: loading models, the controls and keys, drawing each frame, the state
// kept in the address, opening one's own files, the gallery, the sweep, recording and the
// downloads. What it shows of a model or the scene, and its menus, the program gives.
// In this order: the state; the model shown; loading; settings, the section and the
// address; drawing; taking it away (pictures, models, videos); pointer input; controls and
// keys; the gallery; start.
'use strict';

(() => {
  const DEFAULT_TURN = [0, 0.45, 0.3, 0.35, 0.25, 0];  // an oblique first view, with depth
  const DEFAULT_MODEL = 'c8';  // index.html's head asks for its files too
  const SWEEP_SECONDS = 4;  // one way across, at spin speed 1
  // The single-file explorer's own copies of the site's files, by their paths.
  const offline = window.ORVEX_OFFLINE || null;
  const fromDisk = location.protocol === 'file:';
  const $ = (id) => document.getElementById(id);
  const canvas = $('view');
  const ui = {
    model: $('model'), frames: $('frames'), clip: $('clip'), allcells: $('allcells'),
    edges: $('edges'), vertices: $('vertices'), colour: $('colour'), projection: $('projection'), section: $('section'),
    sectionW: $('sectionW'), pause: $('pause'), speed: $('speed'), wireframe: $('wireframe'),
    opacity: $('opacity'), extend: $('extend')};

  let M = null;        // the WebAssembly module
  let ex = 0;          // the explorer inside it
  let gl = null;
  let menus = { colour: [], projection: [] };  // the program's menus and sliders
  let library = [];    // the table's rows that can be loaded here
  let current = '';    // the model shown: a library name or an opened file's
  let openedShown = false;  // current is an opened file's
  let sweep = null;    // the section's sweep while it plays: { phase, last }
  let recorder = null; // the MediaRecorder while recording
  let recordUntil = 0; // a recorded sweep stops itself after one whole cycle
  let zoom = 1;
  let dirty = true;
  let sectionW = 0;
  let loading = 0;     // counts loads so that only the latest one shows
  let fitPending = false;  // fit once the model is shown
  let starting = true;  // until the first model's first frame
  // For the tests and the benchmark: frames drawn, when the first was, the time in the
  // cell walk, and the last frame's triangles.
  const stats = { frames: 0, firstFrameAt: 0, walkMs: 0, triangles: 0 };

  function message(text) { $('message').textContent = text || ''; }

  // ---- the model shown ----

  function showInfo() {
    const info = JSON.parse(M.UTF8ToString(M._ox_info(ex)));
    $('info').textContent = `${current}: ${info.V} vertices, ${info.E} edges, ${info.F} polygons, ` +
      `${info.C} cells (${info.cells})`;
    $('measures').textContent = '';
    // The measures after the picture: for a big model they take a while to work out.
    const shownNow = current;
    requestAnimationFrame(() => requestAnimationFrame(() => {
      if (current === shownNow) showMeasures();
    }));
  }

  function showMeasures() {
    // A library model's symmetry order and dual from the table (computed by orvex-gen info).
    const row = openedShown ? null : library.find((r) => r.name === current);
    const measures = JSON.parse(M.UTF8ToString(M._ox_measures(ex)));
    if (row && row.symmetry) measures.push(['symmetry order', row.symmetry]);
    if (row && row.dual) measures.push(['dual', row.dual]);
    $('measures').textContent = measures.map(([k, v]) => `${k} ${v}`).join('; ');
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

  /// The answer to the page head's request for path, once, or a new request.
  function takeEarly(path) {
    const early = window.orvexEarly && window.orvexEarly[path];
    if (!early) return fetch(path);
    delete window.orvexEarly[path];
    return early;
  }

  /// The response to path, checked; offline, the single file's own copy.
  async function fetchFile(path) {
    if (offline && path in offline.files) return null;
    if (fromDisk) {
      throw new Error(`${path} is not inside this file: serve the explorer's folder for every model`);
    }
    const response = await takeEarly(path);
    if (!response.ok) throw new Error(`${path}: ${response.status} ${response.statusText}`);
    return response;
  }

  async function fetchText(path) {
    const response = await fetchFile(path);
    return response ? response.text() : offline.files[path];
  }

  // A model file's bytes go to the program as they came: decoded to text and encoded
  // again, a big one takes a while.
  async function fetchBytes(path) {
    const response = await fetchFile(path);
    return response ? new Uint8Array(await response.arrayBuffer())
                    : new TextEncoder().encode(offline.files[path]);
  }

  /// The vertex file's last word, which names the normals file: found from the end, as
  /// the program reads words, between ASCII white space.
  function normalsWord(poi) {
    const space = (b) => b === 32 || (b >= 9 && b <= 13);
    let end = poi.length;
    while (end > 0 && space(poi[end - 1])) --end;
    let start = end;
    while (start > 0 && !space(poi[start - 1])) --start;
    return new TextDecoder().decode(poi.subarray(start, end));
  }

  /// The bytes of a library model's three files.
  async function fetchModel(name) {
    // NAME.nor, the usual normals file, is asked for at once beside the other two.
    const guess = fetchBytes(`models/${name}.nor`);
    guess.catch(() => {});
    const [poi, cel] = await Promise.all([fetchBytes(`models/${name}.poi`),
                                          fetchBytes(`models/f${name}.cel`)]);
    const word = normalsWord(poi);
    return { poi, cel, word, nor: await (word === `${name}.nor` ? guess : fetchBytes(`models/${word}`)) };
  }

  /// Shows library model name, from files already asked for when given.
  async function loadLibraryModel(name, files) {
    const ticket = ++loading;
    message('');
    try {
      if (!library.some((r) => r.name === name)) {
        throw new Error(fromDisk && offline ? 'it is not inside this file: serve the explorer\'s folder for every model'
                                            : 'there is no model of that name in the library');
      }
      const { poi, cel, word, nor } = await (files || fetchModel(name));
      if (ticket !== loading) return;
      const dir = '/library';
      clearDir(dir);
      write(dir, `${name}.poi`, poi);
      write(dir, `f${name}.cel`, cel);
      write(dir, word, nor);
      const ok = M.ccall('ox_load', 'number', ['number', 'string', 'string'], [ex, dir, name]);
      clearDir(dir);
      if (!ok) throw new Error(M.UTF8ToString(M._ox_text(ex)).split(dir + '/').join(''));
      shown(name, false);
    } catch (e) {
      if (ticket !== loading) return;
      // Nothing shown yet (a link to a model that is not here): the default instead.
      if (!current && name !== DEFAULT_MODEL) {
        await loadLibraryModel(DEFAULT_MODEL);
        message(`Cannot load ${name}: ${e.message}. Showing ${DEFAULT_MODEL} instead.`);
        return;
      }
      message(`Cannot load ${name}: ${e.message}`);
      ui.model.value = openedShown ? `opened:${current}` : current;
    }
  }

  /// The menu's entry for an opened file, the first, or none.
  function markOpened(name) {
    const old = ui.model.querySelector('optgroup.opened');
    if (old) old.remove();
    if (name === null) return;
    const group = document.createElement('optgroup');
    group.className = 'opened';
    group.label = 'Opened from your files';
    const option = document.createElement('option');
    option.value = `opened:${name}`;
    option.textContent = `${name} (your file)`;
    group.appendChild(option);
    ui.model.prepend(group);
    ui.model.value = option.value;
  }

  function shown(name, fromFile) {
    current = name;
    openedShown = fromFile;
    markOpened(fromFile ? name : null);
    if (!fromFile) ui.model.value = name;
    sectionRange();
    dirty = true;
    if (fitPending) {
      fitPending = false;
      fit();
    }
    // The page's first model is drawn before the rest is filled in (see start).
    if (!starting) besideThePicture();
  }

  /// The info line and the address of the model shown.
  function besideThePicture() {
    showInfo();
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
      // Checked before a byte of them reaches the program's memory.
      const total = files.reduce((n, f) => n + f.size, 0);
      const most = M._ox_max_open_bytes();
      if (total > most) {
        const mb = (n) => `${(n / 1048576).toFixed(n < 1048576 * 10 ? 1 : 0)} MB`;
        throw new Error(`${files.map((f) => f.name).join(', ')}: ${mb(total)}, more than the ` +
                        `${mb(most)} the explorer opens at once`);
      }
      if (files.length === 1 && (isOff(files[0]) || !/\.(poi|cel|nor)$/i.test(files[0].name))) {
        const f = files[0];
        const name = f.name.replace(/\.[^.]*$/, '').replace(/[^A-Za-z0-9._-]/g, '_') || 'opened';
        write(dir, f.name, new Uint8Array(await f.arrayBuffer()));
        const ok = M.ccall('ox_import_off4', 'number', ['number', 'string', 'string'],
                           [ex, `${dir}/${f.name}`, name]);
        if (!ok) throw new Error(M.UTF8ToString(M._ox_text(ex)).split(dir + '/').join('')
                                   .split('/imported/').join(''));
        shown(name, true);
        return;
      }
      const pois = files.filter((f) => /\.poi$/i.test(f.name));
      if (pois.length !== 1) {
        throw new Error('open one model at a time: its NAME.poi, fNAME.cel and normals file ' +
                        'together, or one 4OFF file');
      }
      const name = pois[0].name.replace(/\.poi$/i, '');
      for (const f of files) write(dir, f.name, new Uint8Array(await f.arrayBuffer()));
      const word = normalsWord(new Uint8Array(await pois[0].arrayBuffer()));
      for (const needed of [`f${name}.cel`, word]) {
        if (!files.some((f) => f.name === needed)) {
          throw new Error(`${needed} is missing: open it together with ${name}.poi`);
        }
      }
      const ok = M.ccall('ox_load', 'number', ['number', 'string', 'string'], [ex, dir, name]);
      if (!ok) throw new Error(M.UTF8ToString(M._ox_text(ex)).split(dir + '/').join(''));
      shown(name, true);
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
    M._ox_style(ex, ui.wireframe.checked ? 1 : 0, Number(ui.opacity.value));
    M._ox_extend(ex, Number(ui.extend.value));
    // A diagram keeps its cells in place, whatever the separation.
    ui.extend.disabled = !menus.projection[ui.projection.value].separates;
    // Glass needs faces.
    ui.opacity.disabled = ui.wireframe.checked;
    dirty = true;
  }

  function sectionRange() {
    const lo = M._ox_w_extent(ex, 0), hi = M._ox_w_extent(ex, 1);
    ui.sectionW.value = String(Math.round(1000 * (sectionW - lo) / ((hi - lo) || 1)));
  }

  function sectionFromSlider() { sectionAt(Number(ui.sectionW.value) / 1000); }

  /// The section on, at share u of the way from the least w of a vertex to the greatest.
  function sectionAt(u) {
    const lo = M._ox_w_extent(ex, 0), hi = M._ox_w_extent(ex, 1);
    u = Math.min(1, Math.max(0, u));
    sectionW = lo + (hi - lo) * u;
    ui.sectionW.value = String(Math.round(1000 * u));
    ui.section.checked = true;
    applySettings();
  }

  // The sweep runs through the range as a cosine of its phase, so that it slows at the
  // ends and turns back by itself; it starts where the section is.
  function play(on) {
    sweep = on ? { phase: Math.acos(1 - 2 * Number(ui.sectionW.value) / 1000) / Math.PI, last: 0 } : null;
    $('play').classList.toggle('on', on);
    $('play').textContent = on ? 'stop' : 'play';
    if (on) sectionFromSlider();
  }

  function sweepStep(now) {
    const speed = Number(ui.speed.value) / 100;
    if (sweep.last) sweep.phase += speed * (now - sweep.last) / 1000 / SWEEP_SECONDS;
    sweep.last = now;
    sectionAt((1 - Math.cos(Math.PI * sweep.phase)) / 2);
  }

  function rotation() {
    return M.HEAPF64.subarray(M._ox_rotation(ex) / 8, M._ox_rotation(ex) / 8 + 16);
  }

  const short = (v) => String(Number(v.toPrecision(10)));

  function saveHash() {
    if (!current) return;
    // An opened file cannot travel in a link: the address says so, and no more.
    const p = [openedShown ? `opened=${encodeURIComponent(current)}` : `model=${encodeURIComponent(current)}`];
    if (ui.frames.checked) p.push('frames');
    if (ui.clip.checked) p.push('clip');
    if (ui.allcells.checked) p.push('cells=all');
    if (ui.edges.checked) p.push('edges');
    if (ui.vertices.checked) p.push('vertices');
    if (ui.wireframe.checked) p.push('wireframe');
    if (Number(ui.opacity.value) !== menus.opacity.value) p.push(`opacity=${ui.opacity.value}`);
    if (Number(ui.extend.value) !== menus.extend.value) p.push(`extend=${ui.extend.value}`);
    if (ui.colour.value !== '0') p.push(`colour=${menus.colour[ui.colour.value].word}`);
    if (ui.projection.value !== '0') p.push(`projection=${menus.projection[ui.projection.value].word}`);
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

  const position = (menu, word) => String(Math.max(0, menu.findIndex((m) => m.word === word)));

  /// Applies the address; returns { model, opened }: the library model it names, or the
  /// name of an opened file it cannot bring back.
  function readHash() {
    const p = new URLSearchParams(location.hash.slice(1));
    ui.frames.checked = p.has('frames');
    ui.clip.checked = p.has('clip');
    ui.allcells.checked = p.get('cells') === 'all';
    ui.edges.checked = p.has('edges');
    ui.vertices.checked = p.has('vertices');
    ui.wireframe.checked = p.has('wireframe');
    for (const slider of ['opacity', 'extend']) {
      const v = Number(p.get(slider));
      ui[slider].value = String(p.has(slider) && Number.isFinite(v) ? v : menus[slider].value);
    }
    ui.colour.value = position(menus.colour, p.get('colour'));
    ui.projection.value = position(menus.projection, p.get('projection'));
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
    return { model: p.get('model') || DEFAULT_MODEL, opened: p.has('model') ? null : p.get('opened') };
  }

  // ---- drawing ----

  function resize() {
    if (OrvexGl.fitCanvas(canvas)) dirty = true;
  }

  function frameFloats() {
    // Edges as bands a canvas pixel or more wide at this zoom.
    M._ox_screen(ex, Math.min(canvas.width, canvas.height), zoom);
    const triangles = M._ox_build(ex);
    const lines = M._ox_line_vertices(ex);
    const points = M._ox_point_vertices(ex);
    const bands = M._ox_band_vertices(ex);
    const opacity = M._ox_frame_opacity(ex);
    const start = M._ox_buffer(ex) / 4;
    const end = start + (triangles + lines + points + bands) * gl.scene.floatsPerVertex;
    return { triangles, lines, points, bands, opacity, floats: M.HEAPF32.subarray(start, end) };
  }

  function draw() {
    resize();
    const t0 = performance.now();
    const f = frameFloats();
    stats.walkMs += performance.now() - t0;
    gl.draw(f, zoom, ui.clip.checked);
    stats.triangles = f.triangles / 3;
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
    if (sweep) sweepStep(now);
    if (recorder) {
      dirty = true;  // a still picture still makes frames of the video
      if (recordUntil && now >= recordUntil) record();
    }
    if (dirty && current) draw();
    requestAnimationFrame(tick);
  }

  function fit() {
    const f = frameFloats();
    // Stereographically the cells near the far pole run off towards infinity: the program
    // says what share of the rest to fit.
    const share = ui.allcells.checked ? menus.projection[ui.projection.value].fitShare : 1;
    zoom = gl.fitZoom(f.floats, f.triangles + f.lines + f.points + f.bands, share);
    dirty = true;
    saveHash();
  }

  // ---- taking it away: pictures, models, videos ----

  function download(href, name) {
    const link = document.createElement('a');
    link.download = name;
    link.href = href;
    link.click();
  }

  function downloadBytes(bytes, type, name) {
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    download(url, name);
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  function savePng() {
    draw();
    download(canvas.toDataURL('image/png'), `${current || 'orvex'}.png`);
  }

  /// Saves what the program made into ox_bytes, size bytes of it.
  function saveMade(size, type, extension) {
    const at = M._ox_bytes(ex);
    downloadBytes(M.HEAPU8.slice(at, at + size), type, `${current || 'orvex'}.${extension}`);
    dirty = true;
  }

  function saveStl() { saveMade(M._ox_stl(ex), 'model/stl', 'stl'); }

  function saveSvg() {
    resize();
    const [sx, sy] = gl.scale(zoom);
    saveMade(M._ox_edge_svg(ex, canvas.width, canvas.height, sx, sy), 'image/svg+xml', 'svg');
  }

  /// Starts recording the canvas or, when recording, stops and saves the video. While the
  /// sweep plays, the recording ends by itself after one sweep across and back.
  function record() {
    if (recorder) {
      if (recorder.state !== 'inactive') recorder.stop();
      return;
    }
    if (!canvas.captureStream || !window.MediaRecorder) {
      message('This browser cannot record the picture.');
      return;
    }
    const stream = canvas.captureStream(30);
    const type = ['video/webm;codecs=vp9', 'video/webm;codecs=vp8', 'video/webm']
      .find((t) => MediaRecorder.isTypeSupported(t));
    const chunks = [];
    recorder = new MediaRecorder(stream, type ? { mimeType: type } : {});
    recorder.ondataavailable = (e) => { if (e.data.size > 0) chunks.push(e.data); };
    recorder.onstop = () => {
      stream.getTracks().forEach((t) => t.stop());
      recorder = null;
      recordUntil = 0;
      $('record').classList.remove('on');
      $('record').textContent = 'record';
      const url = URL.createObjectURL(new Blob(chunks, { type: 'video/webm' }));
      download(url, `${current || 'orvex'}.webm`);
      setTimeout(() => URL.revokeObjectURL(url), 60000);
    };
    recorder.start(250);
    const speed = Number(ui.speed.value) / 100;
    recordUntil = sweep && speed > 0 ? performance.now() + 2 * SWEEP_SECONDS * 1000 / speed : 0;
    $('record').classList.add('on');
    $('record').textContent = 'stop recording';
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
    const folded = document.body.classList.toggle('folded');
    $('collapse').textContent = folded ? '+' : '–';
    $('collapse').title = folded ? 'show the controls (T)' : 'hide the controls (T)';
    dirty = true;
  }

  // ---- the gallery ----

  const thumb = (name) => (offline && offline.files[`thumbs/${name}.png`]) || `thumbs/${name}.png`;

  function gallery(show) {
    const grid = $('galleryGrid');
    if (show && !grid.firstChild) {
      OrvexLibrary.fillGallery(grid, library, thumb, (name) => {
        gallery(false);
        loadLibraryModel(name);
      });
    }
    $('gallery').hidden = !show;
    if (show) {
      $('galleryCount').textContent = `${OrvexLibrary.filterGallery(grid, $('search').value)} models`;
      $('search').focus();
    } else {
      document.activeElement.blur();
    }
  }

  function wireControls() {
    wireSettings();
    wireButtons();
    wirePage();
  }

  /// The boxes, menus and sliders.
  function wireSettings() {
    for (const box of [ui.frames, ui.clip, ui.allcells, ui.edges, ui.vertices, ui.section, ui.colour,
                       ui.pause, ui.speed, ui.wireframe]) {
      box.addEventListener('change', () => { applySettings(); saveHash(); });
    }
    for (const slider of [ui.opacity, ui.extend]) {
      slider.addEventListener('input', () => { applySettings(); saveHash(); });
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
    ui.model.addEventListener('change', () => {
      if (!ui.model.value.startsWith('opened:')) loadLibraryModel(ui.model.value);
    });
    $('open').addEventListener('change', (e) => { open(e.target.files); e.target.value = ''; });
  }

  function wireButtons() {
    document.querySelectorAll('[data-face]').forEach((b) =>
      b.addEventListener('click', () => face(Number(b.dataset.face))));
    $('reset').addEventListener('click', reset);
    $('fit').addEventListener('click', fit);
    $('play').addEventListener('click', () => play(!sweep));
    $('record').addEventListener('click', record);
    $('save').addEventListener('click', savePng);
    $('saveStl').addEventListener('click', saveStl);
    $('saveSvg').addEventListener('click', saveSvg);
    $('helpButton').addEventListener('click', () => help(true));
    $('closeHelp').addEventListener('click', () => help(false));
    $('collapse').addEventListener('click', togglePanel);
    $('galleryButton').addEventListener('click', () => gallery(true));
    $('closeGallery').addEventListener('click', () => gallery(false));
    $('search').addEventListener('input', () => {
      $('galleryCount').textContent = `${OrvexLibrary.filterGallery($('galleryGrid'), $('search').value)} models`;
    });
  }

  /// The keys, the window's size and address, focus, and files dropped on the page.
  function wirePage() {
    // A control used hands the keys back to the view: a menu or a button kept focused
    // would take H, S and the arrows for itself.
    $('panel').addEventListener('change', (e) => { if (e.target !== $('open')) e.target.blur(); });
    document.addEventListener('click', (e) => {
      const button = e.target.closest && e.target.closest('button');
      if (button) button.blur();
    });
    window.addEventListener('keydown', onKey);
    window.addEventListener('resize', () => { dirty = true; });
    window.addEventListener('hashchange', () => {
      const { model } = readHash();
      if (model !== current) loadLibraryModel(model);
    });
    document.addEventListener('dragover', (e) => { e.preventDefault(); document.body.classList.add('dropping'); });
    document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
    document.addEventListener('drop', (e) => {
      e.preventDefault();
      document.body.classList.remove('dropping');
      open(e.dataTransfer.files);
    });
  }

  function moveSection(steps) {
    play(false);
    sectionAt(Number(ui.sectionW.value) / 1000 + steps / 20);
  }

  function onKey(e) {
    if (!$('gallery').hidden) {
      if (e.key === 'Escape') gallery(false);
      return;
    }
    if (e.target instanceof HTMLInputElement && e.target.type !== 'checkbox' && e.target.type !== 'range') return;
    if (e.target instanceof HTMLSelectElement || e.ctrlKey || e.metaKey || e.altKey) return;
    const k = e.key;
    const actions = {
      h: () => toggle(ui.frames), c: () => toggle(ui.clip), a: () => toggle(ui.allcells),
      e: () => toggle(ui.edges), v: () => toggle(ui.vertices), k: () => cycle(ui.colour), p: () => cycle(ui.projection),
      o: () => toggle(ui.wireframe),
      s: () => toggle(ui.section), ' ': () => toggle(ui.pause), r: reset, f: fit, g: savePng,
      w: () => play(!sweep), m: record, l: () => gallery(true),
      '?': () => help($('help').hidden), Escape: () => help(false),
      '+': () => { zoom *= 1.1; dirty = true; }, '=': () => { zoom *= 1.1; dirty = true; },
      '-': () => { zoom /= 1.1; dirty = true; },
      '[': () => { ui.speed.value = String(Number(ui.speed.value) - 20); applySettings(); },
      ']': () => { ui.speed.value = String(Number(ui.speed.value) + 20); applySettings(); },
      // Twenty steps across the polytope, or a hundred with shift.
      ArrowLeft: () => moveSection(e.shiftKey ? -0.2 : -1),
      ArrowRight: () => moveSection(e.shiftKey ? 0.2 : 1),
      t: togglePanel,
      1: () => face(0), 2: () => face(1), 3: () => face(2), 4: () => face(3)};
    const action = actions[k.length === 1 ? k.toLowerCase() : k] || actions[k];
    if (!action) return;
    e.preventDefault();
    action();
    saveHash();
  }

  // ---- start ----

  function fillMenu(select, entries) {
    select.textContent = '';
    entries.forEach(({ label }, i) => select.add(new Option(label, String(i))));
  }

  function fillSlider(input, { min, max, step, value }) {
    Object.assign(input, { min, max, step });
    input.value = String(value);
  }

  /// The program, its WebAssembly from the download the page's head started, if it did.
  function startProgram() {
    const early = !offline && takeEarly('orvex.wasm');
    return createOrvex(early ? {
      instantiateWasm(imports, receive) {
        // A server that calls it something other than application/wasm gets a second,
        // plain download.
        WebAssembly.instantiateStreaming(early, imports)
          .catch(() => fetch('orvex.wasm').then((r) => r.arrayBuffer())
            .then((bytes) => WebAssembly.instantiate(bytes, imports)))
          .then((r) => receive(r.instance))
          .catch((e) => message(`The explorer cannot start: ${e.message}`));
        return {};
      } } : {});
  }

  /// The explorer in the program, its view and the controls it fills, from the tables.
  function setUp(table, kinds) {
    ex = M._ox_create();
    // As a rule the page made it already; the shaders compile while the model loads.
    gl = OrvexGl.view(canvas, JSON.parse(M.UTF8ToString(M._ox_scene(ex))));
    menus = JSON.parse(M.UTF8ToString(M._ox_menus(ex)));
    fillMenu(ui.colour, menus.colour);
    fillMenu(ui.projection, menus.projection);
    fillSlider(ui.opacity, menus.opacity);
    fillSlider(ui.extend, menus.extend);
    library = OrvexLibrary.parse(table, kinds)
      .filter((r) => !(offline && fromDisk) || `models/${r.name}.poi` in offline.files);
    wireControls();
    OrvexPointer.attach(canvas, POINTER);
  }

  async function start() {
    // On a small screen the picture comes first; T or the button shows the controls.
    if (window.innerWidth < 640) togglePanel();
    if (fromDisk && !offline) {
      message('Opened from disk, this page cannot load its program and models. Open ' +
              'orvex-explorer.html beside it, which works from disk, or serve this folder ' +
              '(python3 -m http.server in it, or ./orvex-dev.sh web) and open the address.');
      return;
    }
    // The first model's files, the program and the tables: the page's head asked for them.
    const first = new URLSearchParams(location.hash.slice(1)).get('model') || DEFAULT_MODEL;
    const files = fetchModel(first);
    files.catch(() => {});  // reported when it is shown
    const tables = [fetchText('polytopes.tsv'), fetchText('kinds.tsv').catch(() => '')];
    // Sized before its context is made (by the page, as a rule): resized after, its
    // buffers would be made again.
    resize();
    try {
      OrvexGl.context(canvas);
    } catch (e) {
      message(e.message);
      return;
    }
    let table, kinds;
    try {
      [M, table, kinds] = await Promise.all([startProgram(), ...tables]);
    } catch (e) {
      message(`The explorer cannot start: ${e.message}`);
      return;
    }
    setUp(table, kinds);
    const { model, opened } = readHash();
    await loadLibraryModel(model, model === first ? files : null);
    if (opened) {
      message(`${opened} was opened from your files, which a link cannot bring back: open it ` +
              `again. Showing ${current}.`);
    }
    requestAnimationFrame(tick);
    // After the first frame (drawn by tick, called first in this animation frame), what
    // it need not wait for: the model menu, whose many entries take a while to lay out,
    // the info line and the address.
    await new Promise((resolve) => requestAnimationFrame(resolve));
    starting = false;
    OrvexLibrary.fillPicker(ui.model, library);
    if (current) {
      if (!openedShown) ui.model.value = current;
      besideThePicture();
    }
  }

  // For the page's tests and benchmark: the picture as PNG data, the counters.
  window.orvexExplorer = {
    ready: start(),
    stats,
    capture() { draw(); return canvas.toDataURL('image/png'); },
    current: () => current,
    opened: () => opening,
    message: () => $('message').textContent,
    sectionW: () => sectionW,
  };
})();
