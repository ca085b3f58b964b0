// The generator's working form of a polytope, before it is written as model files.
#pragma once

#include <vector>

#include "model/vec.h"

namespace orvex::gen {

using model::Vec4;

/// Vertices, polygons (0-based vertex numbers in boundary order) and cells (unit outward
/// normals, with the ascending numbers of their vertices).
struct Polytope {
  std::vector<Vec4> vertices;
  std::vector<std::vector<int>> polygons;
  std::vector<Vec4> normals;
  std::vector<std::vector<int>> cellVertices;

  int cells() const { return static_cast<int>(normals.size()); }
};

}  // namespace orvex::gen
