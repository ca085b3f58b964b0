// The measures of a loaded model: counts, lengths, radii, volumes and dihedral angles, in
// the model file's own units. Free of qhull and of the symmetry search, so the explorer
// computes them too.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/model.h"
#include "model/vec.h"

namespace orvex::polytope {

using model::Vec4;

/// A value and how many elements have it.
struct ValueCount {
  double value = 0.0;
  int count = 0;
};

/// The cells of one kind whose 3-volumes agree.
struct CellVolume {
  std::string kind;
  double volume = 0.0;
  int count = 0;
};

/// The polygons where a cell of kinds[0] meets one of kinds[1] at one angle.
struct DihedralAngle {
  double degrees = 0.0;
  std::string kinds[2];  // in name order
  int count = 0;
};

struct Measures {
  int vertices = 0, edges = 0, faces = 0, cells = 0;
  Vec4 centre;  // the centroid of the vertices
  double circumradius = 0.0, inradius = 0.0, volume = 0.0, surface = 0.0;
  std::vector<ValueCount> edgeLengths;                 // ascending
  std::vector<std::pair<std::string, int>> cellKinds;  // most numerous first, then by name
  std::vector<std::pair<std::string, int>> polygonKinds;
  std::vector<CellVolume> cellVolumes;        // by kind, then by volume
  std::vector<DihedralAngle> dihedralAngles;  // ascending
  bool regularPolygons = false;               // every polygon equilateral and cyclic

  // Per element, for the symmetry search and the figures around a vertex.
  std::vector<Vec4> points;                       // the vertices in file units
  std::vector<std::pair<int, int>> edgeList;      // (smaller, larger) vertex, ascending
  std::vector<std::vector<int>> polygonEdges;     // indices into edgeList
  std::vector<std::pair<int, int>> polygonCells;  // the two cells at each polygon
  std::vector<std::string> cellKindOf;            // per cell
};

/// Relative to the circumradius: distances, areas and volumes closer than this count as
/// one value in the lists above, and as equal to the symmetry search.
constexpr double kSameValue = 1e-9;

/// Groups values: sorted, and split wherever two neighbours are more than tolerance
/// apart, so that values within tolerance of each other always share a group. Returns
/// each value's group number, groups numbered from the smallest value up; *means (when
/// not null) gets each group's mean.
std::vector<int> groupValues(const std::vector<double>& values, double tolerance,
                             std::vector<double>* means = nullptr);

/// The measures of m, a model as loaded (vertex 0 scaled to length 1) that passed the
/// check, in the file's units: unit is the length of vertex 0 as written.
Measures measureModel(const model::Model& m, double unit);

/// The length of vertex 0 as the vertex file at path writes it; false when the file
/// cannot be read or holds no vertex.
bool writtenUnit(const std::string& path, double* unit);

/// A polygon's kind: "triangle", "square", "pentagon", ... when regular, "quadrilateral",
/// "irregular pentagon", ... when not, "13-gon" past the decagon.
std::string polygonKindName(int sides, bool regular);

}  // namespace orvex::polytope
