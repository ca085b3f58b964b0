// Vertex sets of the polytopes that are built as hulls rather than by the Wythoff
// construction.
#pragma once

#include <string>
#include <vector>

#include "polytope/polytope.h"

namespace orvex::polytope {

/// The p-gon × q-gon duoprism, edges of length 1. p, q >= 3.
std::vector<Vec4> duoprismPoints(int p, int q);

/// The 120 vertices of the 600-cell, circumradius 1.
std::vector<Vec4> cell600Points();

/// The vertex sets known by name: snub-24-cell, grand-antiprism, snub-cubic-prism,
/// snub-dodecahedral-prism. False for any other name.
bool namedPoints(const std::string& name, std::vector<Vec4>* points);

/// The names namedPoints knows, comma-separated.
std::string namedPointSets();

}  // namespace orvex::polytope
