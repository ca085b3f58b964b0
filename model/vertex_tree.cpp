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
  nodes.reserve(4 * (count / kLeafSize + 1));
  build(0, count, finite);
  // The columns in the tree's order, so a group's vertices are contiguous.
  std::vector<double> column(count);
  for (std::vector<double>* c : {&x, &y, &z, &w}) {
    for (int i = 0; i < count; ++i) column[i] = (*c)[number[i]];
    c->swap(column);
  }
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
  if (end - begin <= kLeafSize) {
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

}  // namespace orvex::model
