// The projections offered besides the viewer's orthographic one, and the view of each
// kind. They are extensions: the viewer always drops w.
#pragma once

#include <memory>

#include "view4d/transform4.h"

namespace orvex::view4d {

enum class Projection { kOrtho, kPerspective, kAngle, kStereographic };

/// Normalises M·p onto the unit 3-sphere and projects it stereographically from the
/// pole w = -1 onto the hyperplane w = 0: (x, y, z) / (1 + w). The half facing the
/// viewer (w > 0) lands inside the unit ball; the origin and the far pole map to
/// (0, 0, 0) instead of dividing by zero.
class StereographicProjector : public view4d::Transform4 {
 public:
  view4d::Vec3 project(const view4d::Vec4& p) const override;
};

/// A view transform of the given kind, the identity.
std::unique_ptr<view4d::Transform4> makeView(Projection projection);

/// Sets *view to the transpose of rotation, as the viewer does after every increment.
/// A perspective view also moves its eye to distance along the new viewing axis
/// (row 3), so the centre of projection turns with the view.
void assignView(const view4d::Transform4& rotation, double distance, view4d::Transform4* view);

}  // namespace orvex::view4d
