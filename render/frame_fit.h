// Fitting the picture to the frame: where the drawn polytope lands on the screen, and the
// scale and centre that make it fill the frame with a small margin.
#pragma once

#include "model/model.h"
#include "render/cell_walk.h"
#include "view4d/transform4.h"

namespace orvex::render {

/// A rectangle in normalised screen coordinates (-1 .. 1 spans the frame).
struct ScreenBounds {
  double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
  bool empty = true;
  void add(double x, double y);
};

/// Adds where every vertex of every cell the walk draws lands on the screen, each at its
/// cell's pushed-out place, seen by the scene's camera at eye. Points at or behind the
/// near plane and points that are not finite are left out (the camera cannot show them).
void addDrawnPoints(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
                    const DrawSettings& settings, ScreenBounds* bounds);

/// The screen-space zoom applied after the camera: x' = scale (x - centreX).
struct FrameFit {
  double scale = 1.0;
  double centreX = 0.0, centreY = 0.0;
};

/// The fit that puts bounds in the middle of the frame, its longer side filling all but
/// margin (a fraction of the frame) at each end. Empty or degenerate bounds keep scale 1.
FrameFit fitBounds(const ScreenBounds& bounds, double margin);

}  // namespace orvex::render
