// Mouse rotation with spin: the state machine behind the button, drag and idle handlers.
#pragma once

#include <functional>

#include "view4d/transform4.h"

namespace orvex::view4d {

constexpr int kLeftButton = 0;  // GLUT_LEFT_BUTTON
constexpr int kButtonDown = 0;  // GLUT_DOWN
constexpr int kButtonUp = 1;    // GLUT_UP
constexpr double kRadiansPerPixel = 0.005;

/// The view's state, shared by the handlers and the display. The transforms are the
/// process-wide ones; viewTransform is the transpose of rotationTransform between events.
struct ViewState {
  ViewState(OrthoProjector& rotation, OrthoProjector& view)
      : rotationTransform(rotation), viewTransform(view) {}

  OrthoProjector& rotationTransform;
  OrthoProjector& viewTransform;
  int mouseButton = 2;  // GLUT_RIGHT_BUTTON
  int mouseState = kButtonUp;
  int lastX = 0;
  int lastY = 0;
  PlaneAngles leftAngles;   // slots xz, yz only
  PlaneAngles otherAngles;  // slots xw, yw only
};

using DisplayFn = std::function<void()>;

/// A button event. A press zeroes that button's angle set and records the pointer;
/// a release changes only the recorded button and state. Draws nothing.
void onMouse(ViewState& s, int button, int state, int x, int y);

/// A drag event: while a button is down, turns by the movement since the last handled
/// event (dx = lastX - x, dy = y - lastY, 0.005 rad per pixel) and calls display, which
/// may draw at once or only ask for a frame.
void onMotion(ViewState& s, int x, int y, const DisplayFn& display);

/// An idle call: while spinning (no button down, some angle nonzero) turns by
/// leftAngles then otherAngles and calls display. Returns whether it turned.
bool onIdle(ViewState& s, const DisplayFn& display);

/// True when only a button event can make onIdle turn again (at rest or held down).
bool idleIsInert(const ViewState& s);

}  // namespace orvex::view4d
