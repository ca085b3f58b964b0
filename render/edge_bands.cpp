#include "render/edge_bands.h"

#include <cmath>

#include "render/scene.h"

namespace orvex::render {

using model::Vec3;

void EdgeBandSink::begin(Primitive primitive) {
  lines_ = primitive == Primitive::kLines;
  ends_.clear();
  target_->begin(lines_ ? Primitive::kQuads : primitive);
}

void EdgeBandSink::vertex(const Vec3& v) {
  if (!lines_) {
    target_->vertex(v);
    return;
  }
  ends_.push_back(v);
  if (ends_.size() < 2) return;
  const Vec3 a = ends_[0], b = ends_[1];
  ends_.clear();
  // Across both the segment and the line of sight to its middle: on the screen, at right
  // angles to the segment.
  const Vec3 side = model::cross(b - a, eye_ - 0.5 * (a + b));
  const double length = model::length(side);
  if (!(length > 0.0) || !std::isfinite(length)) return;
  const Vec3 unit = (1.0 / length) * side;
  // A pixel grows with depth: each end gets the half width of its own depth.
  const Vec3 atA = (halfWidth_ * std::abs(eye_.z - a.z)) * unit;
  const Vec3 atB = (halfWidth_ * std::abs(eye_.z - b.z)) * unit;
  target_->vertex(a - atA);
  target_->vertex(b - atB);
  target_->vertex(b + atB);
  target_->vertex(a + atA);
}

void EdgeBandSink::end() {
  ends_.clear();
  target_->end();
}

double pixelSizeAtUnitDepth(int pixelsAcross, double fitScale) {
  // The frame spans 2·tan(fov/2) at unit depth before the fit enlarges it.
  const double span = 2.0 * std::tan(kFieldOfView * M_PI / 360.0);
  return span / (static_cast<double>(pixelsAcross) * fitScale);
}

}  // namespace orvex::render
