// The generator's working form of a polytope, before it is written as model files or
// after they are read back.
#pragma once

#include <string>
#include <vector>

#include "model/vec.h"

namespace orvex::polytope {

using model::Vec4;

/// Vertices, polygons (0-based vertex numbers in boundary order) and cells (unit outward
/// normals, with the ascending numbers of their vertices).
struct Polytope {
  std::vector<Vec4> vertices;
  std::vector<std::vector<int>> polygons;
  std::vector<Vec4> normals;
  std::vector<std::vector<int>> cellVertices;
  /// Where each vertex came from (a hull's input row), when the construction says.
  std::vector<int> origin;

  int cells() const { return static_cast<int>(normals.size()); }
};

/// Model name in dataDir as the viewer loads it (vertex 0 scaled to length 1, cells'
/// vertices by the viewer's incidence rule, unit normals), in this form. On failure
/// false with the loader's message.
bool loadPolytope(const std::string& dataDir, const std::string& name, Polytope* out,
                  std::string* error);

}  // namespace orvex::polytope
