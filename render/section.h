// The three-dimensional cross-section of the turned polytope with a hyperplane w = W
// in view coordinates: exact through vertices, edges and whole cells.
#pragma once

#include <vector>

#include "model/model.h"
#include "model/vec.h"
#include "view4d/transform4.h"

namespace orvex::render {

/// The section P ∩ {w = W} as a set of faces of every dimension below three. Points lie
/// in the hyperplane, given by their first three view coordinates.
struct Section {
  struct Face {
    int cell = -1;             // the cell whose section this face is, for its colour
    std::vector<int> corners;  // indices into points, in boundary order
  };

  std::vector<model::Vec3> points;         // the vertices
  std::vector<std::pair<int, int>> edges;  // each once, the lower point index first
  std::vector<Face> faces;                 // the two-dimensional faces

  int vertexCount() const { return static_cast<int>(points.size()); }
  int edgeCount() const { return static_cast<int>(edges.size()); }
  int faceCount() const { return static_cast<int>(faces.size()); }
};

/// How near a vertex, relative to the model's size, the hyperplane passes through it: the
/// loader's incidence tolerance, so what the model treats as lying in one cell's
/// hyperplane the section treats as lying in the cutting one.
constexpr double kSectionTolerance = 0.00001;

/// How far apart, relative to the model's size, two vertex heights may be and still be one
/// level: the rounding a turn leaves, even one typed to nine digits.
constexpr double kSectionRounding = 1e-9;

/// Computes the section of m, turned by view (row k gives view coordinate k), with the
/// hyperplane whose fourth view coordinate is w. A hyperplane passing within
/// kSectionTolerance times the largest vertex length of a vertex is moved onto the nearest
/// such vertex and through every vertex of its level: the vertices whose heights follow
/// one another at most kSectionRounding times that length apart. Every other vertex is
/// then judged above or below once. A vertex on the hyperplane is one point however many edges meet
/// there, an edge crossing it strictly is one point, and a polygon or cell lying in it is
/// kept whole. A hyperplane that only touches the polytope gives that vertex, edge or
/// polygon; one that misses it gives an empty section.
Section computeSection(const model::Model& m, const view4d::Transform4& view, double w);

}  // namespace orvex::render
