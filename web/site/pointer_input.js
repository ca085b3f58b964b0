// Mouse, pen and touch on the canvas, as the viewer's button and drag events: the left
// button or one finger is the left button; the right or middle button, a shift-drag or two
// fingers the other. Two fingers also pinch to zoom, and so does the wheel.
'use strict';

const OrvexPointer = (() => {
  const LEFT = 0, OTHER = 2, DOWN = 0, UP = 1;

  /// Feeds canvas's pointer events to to.mouse(button, state, x, y) and to.motion(x, y) in
  /// CSS pixels; to.stop() ends a spin, to.zoomBy(f) zooms, to.settled() follows a gesture.
  function attach(canvas, to) {
    const pointers = new Map();
    let held = -1;  // the button held down, or -1
    let pinch = 0;  // the fingers' last spread

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
      held = button;
      to.mouse(button, DOWN, x, y);
    }

    // A release spins on with the last movement, as the viewer's does, unless the gesture
    // only changes from one finger to two or back.
    function release(x, y, spin) {
      if (held < 0) return;
      to.mouse(held, UP, x, y);
      if (!spin) to.stop();
      held = -1;
      to.settled();
    }

    canvas.addEventListener('pointerdown', (e) => {
      canvas.setPointerCapture(e.pointerId);
      pointers.set(e.pointerId, { x: e.offsetX, y: e.offsetY });
      if (e.pointerType === 'touch') {
        const [x, y] = centre();
        release(x, y, false);
        press(pointers.size >= 2 ? OTHER : LEFT, x, y);
        if (pointers.size === 2) pinch = spread();
        return;
      }
      if (held >= 0) return;
      press(e.button === 0 && !e.shiftKey ? LEFT : OTHER, Math.round(e.offsetX), Math.round(e.offsetY));
    });

    canvas.addEventListener('pointermove', (e) => {
      if (!pointers.has(e.pointerId)) return;
      pointers.set(e.pointerId, { x: e.offsetX, y: e.offsetY });
      if (pointers.size === 2 && pinch > 0) {
        const now = spread();
        if (now > 0) to.zoomBy(now / pinch);
        pinch = now;
      }
      to.motion(...centre());
    });

    function end(e) {
      if (!pointers.has(e.pointerId)) return;
      const [x, y] = centre();
      pointers.delete(e.pointerId);
      if (e.pointerType === 'touch' && pointers.size > 0) {
        release(x, y, false);
        press(LEFT, ...centre());
        pinch = 0;
        return;
      }
      release(x, y, true);
    }
    canvas.addEventListener('pointerup', end);
    canvas.addEventListener('pointercancel', end);
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
    canvas.addEventListener('wheel', (e) => {
      e.preventDefault();
      to.zoomBy(Math.exp(-e.deltaY * (e.deltaMode === 1 ? 0.05 : 0.0015)));
      to.settled();
    }, { passive: false });
  }

  return { attach };
})();
