// The Wythoff construction: the uniform polytope whose vertices are the mirror images
// of one point that lies on the unringed mirrors and at distance 1 from the ringed ones.
#pragma once

#include <string>

#include "polytope/coxeter.h"
#include "polytope/polytope.h"

namespace orvex::polytope {

/// Reads four ring bits ("1010", node 0 first) into rings. False with a message naming
/// the pattern when it is not four 0/1 digits.
bool parseRings(const std::string& text, bool rings[4], std::string* error);

/// The polytope of group with the ringed nodes, edges of length 2, centred on the
/// origin. Its cells are the mirror images of the cells around the Wythoff point: one
/// kind for each node whose removal leaves every part of the diagram with a ring.
/// Fails with a message when some part of the diagram has no ring (the result would be
/// flat).
bool wythoff(const CoxeterGroup& group, const bool rings[4], Polytope* out, std::string* error);

}  // namespace orvex::polytope
