// The polar dual of a convex polytope, made from its incidences rather than through a
// hull, so that it is exact.
#pragma once

#include <string>

#include "polytope/polytope.h"

namespace orvex::polytope {

/// The polar dual of p about the centroid of its vertices. Vertex j of the dual is the
/// pole of cell j (its unit normal over its distance from the centroid); cell i of the
/// dual is the hyperplane polar to vertex i, its vertices the poles of the cells around
/// vertex i; each edge of p, in the order the polygons first meet it, becomes a polygon
/// whose corners are the poles of the cells around that edge, in their order around it.
/// So V and C swap, E and F swap. Fails with one line naming the part when a cell does
/// not face away from the centroid, a polygon does not lie in exactly two cells, or the
/// cells around an edge do not close into one ring.
bool dualPolytope(const Polytope& p, Polytope* out, std::string* error);

}  // namespace orvex::polytope
