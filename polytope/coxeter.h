// The rank-4 finite Coxeter groups the generator knows, as four unit mirror normals
// (simple roots) in diagram order.
#pragma once

#include <string>

#include "model/vec.h"

namespace orvex::polytope {

using model::Vec4;

/// A group's diagram: m[i][j] is the order of the product of reflections i and j
/// (1 on the diagonal, 2 for nodes that are not joined).
struct CoxeterGroup {
  std::string name;
  int m[4][4];
  Vec4 roots[4];  // unit normals of the mirrors, at angle pi - pi/m[i][j] to each other
  // The same roots to long double precision: an orbit of many reflections built from
  // them drifts far less than one built from roots rounded to double.
  long double fineRoots[4][4];
};

/// The group named A4, B4, D4, F4, H4, A3A1, B3A1 or H3A1 (case-insensitive). B4 is
/// 4-3-3, F4 3-4-3, H4 5-3-3, D4 has node 1 at the centre, and a prism group's A1 node
/// is node 3. False for any other name.
bool coxeterGroup(const std::string& name, CoxeterGroup* group);

/// The mirror image of p in the mirror with unit normal root.
inline Vec4 reflect(const Vec4& p, const Vec4& root) {
  double s = 2.0 * model::dot(p, root);
  return Vec4(p.x - s * root.x, p.y - s * root.y, p.z - s * root.z, p.w - s * root.w);
}

/// True when nodes i and j are joined in the diagram.
inline bool joined(const CoxeterGroup& g, int i, int j) { return i != j && g.m[i][j] > 2; }

}  // namespace orvex::polytope
