#include "view4d/view_state.h"

namespace orvex::view4d {

void onMouse(ViewState& s, int button, int state, int x, int y) {
  s.mouseState = state;
  s.mouseButton = button;
  if (state != kButtonDown) return;
  (button == kLeftButton ? s.leftAngles : s.otherAngles).clear();
  s.lastX = x;
  s.lastY = y;
}

void onMotion(ViewState& s, int x, int y, const DisplayFn& display) {
  if (s.mouseState != kButtonDown) return;
  // Opposite orders on purpose: the near side follows the pointer in both directions.
  const int dx = s.lastX - x;
  const int dy = y - s.lastY;
  PlaneAngles* increment;
  if (s.mouseButton == kLeftButton) {
    increment = &s.leftAngles;
    increment->clear();
    (*increment)[1] = static_cast<double>(dx) * kRadiansPerPixel;
    (*increment)[2] = static_cast<double>(dy) * kRadiansPerPixel;
  } else {
    increment = &s.otherAngles;
    increment->clear();
    (*increment)[3] = static_cast<double>(dx) * kRadiansPerPixel;
    (*increment)[4] = static_cast<double>(dy) * kRadiansPerPixel;
  }
  s.rotationTransform.rotate(*increment);
  s.viewTransform.assignTranspose(s.rotationTransform);
  display();
  s.lastX = x;
  s.lastY = y;
}

bool idleIsInert(const ViewState& s) {
  return (s.leftAngles.isZero() && s.otherAngles.isZero()) || s.mouseState != kButtonUp;
}

bool onIdle(ViewState& s, const DisplayFn& display) {
  if (idleIsInert(s)) return false;
  s.rotationTransform.rotate(s.leftAngles);
  s.rotationTransform.rotate(s.otherAngles);
  s.viewTransform.assignTranspose(s.rotationTransform);
  display();
  return true;
}

}  // namespace orvex::view4d
