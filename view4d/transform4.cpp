#include "view4d/transform4.h"

#include <cmath>

namespace orvex::view4d {
namespace {

// (first axis j, second axis i) of each slot.
constexpr int kPlaneAxes[6][2] = {{0, 1}, {0, 2}, {1, 2}, {0, 3}, {1, 3}, {2, 3}};

}  // namespace

bool PlaneAngles::isZero() const {
  for (double v : a) {
    if (v != 0.0) return false;
  }
  return true;
}

void PlaneAngles::clear() {
  for (double& v : a) v = 0.0;
}

void rotate(Vec4& v, const PlaneAngles& angles) {
  Vec4 c = v;
  for (int s = 0; s < 6; ++s) {
    if (angles[s] == 0.0) continue;  // no trigonometry for a plane that does not turn
    const int j = kPlaneAxes[s][0], i = kPlaneAxes[s][1];
    const double cs = std::cos(angles[s]), sn = std::sin(angles[s]);
    v[i] = cs * c[i] + sn * c[j];
    v[j] = cs * c[j] - sn * c[i];
    c = v;
  }
}

Transform4::Transform4() {
  resize(4);
  for (int k = 0; k < 4; ++k) data[k][k] = 1.0;
}

void Transform4::rotate(const PlaneAngles& angles) {
  for (int k = 0; k < 4; ++k) view4d::rotate(data[k], angles);
}

void Transform4::assignTranspose(const Transform4& source) {
  // Copy only, no arithmetic: the view must equal the rotation's transpose exactly.
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) data[i][j] = source.data[j][i];
  }
}

Vec3 PerspectiveProjector::project(const Vec4& p) const {
  const double dE = model::dot(data[3], eye4);
  const double dP = model::dot(data[3], p);
  const double t = dE / (dE - dP);
  const Vec4 q(eye4.x + t * (p.x - eye4.x), eye4.y + t * (p.y - eye4.y),
               eye4.z + t * (p.z - eye4.z), eye4.w + t * (p.w - eye4.w));
  return OrthoProjector::project(q);
}

Vec3 AngleProjector::project(const Vec4& p) const {
  constexpr double kThreshold = 1e-5;
  constexpr double kFallback = 1.5707963267948966;
  const double a = model::dot(data[0], p), b = model::dot(data[1], p);
  const double c = model::dot(data[2], p), d = model::dot(data[3], p);
  const double cd = c * c + d * d;
  return {std::fabs(b) >= kThreshold ? std::atan(a / b) : kFallback,
          std::fabs(d) >= kThreshold ? std::atan(c / d) : kFallback,
          cd >= kThreshold ? std::atan(std::sqrt((a * a + b * b) / cd)) : kFallback};
}

}  // namespace orvex::view4d
