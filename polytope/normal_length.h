// How long each cell's normal is written. The viewer's incidence tolerance is absolute
// against the normals as written, so a longer normal makes the test stricter relative to
// the geometry: a cell whose nearest other vertex is close to its hyperplane still gets a
// clean vertex set when its normal is long enough.
#pragma once

#include <string>
#include <vector>

#include "polytope/polytope.h"

namespace orvex::polytope {

/// The most a written normal may lengthen the viewer's rounding: its dot products are
/// exact to about this much per unit of normal length for vertices of length up to 1.
constexpr double kDotRounding = 2e-15;

/// For each cell of p, whose vertices are given as the viewer will load them (vertex 0 of
/// length 1), the length to write its normal with: 1 when the cell's own vertices lie
/// within a quarter of the viewer's tolerance of its hyperplane and every other vertex at
/// least `margin` below it, else the length that makes it so (with a quarter to spare).
/// The nearest other vertex is found among the neighbours of the cell's vertices along
/// polygon edges, which holds for a convex polytope; the model check confirms it over all
/// vertices. False with "cell 12: vertex 40 lies only 3e-15 below its hyperplane, ..."
/// when no length can separate them at double precision, or when a vertex lies above
/// the cell's own.
bool normalLengths(const Polytope& p, double margin, std::vector<double>* lengths,
                   std::string* error);

}  // namespace orvex::polytope
