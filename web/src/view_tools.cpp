#include "web/src/view_tools.h"

#include <cmath>

namespace orvex::web {

using model::Vec4;

namespace {

Vec4 unit(Vec4 v) {
  const double l = std::sqrt(model::dot(v, v));
  return l > 0.0 ? v.scale(1.0 / l) : v;
}

// By the members, not Vec4's operator[]: clang at -O2 miscompiles its (&x)[k] indexing.
Vec4 add(const Vec4& a, const Vec4& b, double s) {
  return {a.x + s * b.x, a.y + s * b.y, a.z + s * b.z, a.w + s * b.w};
}

// The rotation taking unit a to unit d in their plane, applied to v.
Vec4 turn(const Vec4& a, const Vec4& d, const Vec4& v) {
  const double c = model::dot(a, d);
  const Vec4 s = add(a, d, 1.0);
  return add(add(v, s, -model::dot(s, v) / (1.0 + c)), d, 2.0 * model::dot(a, v));
}

}  // namespace

void turnWAxisTo(const Vec4& d, view4d::Transform4* view) {
  const Vec4 a = unit(view->data[3]);
  if (model::dot(a, d) < -0.999999) {
    // Opposite: go through a direction at right angles to both on the way.
    Vec4 b;
    for (int k = 0; k < 4 && model::dot(b, b) < 0.5; ++k) {
      const Vec4 e(k == 0, k == 1, k == 2, k == 3);
      b = unit(add(e, a, -model::dot(e, a)));
    }
    turnWAxisTo(b, view);
  }
  const Vec4 from = unit(view->data[3]);
  for (int r = 0; r < 4; ++r) view->data[r] = turn(from, d, view->data[r]);
}

}  // namespace orvex::web
