// The face structure of a convex polytope known by its points and the directions of
// its cells: which points are vertices, which vertices bound each cell, and the
// polygons where two cells meet.
#pragma once

#include <string>
#include <vector>

#include "polytope/polytope.h"

namespace orvex::polytope {

/// Builds *out from candidate points and candidate cell directions (need not be unit,
/// may repeat). Each direction's support set (the points within tolerance × the
/// greatest point length of the greatest dot product) becomes a cell when it spans
/// three dimensions; its normal is refitted to those points and the set taken again, so
/// a direction that is slightly off (a piece of a cell from rounded input) still finds
/// the whole cell. Repeats of a cell are dropped. Points that are not corners of the cells (inside
/// a cell, a polygon or an edge, or off every cell) are dropped, and the vertices keep the order of
/// points. Fails with a message when fewer than five cells result.
bool buildFaces(const std::vector<Vec4>& points, const std::vector<Vec4>& directions,
                double tolerance, Polytope* out, std::string* error);

/// Orders the vertices of one flat convex polygon around its boundary, starting at
/// the first. Each entry of polygon numbers a point in points.
void orderPolygon(const std::vector<Vec4>& points, std::vector<int>* polygon);

/// Translates the vertices so their centroid is the origin and scales them so the
/// farthest has length 1. Normals are unchanged by both.
void normalize(Polytope* polytope);

}  // namespace orvex::polytope
