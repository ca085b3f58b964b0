// Mouse, pen and touch on the canvas, as the viewer's button and drag events: the left
// button or one finger is the left button; the right or middle button, a shift-drag or two
// fingers the other. Two fingers also pinch to zoom, and so does the wheel.
'use strict';

const OrvexPointer = (() => {
  const LEFT = 0, OTHER = 2, DOWN = 0, UP = 1;

  /// The pointers on the canvas and the button they hold, as the viewer's events to `to`.
  class Gesture {
    constructor(to) {
      this.to = to;
      this.pointers = new Map();
      this.held = -1;  // the button held down, or -1
      this.pinch = 0;  // the fingers' last spread
    }

    centre() {
      let x = 0, y = 0;
      for (const p of this.pointers.values()) { x += p.x; y += p.y; }
      return [Math.round(x / this.pointers.size), Math.round(y / this.pointers.size)];
    }

    spread() {
      const [a, b] = [...this.pointers.values()];
      return Math.hypot(a.x - b.x, a.y - b.y);
    }

    press(button, x, y) {
      this.held = button;
      this.to.mouse(button, DOWN, x, y);
    }

    // A release spins on with the last movement, as the viewer's does, unless the gesture
    // only changes from one finger to two or back.
    release(x, y, spin) {
      if (this.held < 0) return;
      this.to.mouse(this.held, UP, x, y);
      if (!spin) this.to.stop();
      this.held = -1;
      this.to.settled();
    }

    down(e) {
      this.pointers.set(e.pointerId, { x: e.offsetX, y: e.offsetY });
      if (e.pointerType === 'touch') {
        const [x, y] = this.centre();
        this.release(x, y, false);
        this.press(this.pointers.size >= 2 ? OTHER : LEFT, x, y);
        if (this.pointers.size === 2) this.pinch = this.spread();
        return;
      }
      if (this.held >= 0) return;
      this.press(e.button === 0 && !e.shiftKey ? LEFT : OTHER, Math.round(e.offsetX), Math.round(e.offsetY));
    }

    move(e) {
      if (!this.pointers.has(e.pointerId)) return;
      this.pointers.set(e.pointerId, { x: e.offsetX, y: e.offsetY });
      if (this.pointers.size === 2 && this.pinch > 0) {
        const now = this.spread();
        if (now > 0) this.to.zoomBy(now / this.pinch);
        this.pinch = now;
      }
      this.to.motion(...this.centre());
    }

    end(e) {
      if (!this.pointers.has(e.pointerId)) return;
      const [x, y] = this.centre();
      this.pointers.delete(e.pointerId);
      if (e.pointerType === 'touch' && this.pointers.size > 0) {
        this.release(x, y, false);
        this.press(LEFT, ...this.centre());
        this.pinch = 0;
        return;
      }
      this.release(x, y, true);
    }
  }

  /// Feeds canvas's pointer events to to.mouse(button, state, x, y) and to.motion(x, y) in
  /// CSS pixels; to.stop() ends a spin, to.zoomBy(f) zooms, to.settled() follows a gesture.
  function attach(canvas, to) {
    const gesture = new Gesture(to);
    canvas.addEventListener('pointerdown', (e) => {
      canvas.setPointerCapture(e.pointerId);
      gesture.down(e);
    });
    canvas.addEventListener('pointermove', (e) => gesture.move(e));
    canvas.addEventListener('pointerup', (e) => gesture.end(e));
    canvas.addEventListener('pointercancel', (e) => gesture.end(e));
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
    canvas.addEventListener('wheel', (e) => {
      e.preventDefault();
      to.zoomBy(Math.exp(-e.deltaY * (e.deltaMode === 1 ? 0.05 : 0.0015)));
      to.settled();
    }, { passive: false });
  }

  return { attach };
})();
