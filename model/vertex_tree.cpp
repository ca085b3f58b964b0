#include "model/vertex_tree.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace orvex::model {
namespace {

// Vertices per group that is not split: small enough that a group near the top is mostly
// wanted, large enough that the bounds cost less than the products they save.
constexpr int kLeafSize = VertexTree::kMaxLeaf;

// The nearest float at most v, and at least v (a double beyond the floats' range does not
// convert).
float floatBelow(double v) {
  if (v > FLT_MAX) return FLT_MAX;
  if (v < -FLT_MAX) return -INFINITY;
  float f = static_cast<float>(v);
  return static_cast<double>(f) > v ? std::nextafter(f, -INFINITY) : f;
}
float floatAbove(double v) {
  if (v > FLT_MAX) return INFINITY;
  if (v < -FLT_MAX) return -FLT_MAX;
  float f = static_cast<float>(v);
  return static_cast<double>(f) < v ? std::nextafter(f, INFINITY) : f;
}

}  // namespace

VertexTree::VertexTree(const Vec4List& vertices) {
  const int count = vertices.count;
  if (count == 0) return;
  bool finite = true;
  x.resize(count);
  y.resize(count);
  z.resize(count);
  w.resize(count);
  number.resize(count);
  for (int i = 0; i < count; ++i) {
    const Vec4& v = vertices[i];
    finite = finite && std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) &&
             std::isfinite(v.w);
    largest_ = std::max({largest_, std::fabs(v.x), std::fabs(v.y), std::fabs(v.z), std::fabs(v.w)});
    number[i] = i;
    x[i] = v.x;
    y[i] = v.y;
    z[i] = v.z;
    w[i] = v.w;
  }
  if (largest_ > 0.0 && finite) std::frexp(largest_, &exponent_);
  nodes.reserve(4 * (count / kLeafSize + 1));
  build(0, count, finite);
  if (!finite) {
    cones_.clear();
    leafCones_.clear();
  }
  // The columns in the tree's order, so a group's vertices are contiguous.
  std::vector<double> column(count);
  for (std::vector<double>* c : {&x, &y, &z, &w}) {
    for (int i = 0; i < count; ++i) column[i] = (*c)[number[i]];
    c->swap(column);
  }
}

VertexTree::Cone VertexTree::coneOf(int begin, int end) const {
  // The axis is the mean direction; the angle and radius are then measured, and widened
  // far beyond their rounding so the cone holds every vertex.
  auto at = [this](int i) {
    const int v = number[i];
    return Vec4(std::ldexp(x[v], -exponent_), std::ldexp(y[v], -exponent_),
                std::ldexp(z[v], -exponent_), std::ldexp(w[v], -exponent_));
  };
  Vec4 sum;
  for (int i = begin; i < end; ++i) {
    const Vec4 p = at(i);
    const double l = length(p);
    if (l > 0.0) sum = sum + (1.0 / l) * p;
  }
  Cone cone{{1.0, 0.0, 0.0, 0.0}, -1.0, 0.0, 0.0};
  const double l = length(sum);
  if (l > 0.0) {
    for (int k = 0; k < 4; ++k) cone.axis[k] = sum[k] / l;
  }
  const Vec4 axis(cone.axis[0], cone.axis[1], cone.axis[2], cone.axis[3]);
  double cosTheta = 1.0, radius = 0.0;
  for (int i = begin; i < end; ++i) {
    const Vec4 p = at(i);
    const double r = length(p);
    if (!(r > 0.0)) continue;
    cosTheta = std::min(cosTheta, dot(p, axis) / r);
    radius = std::max(radius, r);
  }
  cone.cosTheta = std::max(-1.0, cosTheta - 1e-9);
  // sin from cos loses accuracy near 0; the added square keeps it above the true sine.
  cone.sinTheta = std::sqrt(std::max(0.0, 1.0 - cone.cosTheta * cone.cosTheta) + 1e-15);
  cone.radius = radius * (1.0 + 1e-12);
  return cone;
}

