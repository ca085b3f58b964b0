// The batched WebGL 1 drawing of one frame: the whole triangle list (and the edge lines,
// dots and bands after it) uploaded once and drawn with one call each. The shader does
// what the native scene asks of OpenGL 1.1, with the scene's own values as the program
// gives them (ox_scene): one directional light with ambient, diffuse and specular terms,
// linear fog by eye distance, and the clip plane as a discard. Glass faces blend in the
// order the program sent them; edges are drawn in front of the faces they lie on.
'use strict';

const OrvexGl = (() => {
  const glsl = (x) => {
    const t = String(Number(x));
    return /[.e]/.test(t) ? t : `${t}.0`;
  };
  const vec3 = (v) => `vec3(${v.slice(0, 3).map(glsl).join(', ')})`;

  function vertexSource(s) {
    const [near, far] = [s.near, s.far].map(glsl);
    const ambient = s.lightAmbient.slice(0, 3).map((a) => a + s.globalAmbient);
    const specular = s.lightSpecular.slice(0, 3).map((a, i) => a * s.materialSpecular[i]);
    return `
    attribute vec3 aPos;
    attribute vec3 aNormal;
    attribute vec3 aColour;
    uniform vec2 uScale;    // focal length over aspect, and focal length, times the zoom
    uniform float uLit;     // 0 for lines and points: unlit and unfogged
    uniform float uPointSize;
    varying vec3 vColour;
    varying float vDepth;
    varying vec3 vWorld;
    void main() {
      vec3 eye = aPos - ${vec3(s.eye)};
      float a = (${far} + ${near}) / (${near} - ${far});
      float b = 2.0 * ${far} * ${near} / (${near} - ${far});
      gl_Position = vec4(eye.xy * uScale, a * eye.z + b, -eye.z);
      vDepth = uLit > 0.5 ? -eye.z : 0.0;
      vWorld = aPos;
      gl_PointSize = uPointSize;
      if (uLit > 0.5) {
        // A directional light fixed to the eye; viewer at infinity for the highlight.
        vec3 l = normalize(${vec3(s.lightPosition)});
        vec3 h = normalize(l + vec3(0.0, 0.0, 1.0));
        float nl = dot(aNormal, l);
        // The scene's ambient and the light's, then the diffuse term, times the material.
        vec3 c = ${vec3(ambient)} * aColour + max(nl, 0.0) * ${vec3(s.lightDiffuse)} * aColour;
        if (nl > 0.0) c += ${vec3(specular)} * pow(max(dot(aNormal, h), 0.0), ${glsl(s.shininess)});
        vColour = clamp(c, 0.0, 1.0);
      } else {
        vColour = aColour;
      }
    }`;
  }

  function fragmentSource(s) {
    const [start, end] = [s.fogStart, s.fogEnd].map(glsl);
    return `
    precision highp float;
    uniform float uClip;
    uniform float uAlpha;
    varying vec3 vColour;
    varying float vDepth;
    varying vec3 vWorld;
    void main() {
      if (uClip > 0.5 && dot(${vec3(s.clipPlane)}, vWorld) + ${glsl(s.clipPlane[3])} < 0.0) discard;
      float f = clamp((${end} - vDepth) / (${end} - ${start}), 0.0, 1.0);
      gl_FragColor = vec4(mix(${vec3(s.fogColour)}, vColour, f), uAlpha);
    }`;
  }

  function shader(gl, type, source) {
    const made = gl.createShader(type);
    gl.shaderSource(made, source);
    gl.compileShader(made);
    return made;
  }

  /// Sets the canvas's drawing buffer to its size on the screen in device pixels; true
  /// when that changed it.
  function fitCanvas(canvas) {
    const dpr = window.devicePixelRatio || 1;
    const w = Math.max(1, Math.round(canvas.clientWidth * dpr));
    const h = Math.max(1, Math.round(canvas.clientHeight * dpr));
    if (canvas.width === w && canvas.height === h) return false;
    canvas.width = w;
    canvas.height = h;
    return true;
  }

  /// The canvas's WebGL context, or an error naming what is missing.
  function context(canvas) {
    const gl = canvas.getContext('webgl', { antialias: false, alpha: false, depth: true });
    if (!gl) throw new Error('this browser offers no WebGL');
    return gl;
  }

  const ATTRIBUTES = ['aPos', 'aNormal', 'aColour'];

  class View {
    /// scene: the program's scene (ox_scene). The shaders compile in the GPU process from
    /// here on, while the page does other work: nothing here waits for them.
    constructor(canvas, scene) {
      const gl = context(canvas);
      this.gl = gl;
      this.canvas = canvas;
      this.scene = scene;
      const program = gl.createProgram();
      this.shaders = [shader(gl, gl.VERTEX_SHADER, vertexSource(scene)),
                      shader(gl, gl.FRAGMENT_SHADER, fragmentSource(scene))];
      this.shaders.forEach((s) => gl.attachShader(program, s));
      // Placed before the link, not asked for after it, which would wait for it.
      ATTRIBUTES.forEach((name, i) => gl.bindAttribLocation(program, i, name));
      gl.linkProgram(program);
      this.program = program;
      this.uniforms = null;  // asked for at the first frame
      this.buffer = gl.createBuffer();
      gl.bindBuffer(gl.ARRAY_BUFFER, this.buffer);
      const stride = scene.floatsPerVertex * 4;
      ATTRIBUTES.forEach((name, i) => {
        gl.enableVertexAttribArray(i);
        gl.vertexAttribPointer(i, 3, gl.FLOAT, false, stride, 12 * i);
      });
      gl.enable(gl.DEPTH_TEST);
      gl.depthFunc(gl.LESS);
      const c = scene.clearColour;
      gl.clearColor(c[0], c[1], c[2], 1);
      gl.flush();  // the GPU process starts on the shaders now
    }

    /// The linked program in use and its uniforms, at the first frame; throws the
    /// compiler's words if the shaders failed.
    use() {
      if (this.uniforms) return;
      const gl = this.gl;
      if (!gl.getProgramParameter(this.program, gl.LINK_STATUS)) {
        const log = this.shaders.map((s) => gl.getShaderInfoLog(s)).join(' ').trim();
        throw new Error('shader: ' + (log || gl.getProgramInfoLog(this.program)));
      }
      gl.useProgram(this.program);
      this.uniforms = {};
      for (const name of ['uScale', 'uLit', 'uClip', 'uPointSize', 'uAlpha']) {
        this.uniforms[name] = gl.getUniformLocation(this.program, name);
      }
    }

    /// The x and y scale of the projection: the scene's field across the window's shorter
    /// side.
    scale(zoom) {
      const f = 1 / Math.tan(this.scene.fieldOfView * Math.PI / 360);
      const aspect = this.canvas.width / this.canvas.height;
      return aspect >= 1 ? [zoom * f / aspect, zoom * f] : [zoom * f, zoom * f * aspect];
    }

    /// Draws a frame: f.floats holds f.triangles vertices of triangles, then f.lines of
    /// lines, f.points of points and f.bands of the edges' bands (triangles); the
    /// triangles blend at f.opacity, below 1 in the order given and hiding nothing.
    draw(f, zoom, clip) {
      this.use();
      const gl = this.gl;
      gl.viewport(0, 0, this.canvas.width, this.canvas.height);
      gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
      gl.bufferData(gl.ARRAY_BUFFER, f.floats, gl.DYNAMIC_DRAW);
      gl.uniform2fv(this.uniforms.uScale, this.scale(zoom));
      gl.uniform1f(this.uniforms.uClip, clip ? 1 : 0);
      // As orvex-render: lines, dots and bands lie on their polygons, so the polygons are
      // pushed back a little and drawn behind the share of the depth range the outlines
      // are drawn in front of.
      const lead = this.scene.lineLead;
      const outlines = f.lines + f.points + f.bands > 0;
      if (outlines) {
        gl.enable(gl.POLYGON_OFFSET_FILL);
        gl.polygonOffset(1, 1);
        gl.depthRange(f.triangles > 0 ? lead : 0, 1);
      } else {
        gl.disable(gl.POLYGON_OFFSET_FILL);
        gl.depthRange(0, 1);
      }
      gl.uniform1f(this.uniforms.uLit, 1);
      const glass = f.opacity < 1;
      gl.uniform1f(this.uniforms.uAlpha, glass ? f.opacity : 1);
      if (glass) {
        gl.enable(gl.BLEND);
        gl.blendFunc(gl.SRC_ALPHA, gl.ONE_MINUS_SRC_ALPHA);
        // Sorted, the faces need not hide each other, nor the edges behind them.
        gl.depthMask(false);
      }
      if (f.triangles > 0) gl.drawArrays(gl.TRIANGLES, 0, f.triangles);
      gl.depthMask(true);
      gl.disable(gl.BLEND);
      gl.uniform1f(this.uniforms.uAlpha, 1);
      if (!outlines) return;
      gl.depthRange(0, f.triangles > 0 ? 1 - lead : 1);
      gl.uniform1f(this.uniforms.uLit, 0);
      if (f.lines > 0) gl.drawArrays(gl.LINES, f.triangles, f.lines);
      if (f.bands > 0) gl.drawArrays(gl.TRIANGLES, f.triangles + f.lines + f.points, f.bands);
      gl.uniform1f(this.uniforms.uPointSize, 3 * Math.max(1, Math.min(this.canvas.width, this.canvas.height) / 300));
      if (f.points > 0) gl.drawArrays(gl.POINTS, f.triangles + f.lines, f.points);
      gl.depthRange(0, 1);
    }

    /// The zoom that fits the given share of the vertices in floats (the nearest to the
    /// centre on the screen) to the window with a small margin.
    fitZoom(floats, count, share) {
      const [sx, sy] = this.scale(1);
      const { eye, near, floatsPerVertex } = this.scene;
      const reach = [];
      for (let i = 0; i < count; ++i) {
        const o = i * floatsPerVertex;
        const depth = eye[2] - floats[o + 2];
        if (!(depth > near)) continue;
        reach.push(Math.max(Math.abs(sx * floats[o] / depth), Math.abs(sy * floats[o + 1] / depth)));
      }
      if (reach.length === 0) return 1;
      reach.sort((a, b) => a - b);
      const most = reach[Math.min(reach.length - 1, Math.floor(share * reach.length))];
      return most > 0 ? 0.92 / most : 1;
    }
  }
  let prepared = null;

  /// Makes the view of canvas and scene ahead of need, while the page waits for other
  /// things; see view.
  function prepare(canvas, scene) {
    prepared = new View(canvas, scene);
  }

  /// A view of canvas and scene: the one prepared, if it was made for them.
  function view(canvas, scene) {
    const early = prepared;
    prepared = null;
    if (early && early.canvas === canvas && JSON.stringify(early.scene) === JSON.stringify(scene)) {
      return early;
    }
    return new View(canvas, scene);
  }

  return { View, context, fitCanvas, prepare, view };
})();
