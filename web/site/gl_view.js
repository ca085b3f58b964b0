// The batched WebGL 1 drawing of one frame: the whole triangle list (and the edge lines
// after it) uploaded once and drawn with one call each. The shader does what the native
// scene asks of OpenGL 1.1: one directional light with ambient, diffuse and specular
// terms, linear grey fog by eye distance, and the clip plane as a discard.
'use strict';

const OrvexGl = (() => {
  const FLOATS_PER_VERTEX = 9;
  const EYE_Z = 3.5;              // the camera on +z, looking at the origin
  const FOV_Y = 40 * Math.PI / 180;
  const NEAR = 1.0, FAR = 10.0;
  const FOG = [0.6, 0.6, 0.6];
  const LINE_LEAD = 0.006;          // the depth range's share between faces and their edges

  const vertexSource = `
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
      vec3 eye = vec3(aPos.xy, aPos.z - ${EYE_Z.toFixed(1)});
      float a = (${FAR.toFixed(1)} + ${NEAR.toFixed(1)}) / (${NEAR.toFixed(1)} - ${FAR.toFixed(1)});
      float b = 2.0 * ${FAR.toFixed(1)} * ${NEAR.toFixed(1)} / (${NEAR.toFixed(1)} - ${FAR.toFixed(1)});
      gl_Position = vec4(eye.xy * uScale, a * eye.z + b, -eye.z);
      vDepth = uLit > 0.5 ? -eye.z : 0.0;
      vWorld = aPos;
      gl_PointSize = uPointSize;
      if (uLit > 0.5) {
        // Light from (-4, 4, 4), fixed to the eye; viewer at infinity for the highlight.
        vec3 l = normalize(vec3(-4.0, 4.0, 4.0));
        vec3 h = normalize(l + vec3(0.0, 0.0, 1.0));
        float nl = dot(aNormal, l);
        // Scene ambient 0.2 plus the light's 0.05, both times the material colour.
        vec3 c = 0.25 * aColour + max(nl, 0.0) * aColour;
        if (nl > 0.0) c += vec3(0.36 * pow(max(dot(aNormal, h), 0.0), 30.0));
        vColour = clamp(c, 0.0, 1.0);
      } else {
        vColour = aColour;
      }
    }`;

  const fragmentSource = `
    precision highp float;
    uniform float uClip;
    varying vec3 vColour;
    varying float vDepth;
    varying vec3 vWorld;
    void main() {
      if (uClip > 0.5 && dot(vec3(1.0, -1.0, -1.0), vWorld) < 0.0) discard;
      float f = clamp((4.5 - vDepth) / (4.5 - 2.0), 0.0, 1.0);
      gl_FragColor = vec4(mix(vec3(${FOG.join(', ')}), vColour, f), 1.0);
    }`;

  function compile(gl, type, source) {
    const shader = gl.createShader(type);
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    if (!gl.getShaderParameter(shader, gl.COMPILE_STATUS)) {
      throw new Error('shader: ' + gl.getShaderInfoLog(shader));
    }
    return shader;
  }

  class View {
    constructor(canvas) {
      const gl = canvas.getContext('webgl', { antialias: false, alpha: false, depth: true });
      if (!gl) throw new Error('this browser offers no WebGL');
      this.gl = gl;
      this.canvas = canvas;
      const program = gl.createProgram();
      gl.attachShader(program, compile(gl, gl.VERTEX_SHADER, vertexSource));
      gl.attachShader(program, compile(gl, gl.FRAGMENT_SHADER, fragmentSource));
      gl.linkProgram(program);
      if (!gl.getProgramParameter(program, gl.LINK_STATUS)) {
        throw new Error('shader: ' + gl.getProgramInfoLog(program));
      }
      gl.useProgram(program);
      this.uniforms = {};
      for (const name of ['uScale', 'uLit', 'uClip', 'uPointSize']) {
        this.uniforms[name] = gl.getUniformLocation(program, name);
      }
      this.buffer = gl.createBuffer();
      gl.bindBuffer(gl.ARRAY_BUFFER, this.buffer);
      const stride = FLOATS_PER_VERTEX * 4;
      ['aPos', 'aNormal', 'aColour'].forEach((name, i) => {
        const at = gl.getAttribLocation(program, name);
        gl.enableVertexAttribArray(at);
        gl.vertexAttribPointer(at, 3, gl.FLOAT, false, stride, 12 * i);
      });
      gl.enable(gl.DEPTH_TEST);
      gl.depthFunc(gl.LESS);
      gl.clearColor(FOG[0], FOG[1], FOG[2], 1);
    }

    /// The x and y scale of the projection: a 40° field across the window's shorter side.
    scale(zoom) {
      const f = 1 / Math.tan(FOV_Y / 2);
      const aspect = this.canvas.width / this.canvas.height;
      return aspect >= 1 ? [zoom * f / aspect, zoom * f] : [zoom * f, zoom * f * aspect];
    }

    /// Draws a frame: f.floats holds f.triangles vertices of triangles, then f.lines of
    /// lines, then f.points of points.
    draw(f, zoom, clip) {
      const gl = this.gl;
      gl.viewport(0, 0, this.canvas.width, this.canvas.height);
      gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
      gl.bufferData(gl.ARRAY_BUFFER, f.floats, gl.DYNAMIC_DRAW);
      gl.uniform2fv(this.uniforms.uScale, this.scale(zoom));
      gl.uniform1f(this.uniforms.uClip, clip ? 1 : 0);
      // Lines and dots lie on their polygons: push the polygons back a little so they show.
      // The offset alone leaves a line dashed where faces of neighbouring cells cross it at
      // a small angle, so the polygons also take the far share of the depth range and the
      // lines and dots the near one, as orvex-render draws its edges.
      const lead = f.lines + f.points > 0 ? LINE_LEAD : 0;
      if (lead > 0) {
        gl.enable(gl.POLYGON_OFFSET_FILL);
        gl.polygonOffset(1, 1);
      } else {
        gl.disable(gl.POLYGON_OFFSET_FILL);
      }
      gl.uniform1f(this.uniforms.uLit, 1);
      gl.depthRange(lead, 1);
      if (f.triangles > 0) gl.drawArrays(gl.TRIANGLES, 0, f.triangles);
      gl.depthRange(0, 1 - lead);
      gl.uniform1f(this.uniforms.uLit, 0);
      if (f.lines > 0) gl.drawArrays(gl.LINES, f.triangles, f.lines);
      gl.uniform1f(this.uniforms.uPointSize, 3 * Math.max(1, Math.min(this.canvas.width, this.canvas.height) / 300));
      if (f.points > 0) gl.drawArrays(gl.POINTS, f.triangles + f.lines, f.points);
    }

    /// The zoom that fits the given share of the vertices in floats (the nearest to the
    /// centre on the screen) to the window with a small margin.
    fitZoom(floats, count, share) {
      const [sx, sy] = this.scale(1);
      const reach = [];
      for (let i = 0; i < count; ++i) {
        const o = i * FLOATS_PER_VERTEX;
        const depth = EYE_Z - floats[o + 2];
        if (!(depth > NEAR)) continue;
        reach.push(Math.max(Math.abs(sx * floats[o] / depth), Math.abs(sy * floats[o + 1] / depth)));
      }
      if (reach.length === 0) return 1;
      reach.sort((a, b) => a - b);
      const most = reach[Math.min(reach.length - 1, Math.floor(share * reach.length))];
      return most > 0 ? 0.92 / most : 1;
    }
  }
  return { View, FLOATS_PER_VERTEX };
})();
