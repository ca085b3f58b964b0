// Whether a polytope is uniform in the metric sense the library promises: every edge of
// one length and every vertex at one distance from the centre.
#pragma once

#include <string>
#include <vector>

#include "polytope/polytope.h"

namespace orvex::polytope {

/// The relative spread allowed in edge lengths and in circumradii. Coordinates written
/// with 15 significant digits stay well inside it.
constexpr double kUniformTolerance = 1e-12;

/// The spreads found: (longest - shortest) / longest, for edges and for radii.
struct UniformSpread {
  double edges = 0.0, radii = 0.0;
};

/// Checks that every vertex lies at one distance from the centroid of the vertices and
/// every polygon edge has one length, each to within tolerance relative. Fills *spread
/// either way. On failure one line naming the worst vertex or edge (0-based numbers, the
/// one farthest from the median) and the spread, e.g. "vertex 7 lies 1.01 from the centre
/// against 1 for the median: radii spread 9.9e-03 (limit 1e-12)". Radii are judged first.
bool checkUniform(const std::vector<Vec4>& vertices, const std::vector<std::vector<int>>& polygons,
                  double tolerance, UniformSpread* spread, std::string* error);

}  // namespace orvex::polytope
