// The convex hull of a 4D point set, computed with qhull.
#pragma once

#include <string>
#include <vector>

#include "tools/orvex-gen/polytope.h"

namespace orvex::gen {

/// Reads a points file: a count then count rows "x y z w", or a 4OFF file (its
/// vertices). On failure "<path>: <problem>" or "Cannot open <path>".
bool readPointsFile(const std::string& path, std::vector<Vec4>* points, std::string* error);

/// Points within this distance of a cell's hyperplane, for the model scaled as the
/// viewer loads it, count as on the cell; facets closer than that to coplanar are merged.
constexpr double kHullTolerance = 5e-6;

/// The hull of points: one cell per facet of qhull's hull (facets merged where they are
/// coplanar within kHullTolerance), one polygon where two cells meet, made from qhull's
/// ridges between them joined into one boundary cycle. The vertices are the points that
/// are corners, in the order given, unchanged; duplicates and points inside an edge, a
/// polygon, a cell or the hull are dropped. Fails with one line for fewer than five
/// distinct points, a coordinate that is not finite, points all in one hyperplane, a cell
/// that is not flat, or a point so close to a cell it is not on that the viewer's
/// incidence rule could not tell them apart (closer than kRequiredMargin once scaled as the
/// viewer loads it): "point 17 lies only 3e-05 from the cell through points 1, 4, 9, 12;
/// ...", distances in the points' own units, points numbered from 0 in the order given.
bool convexHull(const std::vector<Vec4>& points, Polytope* out, std::string* error);

}  // namespace orvex::gen
