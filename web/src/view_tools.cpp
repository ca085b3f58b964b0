#include "web/src/view_tools.h"

#include <cmath>

namespace orvex::web {

using model::Vec4;

namespace {

Vec4 unit(Vec4 v) {
  const double l = std::sqrt(model::dot(v, v));
  return l > 0.0 ? v.scale(1.0 / l) : v;
}

Vec4 add(Vec4 a, const Vec4& b, double s) {
  for (int k = 0; k < 4; ++k) a[k] += s * b[k];
  return a;
}

// Keeps the candidate nearest the axis; a later one must be nearer by more than rounding.
struct Nearest {
  Vec4 axis, best;
  double score = -2.0;
  void offer(const Vec4& v) {
    const Vec4 u = unit(v);
    const double s = model::dot(u, axis);
    if (s > score + 1e-12) {
      score = s;
      best = u;
    }
  }
};

Vec4 meanOf(const model::IndexList& list, const model::Vec4Table& vertices) {
  Vec4 sum;
  for (int i = 0; i < list.count; ++i) sum = add(sum, vertices[list[i]], 1.0);
  return sum;
}

// The rotation taking unit a to unit d in their plane, applied to v.
Vec4 turn(const Vec4& a, const Vec4& d, const Vec4& v) {
  const double c = model::dot(a, d);
  const Vec4 s = add(a, d, 1.0);
  return add(add(v, s, -model::dot(s, v) / (1.0 + c)), d, 2.0 * model::dot(a, v));
}

}  // namespace

Vec4 facingDirection(const model::Model& m, const view4d::Transform4& view, Facing kind) {
  Nearest n;
  n.axis = view.data[3];
  const model::Vec4Table& vertices = *m.vertices;
  if (kind == Facing::kCell) {
    for (int c = 0; c < m.cellVertices->count; ++c) n.offer(meanOf((*m.cellVertices)[c], vertices));
  } else if (kind == Facing::kFace) {
    for (int f = 0; f < m.polygons->count; ++f) n.offer(meanOf((*m.polygons)[f], vertices));
  } else if (kind == Facing::kEdge) {
    for (int f = 0; f < m.polygons->count; ++f) {
      const model::IndexList& p = (*m.polygons)[f];
      for (int i = 0; i < p.count; ++i) {
        n.offer(add(vertices[p[i]], vertices[p[(i + 1) % p.count]], 1.0));
      }
    }
  } else {
    for (int i = 0; i < vertices.count; ++i) n.offer(vertices[i]);
  }
  return n.best;
}

void turnWAxisTo(const Vec4& d, view4d::Transform4* view) {
  const Vec4 a = unit(view->data[3]);
  if (model::dot(a, d) < -0.999999) {
    // Opposite: go through a direction at right angles to both on the way.
    Vec4 b;
    for (int k = 0; k < 4 && model::dot(b, b) < 0.5; ++k) {
      Vec4 e;
      e[k] = 1.0;
      b = unit(add(e, a, -model::dot(e, a)));
    }
    turnWAxisTo(b, view);
  }
  const Vec4 from = unit(view->data[3]);
  for (int r = 0; r < 4; ++r) view->data[r] = turn(from, d, view->data[r]);
}

}  // namespace orvex::web
