// The duoprisms and the antiprismatic prisms, built from their known faces rather than
// as hulls. Fine ones have cells close to flat against their neighbours; the writer gives
// those normals long enough for the viewer to tell them apart.
#pragma once

#include <string>

#include "polytope/polytope.h"

namespace orvex::polytope {

/// The p-gon × q-gon duoprism (3 <= p, q), edges of length 1: vertex i·q + j is corner i
/// of the p-gon with corner j of the q-gon. Every size succeeds; error is unused.
bool duoprism(int p, int q, Polytope* out, std::string* error);

/// The n-gonal antiprism × segment (n >= 3), edges of length 1. Every size succeeds.
bool antiprismPrism(int n, Polytope* out, std::string* error);

}  // namespace orvex::polytope
