// The duoprisms and the antiprismatic prisms, built from their known faces rather than
// as hulls, with the sizes the viewer can show told apart from those it cannot.
#pragma once

#include <string>

#include "tools/orvex-gen/polytope.h"

namespace orvex::gen {

/// The smallest distance, over all cells, from a cell's hyperplane to the nearest vertex
/// off the cell, for the model scaled to circumradius 1 as the viewer loads it.
double duoprismMargin(int p, int q);
double antiprismPrismMargin(int n);

/// The p-gon × q-gon duoprism (3 <= p, q), edges of length 1: vertex i·q + j is corner i
/// of the p-gon with corner j of the q-gon. Fails, naming the largest size that works,
/// when duoprismMargin is below the margin the model check demands.
bool duoprism(int p, int q, Polytope* out, std::string* error);

/// The n-gonal antiprism × segment (n >= 3), edges of length 1. Fails like duoprism,
/// naming the largest n, when its margin is too small.
bool antiprismPrism(int n, Polytope* out, std::string* error);

}  // namespace orvex::gen
