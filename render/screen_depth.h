// Where a polygon lands in the window and at what depth, as OpenGL draws it: what the
// hidden-polygon skip needs to prove that a polygon it leaves out would not have shown in
// a single pixel, not even where two polygons tie in depth.
#pragma once

#include <vector>

#include "model/vec.h"

namespace orvex::render {

/// The current OpenGL transform from scene coordinates to the window: projection times
/// modelview (column-major, as glGet returns them) and the viewport.
struct ScreenTransform {
  double matrix[16] = {};
  double viewport[4] = {};  // x, y, width, height in pixels

  /// Window x, y in pixels and depth in 0..1 of scene point p; false when p lies on or
  /// behind the eye's plane (clip w not positive).
  bool toWindow(const model::Vec3& p, model::Vec3* window) const;
};

/// The depth over the window of a polygon's plane: z = a·x + b·y + c.
struct DepthPlane {
  double a = 0.0, b = 0.0, c = 0.0;
  double at(double x, double y) const { return a * x + b * y + c; }
};

/// The normal (Newell's, so any planar polygon however wound) of a polygon given by its
/// window vertices; its z is negative when the polygon, wound counter-clockwise as seen
/// from the eye, faces the eye.
model::Vec3 windowNormal(const std::vector<model::Vec3>& polygon);

/// The polygon's depth plane from its window normal; false when it is seen edge-on (the
/// normal's z is zero), so that no depth belongs to a window point.
bool depthPlaneOf(const std::vector<model::Vec3>& polygon, const model::Vec3& normal,
                  DepthPlane* plane);

/// Whether the polygon `back` (window vertices of a convex polygon facing away from the
/// eye, with its depth plane) lies deeper than every plane in `fronts` at every pixel
/// centre it could cover, by more than OpenGL's rounding of the depths there.
/// For a back polygon of a closed convex cell, with `fronts` the planes of the cell's
/// polygons that face the eye, the nearest of them is the cell's front surface: the back
/// polygon then never wins a pixel, whatever the order of drawing, so leaving it out
/// changes no pixel. False too when some depth is not a number.
bool deeperThanFrontAtEveryPixel(const std::vector<model::Vec3>& back, const DepthPlane& backPlane,
                                 const std::vector<DepthPlane>& fronts,
                                 const ScreenTransform& screen);

}  // namespace orvex::render
