// The convex hull of a 4D point set, computed with qhull.
#pragma once

#include <string>
#include <vector>

#include "polytope/point_file.h"
#include "polytope/polytope.h"

namespace orvex::polytope {

/// The hull of points: one cell per facet of qhull's hull, facets that are coplanar to
/// rounding merged into one cell; near-coplanar facets stay separate cells (the writer
/// gives them normals long enough for the viewer to tell them apart). One polygon where
/// two cells meet, made from qhull's ridges between them joined into one boundary cycle.
/// The vertices are the points that are corners, unchanged, in the order given, and
/// out->origin holds each one's number among points (from 0); duplicates and points
/// inside an edge, a polygon, a cell or the hull are dropped. Fails with one line for
/// fewer than five distinct points, a coordinate that is not finite, or points that do
/// not span four dimensions.
bool convexHull(const std::vector<Vec4>& points, Polytope* out, std::string* error);

}  // namespace orvex::polytope
