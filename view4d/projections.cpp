#include "view4d/projections.h"

#include <cmath>

namespace orvex::view4d {

view4d::Vec3 StereographicProjector::project(const view4d::Vec4& p) const {
  const view4d::Vec4 q(apply(0, p), apply(1, p), apply(2, p), apply(3, p));
  const double r = std::sqrt(model::dot(q, q));
  if (r == 0.0) return {};
  const double denominator = r + q.w;  // r·(1 + w/r)
  if (!(denominator > 0.0)) return {};
  const double s = 1.0 / denominator;
  return {s * q.x, s * q.y, s * q.z};
}

std::unique_ptr<view4d::Transform4> makeView(Projection projection) {
  switch (projection) {
    case Projection::kPerspective:
      return std::make_unique<view4d::PerspectiveProjector>();
    case Projection::kAngle:
      return std::make_unique<view4d::AngleProjector>();
    case Projection::kStereographic:
      return std::make_unique<StereographicProjector>();
    case Projection::kOrtho:
      break;
  }
  return std::make_unique<view4d::OrthoProjector>();
}

void assignView(const view4d::Transform4& rotation, double distance, view4d::Transform4* view) {
  view->assignTranspose(rotation);
  if (auto* perspective = dynamic_cast<view4d::PerspectiveProjector*>(view)) {
    const view4d::Vec4& axis = view->data[3];
    perspective->eye4 =
        view4d::Vec4(distance * axis.x, distance * axis.y, distance * axis.z, distance * axis.w);
  }
}

}  // namespace orvex::view4d