int VertexTree::build(int begin, int end, bool finite) {
  Node node;
  node.begin = begin;
  node.end = end;
  node.second = -1;
  const std::vector<double>* columns[4] = {&x, &y, &z, &w};
  double lo[4], hi[4];
  for (int k = 0; k < 4; ++k) {
    const std::vector<double>& c = *columns[k];
    lo[k] = hi[k] = c[number[begin]];
    for (int i = begin + 1; i < end; ++i) {
      lo[k] = std::min(lo[k], c[number[i]]);
      hi[k] = std::max(hi[k], c[number[i]]);
    }
    // With a coordinate that is not finite no bound holds: infinite sides give bounds
    // that are infinite or NaN, which no search skips, and the vertices keep their order.
    node.lo[k] = finite ? floatBelow(lo[k]) : -INFINITY;
    node.hi[k] = finite ? floatAbove(hi[k]) : INFINITY;
  }
  const int at = static_cast<int>(nodes.size());
  node.firstLeaf = static_cast<int>(leafBegin_.size());
  node.leafCount = 1;
  nodes.push_back(node);
  if (finite) cones_.push_back(coneOf(begin, end));
  if (end - begin <= kLeafSize) {
    if (finite) leafCones_.push_back(cones_.back());
    for (int k = 0; k < 4; ++k) {
      leafLo_[k].push_back(node.lo[k]);
      leafHi_[k].push_back(node.hi[k]);
    }
    leafBegin_.push_back(begin);
    leafEnd_.push_back(end);
    return at;
  }
  // Halve along the widest side, at the median; the first half's node comes next.
  int axis = 0;
  for (int k = 1; k < 4; ++k) {
    if (hi[k] - lo[k] > hi[axis] - lo[axis]) axis = k;
  }
  const std::vector<double>& c = *columns[axis];
  const int middle = begin + (end - begin) / 2;
  if (finite) {
    std::nth_element(number.begin() + begin, number.begin() + middle, number.begin() + end,
                     [&c](int a, int b) { return c[a] < c[b]; });
  }
  build(begin, middle, finite);
  const int second = build(middle, end, finite);
  nodes[at].second = second;
  nodes[at].leafCount = static_cast<int>(leafBegin_.size()) - nodes[at].firstLeaf;
  return at;
}

VertexTree::Probe VertexTree::probe(const Vec4& n) const {
  Probe p;
  p.n = n;
  // Rounding moves each product with the box's corner the same way, so the corner's
  // products bound the vertices'. Summing four terms in any order is off by at most
  // about 7e-16 of the sum of their sizes, and a product that underflows by less than
  // 1e-320: the slack covers both a thousand times over.
  const double size = std::fabs(n.x) + std::fabs(n.y) + std::fabs(n.z) + std::fabs(n.w);
  p.slack = 1e-12 * (size * largest_) + 1e-300;
  // The cone bound works on n scaled to below 1 and the vertices scaled by 2^-exponent_,
  // both exactly, so no square in it overflows or underflows; factor undoes the scales.
  p.cones = !cones_.empty();
  p.m[0] = n.x, p.m[1] = n.y, p.m[2] = n.z, p.m[3] = n.w;
  p.norm = 0.0;
  p.factor = 0.0;
  if (p.cones) {
    const double big = std::max(std::max(std::fabs(n.x), std::fabs(n.y)),
                                std::max(std::fabs(n.z), std::fabs(n.w)));
    int scale = 0;
    if (big > 0.0 && std::isfinite(big)) std::frexp(big, &scale);
    p.cones = big > 0.0 && std::isfinite(big) && std::abs(scale + exponent_) < 1000;
    if (p.cones) {
      for (double& c : p.m) c = std::ldexp(c, -scale);
      p.norm = std::sqrt(p.m[0] * p.m[0] + p.m[1] * p.m[1] + p.m[2] * p.m[2] + p.m[3] * p.m[3]);
      p.factor = std::ldexp(1.0, scale + exponent_);
    }
  }
  return p;
}

}  // namespace orvex::model
