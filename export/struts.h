// Strut models: the drawn edges as round bars and the vertices as balls, each a closed,
// outward-oriented solid, for printing the projection as a wire frame.
#pragma once

#include <utility>
#include <vector>

#include "export/scene_mesh.h"
#include "model/model.h"
#include "render/cell_walk.h"
#include "view4d/transform4.h"

namespace orvex::exporting {

/// The edges and vertices the picture draws with --edges --vertices, in scene units, each
/// once: an edge or vertex that several cells draw at one place (as they do when the
/// extend rate is 0) is one bar or one ball.
struct DrawnOutline {
  std::vector<std::pair<model::Vec3, model::Vec3>> edges;
  std::vector<model::Vec3> vertices;
};
DrawnOutline drawnOutline(const model::Model& m, const view4d::Transform4& view,
                          const render::DrawSettings& settings);

/// How much bigger a ball is than the bars that meet in it: enough to hold their ends.
constexpr double kBallToStrut = 1.5;
/// Sides of a bar's cross-section.
constexpr int kStrutSides = 12;

/// outline scaled by `scale` about the origin, as bars of `radius` (kStrutSides sides,
/// capped) and balls of kBallToStrut × radius (a twice-subdivided icosahedron), in rgb.
/// Bars end at the vertex centres, inside the balls: the parts overlap, as slicers
/// expect of parts they join. Zero-length edges give no bar.
SceneMesh strutMesh(const DrawnOutline& outline, double scale, double radius, const float rgb[3]);

}  // namespace orvex::exporting
