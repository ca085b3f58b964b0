// The symmetry group of a model: the isometries that map it onto itself, found as the
// automorphisms of a coloured graph (nauty's Traces) and each proved an isometry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"
#include "polytope/measures.h"

namespace orvex::polytope {

struct Symmetry {
  uint64_t order = 0;
  int vertexOrbits = 0, edgeOrbits = 0, polygonOrbits = 0, cellOrbits = 0;
  std::vector<int> vertexOrbit;  // per vertex, the smallest vertex of its orbit
  std::vector<int> cellOrbit;    // per cell, the smallest cell of its orbit
  /// Every vertex in one orbit, every edge of one length and every cell a uniform
  /// polyhedron (regular polygons, its own symmetries carrying any vertex to any other).
  bool uniform = false;
};

/// The symmetry group of m (loaded, passed the check) with measures from measureModel.
/// The graph has a node for every vertex, edge, polygon and cell, joined where one lies
/// on another, each node and join coloured by distances between the elements' centroids
/// and the centre (equal to kSameValue of the circumradius); every generator found is
/// then checked to move every vertex onto a vertex by one orthogonal map about the
/// centre. Fails, with a line saying so, only when one is not: distances that differ
/// by less than the tolerance, a model no file written to 15 digits gives.
bool findSymmetry(const model::Model& m, const Measures& measures, Symmetry* out,
                  std::string* error);

}  // namespace orvex::polytope
