// Vertices grouped into nested boxes and cones, so that a bound on the dot products of a
// direction with a whole group of vertices rules out the group at once. A cell's
// incidence looks only at the vertices near its greatest product, so most groups are
// ruled out: the search costs far less than the vertex count per cell.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "model/lists.h"

namespace orvex::model {

class VertexTree {
 public:
  /// Groups vertices. When a coordinate is not finite they keep their order and no bound
  /// is finite: a search then looks at every vertex, in order.
  explicit VertexTree(const Vec4List& vertices);

  /// The most vertices in a group that is not split.
  static constexpr int kMaxLeaf = 32;

  /// A group: vertices [begin, end) in the tree's order and a box around them (floats
  /// rounded outwards, to keep the nodes small). Each group also has a cone around it
  /// (see Cone), which bounds far better than the box for vertices on a sphere. A split group's first half follows it;
  /// second is the other half's node, or -1 when the group is not split. Its groups
  /// that are not split are leaves [firstLeaf, firstLeaf + leafCount).
  struct Node {
    float lo[4], hi[4];
    int second, begin, end, firstLeaf, leafCount;
  };

  /// Visits the groups for direction n. skip(bound) is asked before each group, when the
  /// caller's state may have changed since its bound was found; bound is at least the dot
  /// product of n with any of the group's vertices as computed in doubles (x·x + y·y +
  /// z·z + w·w, left to right), or infinite or NaN when none can be given. A group not
  /// skipped is split, or, when it is not split, given to leaf(begin, end). The groups
  /// nearest n in direction tend to come first.
  template <typename Skip, typename Leaf>
  void visit(const Vec4& n, Skip skip, Leaf leaf) const;

  // The vertices coordinate by coordinate in the tree's order, and each one's number.
  std::vector<double> x, y, z, w;
  std::vector<int> number;
  std::vector<Node> nodes;

 private:
  // A group's vertices, scaled by 2^-exponent_, lie within angle theta of the unit axis
  // and within radius of the origin. A box around a patch of a sphere sticks out of it
  // by its own width in most directions, so boxes alone let the search look at more and
  // more groups as the vertices grow denser; a cone's bound follows the sphere.
  struct Cone {
    double axis[4], cosTheta, sinTheta, radius;
  };
  Cone coneOf(int begin, int end) const;

  int build(int begin, int end, bool finite);

  // A direction made ready for bounding groups: the slack that covers rounding and, when
  // the cones can be used, the direction scaled for them.
  struct Probe {
    Vec4 n;
    double slack;
    bool cones;
    double m[4], norm, factor;
  };
  Probe probe(const Vec4& n) const;

  static double most(double p, double q) { return p > q ? p : q; }
  static double coneBound(const Probe& p, const Cone& c, double* key);
  // The lesser of a box's bound and the cone's (when cones are used), plus the slack; and
  // in *key the order to try groups in (see coneBound).
  static double tighter(const Probe& p, double box, const std::vector<Cone>& cones, int at,
                        double* key);
  double nodeBound(const Probe& p, int at, double* key) const;
  template <typename Skip, typename Leaf>
  void visitFlat(const Probe& p, const Node& node, Skip& skip, Leaf& leaf) const;

  // Groups with at most this many leaves have their leaves' bounds found in one plain
  // loop, which costs less than splitting them one at a time.
  static constexpr int kFlatLeaves = 4;
  // The leaves' boxes side by side, in the order of the tree, and their vertices.
  std::vector<float> leafLo_[4], leafHi_[4];
  std::vector<int> leafBegin_, leafEnd_;
  // The cones of the nodes and of the leaves, in the same orders; empty when a
  // coordinate is not finite.
  std::vector<Cone> cones_, leafCones_;

