// The convex hull of a 4D point set, computed with qhull.
#pragma once

#include <string>
#include <vector>

#include "tools/gen/polytope.h"

namespace orvex::gen {

/// Reads a points file: a count then count rows "x y z w", or a 4OFF file (its
/// vertices). On failure "<path>: <problem>" or "Cannot open <path>".
bool readPointsFile(const std::string& path, std::vector<Vec4>* points, std::string* error);

/// Points within this fraction of the greatest point length of a cell's hyperplane
/// count as on the cell.
constexpr double kHullTolerance = 5e-6;

/// The hull of points: cells from qhull's merged facets, polygons where cells meet.
/// Duplicate points and points that are not corners of the hull are dropped. Fails
/// with a message for fewer than five points, a coordinate that is not finite, or
/// points that all lie in one hyperplane.
bool convexHull(const std::vector<Vec4>& points, Polytope* out, std::string* error);

}  // namespace orvex::gen
