// The drawn scene as three-dimensional solids, for files that leave the screen: each
// drawn cell (or the section) a closed, outward-oriented triangle mesh in its colour.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/vec.h"
#include "render/cell_walk.h"
#include "render/section.h"
#include "view4d/transform4.h"

namespace orvex::exporting {

/// One part: triangles over its own points, counter-clockwise seen from outside.
struct Solid {
  std::string name;  // "cell 12", "section", "strut 3", "ball 7"
  std::vector<model::Vec3> points;
  std::vector<std::array<int, 3>> triangles;
  std::vector<int> colours;  // per triangle, an index into SceneMesh::colours
};

struct SceneMesh {
  std::vector<std::array<float, 3>> colours;  // each once
  std::vector<Solid> solids;

  /// The index of rgb in colours, added if it is new.
  int colourIndex(const float rgb[3]);
  size_t triangleCount() const;
};

/// Makes *solid from polygons (vertex loops over points, any winding) with one colour
/// each: turns the polygons to one winding across every shared edge, then all of them
/// over when the enclosed volume comes out negative, and fans them into triangles from
/// their first corner, as the picture fans them. False with *problem ("is not closed: an
/// edge lies in 1 polygon", "encloses no volume ...") when they do not bound a solid.
bool buildSolid(const std::vector<model::Vec3>& points, std::vector<std::vector<int>> polygons,
                const std::vector<int>& polygonColours, Solid* solid, std::string* problem);

/// Every cell the picture's walk draws (solid style, every polygon), at its pushed-out
/// place and in its colour, one solid each, in scene units. False with *error naming the
/// first cell that is not a closed solid.
bool cellSolids(const model::Model& m, const view4d::Transform4& view,
                const render::DrawSettings& settings, SceneMesh* mesh, std::string* error);

/// The section as one solid, each face in its cell's colour as the section picture has
/// it. False with *error when the section is not a solid (empty, a point, an edge or a
/// polygon).
bool sectionSolid(const render::Section& s, const model::Model& m, SceneMesh* mesh,
                  std::string* error);

/// The smallest and largest coordinates of every point of mesh; min > max when empty.
struct Box {
  model::Vec3 min{1.0, 1.0, 1.0}, max{-1.0, -1.0, -1.0};
  void add(const model::Vec3& p);
  double longestSide() const;
  model::Vec3 centre() const;
};
Box boundsOf(const SceneMesh& mesh);

/// Moves and scales mesh so its box is centred on the origin with the longest side
/// `size`. A mesh without extent is only moved.
void fitToSize(SceneMesh* mesh, double size);

}  // namespace orvex::exporting