  double largest_ = 0.0;  // the largest absolute coordinate
  int exponent_ = 0;      // scales the vertices to below 1 in the cones
};

// For a vertex at angle alpha from the axis, n·v is at most |v| |n| cos(alpha - phi),
// phi n's angle from the axis: the most over alpha up to theta is |n| when phi is within
// theta, else at alpha = theta. Rounding is a few ulps of |n| |v|, far inside the slack.
// Near n many cones hold it and so share the bound |n| |v|; of those, the one whose axis
// lies nearest n most likely holds the greatest product, and finding that first lets the
// search pass over the rest. So *key, the order groups are tried in, is n's product with
// the axis (scaled as the bound).
inline double VertexTree::coneBound(const Probe& p, const Cone& c, double* key) {
  const double* m = p.m;
  const double along = m[0] * c.axis[0] + m[1] * c.axis[1] + m[2] * c.axis[2] + m[3] * c.axis[3];
  double across = 0.0;
  for (int k = 0; k < 4; ++k) {
    const double off = m[k] - along * c.axis[k];
    across += off * off;
  }
  across = std::sqrt(across);
  const double best = across * c.cosTheta <= along * c.sinTheta
                          ? p.norm
                          : along * c.cosTheta + across * c.sinTheta;
  *key = p.factor * (c.radius * along);
  return p.factor * (c.radius * (best > 0.0 ? best : 0.0));
}

// A NaN box bound stays, so the group is never skipped.
inline double VertexTree::tighter(const Probe& p, double box, const std::vector<Cone>& cones,
                                  int at, double* key) {
  if (!p.cones) return *key = box + p.slack;
  const double c = coneBound(p, cones[at], key);
  return (c < box ? c : box) + p.slack;
}

inline double VertexTree::nodeBound(const Probe& p, int at, double* key) const {
  const Node& b = nodes[at];
  const Vec4& n = p.n;
  const double box = most(n.x * b.lo[0], n.x * b.hi[0]) + most(n.y * b.lo[1], n.y * b.hi[1]) +
                     most(n.z * b.lo[2], n.z * b.hi[2]) + most(n.w * b.lo[3], n.w * b.hi[3]);
  return tighter(p, box, cones_, at, key);
}

// A small group's leaves all at once: their bounds, then the first in the order of keys.
template <typename Skip, typename Leaf>
void VertexTree::visitFlat(const Probe& p, const Node& node, Skip& skip, Leaf& leaf) const {
  double b[kFlatLeaves] = {}, key[kFlatLeaves] = {};
  const Vec4& n = p.n;
  const int first = node.firstLeaf, count = node.leafCount;
  const float *lx = leafLo_[0].data() + first, *ly = leafLo_[1].data() + first,
              *lz = leafLo_[2].data() + first, *lw = leafLo_[3].data() + first,
              *hx = leafHi_[0].data() + first, *hy = leafHi_[1].data() + first,
              *hz = leafHi_[2].data() + first, *hw = leafHi_[3].data() + first;
  for (int j = 0; j < count; ++j) {
    const double box = most(n.x * lx[j], n.x * hx[j]) + most(n.y * ly[j], n.y * hy[j]) +
                       most(n.z * lz[j], n.z * hz[j]) + most(n.w * lw[j], n.w * hw[j]);
    b[j] = tighter(p, box, leafCones_, first + j, &key[j]);
  }
  int best = 0;
  for (int j = 1; j < count; ++j) best = key[j] > key[best] ? j : best;
  if (!skip(b[best])) leaf(leafBegin_[first + best], leafEnd_[first + best]);
  for (int j = 0; j < count; ++j) {
    if (j != best && !skip(b[j])) leaf(leafBegin_[first + j], leafEnd_[first + j]);
  }
}

template <typename Skip, typename Leaf>
void VertexTree::visit(const Vec4& n, Skip skip, Leaf leaf) const {
  if (nodes.empty()) return;
  const Probe p = probe(n);
  // Halving at the median keeps the depth under 32, and the stack holds at most one
  // group per level plus one.
  std::pair<int, double> stack[64];
  int size = 0;
  double key = 0.0;
  stack[size++] = {0, nodeBound(p, 0, &key)};
  while (size > 0) {
    const auto [at, atBound] = stack[--size];
    if (skip(atBound)) continue;
    const Node& node = nodes[at];
    if (node.leafCount <= kFlatLeaves) {
      visitFlat(p, node, skip, leaf);
      continue;
    }
    double lKey = 0.0, rKey = 0.0;
    const double l = nodeBound(p, at + 1, &lKey), r = nodeBound(p, node.second, &rKey);
    // The greater key goes on top; NaN keys compare false and go first, as their bounds
    // are NaN too and never skipped anyway.
    if (lKey < rKey) {
      stack[size++] = {at + 1, l};
      stack[size++] = {node.second, r};
    } else {
      stack[size++] = {node.second, r};
      stack[size++] = {at + 1, l};
    }
  }
}

}  // namespace orvex::model
