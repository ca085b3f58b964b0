#include "export/scene_mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "render/draw_sink.h"
#include "render/scene.h"

namespace orvex::exporting {

using model::Vec3;

int SceneMesh::colourIndex(const float rgb[3]) {
  const std::array<float, 3> colour = {rgb[0], rgb[1], rgb[2]};
  const auto found = std::find(colours.begin(), colours.end(), colour);
  if (found != colours.end()) return static_cast<int>(found - colours.begin());
  colours.push_back(colour);
  return static_cast<int>(colours.size()) - 1;
}

size_t SceneMesh::triangleCount() const {
  size_t count = 0;
  for (const Solid& solid : solids) count += solid.triangles.size();
  return count;
}

void Box::add(const Vec3& p) {
  if (min.x > max.x) {
    min = max = p;
    return;
  }
  min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
  max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

double Box::longestSide() const {
  if (min.x > max.x) return 0.0;
  return std::max({max.x - min.x, max.y - min.y, max.z - min.z});
}

Vec3 Box::centre() const { return 0.5 * (min + max); }

Box boundsOf(const SceneMesh& mesh) {
  Box box;
  for (const Solid& solid : mesh.solids) {
    for (const Vec3& p : solid.points) box.add(p);
  }
  return box;
}

void fitToSize(SceneMesh* mesh, double size) {
  const Box box = boundsOf(*mesh);
  const double side = box.longestSide();
  const double scale = side > 0.0 ? size / side : 1.0;
  const Vec3 centre = box.centre();
  for (Solid& solid : mesh->solids) {
    for (Vec3& p : solid.points) p = scale * (p - centre);
  }
}

namespace {

// Where each undirected edge lies: the polygons through it and whether each runs it from
// its lower to its higher corner.
struct EdgeUse {
  int polygon;
  bool forward;
};
using EdgeMap = std::map<std::pair<int, int>, std::vector<EdgeUse>>;

EdgeMap edgesOf(const std::vector<std::vector<int>>& polygons) {
  EdgeMap edges;
  for (size_t p = 0; p < polygons.size(); ++p) {
    const std::vector<int>& loop = polygons[p];
    for (size_t i = 0; i < loop.size(); ++i) {
      const int a = loop[i], b = loop[(i + 1) % loop.size()];
      edges[{std::min(a, b), std::max(a, b)}].push_back({static_cast<int>(p), a < b});
    }
  }
  return edges;
}

// Turns polygons so that every shared edge is run once each way; false if the surface
// cannot be (a one-sided one).
bool windAlike(std::vector<std::vector<int>>* polygons, const EdgeMap& edges) {
  const size_t n = polygons->size();
  std::vector<std::vector<std::pair<int, bool>>> neighbours(n);  // (polygon, same direction)
  for (const auto& [edge, uses] : edges) {
    const EdgeUse& a = uses[0];
    const EdgeUse& b = uses[1];
    neighbours[a.polygon].push_back({b.polygon, a.forward == b.forward});
    neighbours[b.polygon].push_back({a.polygon, a.forward == b.forward});
  }
  std::vector<int> flip(n, -1);
  for (size_t start = 0; start < n; ++start) {
    if (flip[start] >= 0) continue;
    flip[start] = 0;
    std::vector<int> stack = {static_cast<int>(start)};
    while (!stack.empty()) {
      const int p = stack.back();
      stack.pop_back();
      for (const auto& [q, same] : neighbours[p]) {
        // Polygons that run their common edge the same way must differ in turning.
        const int wanted = same ? 1 - flip[p] : flip[p];
        if (flip[q] < 0) {
          flip[q] = wanted;
          stack.push_back(q);
        } else if (flip[q] != wanted) {
          return false;
        }
      }
    }
  }
  for (size_t p = 0; p < n; ++p) {
    if (flip[p] == 1) std::reverse((*polygons)[p].begin(), (*polygons)[p].end());
  }
  return true;
}

}  // namespace

bool buildSolid(const std::vector<Vec3>& points, std::vector<std::vector<int>> polygons,
                const std::vector<int>& polygonColours, Solid* solid, std::string* problem) {
  std::vector<int> colours;
  std::vector<std::vector<int>> kept;
  for (size_t p = 0; p < polygons.size(); ++p) {
    std::vector<int> loop = polygons[p];
    // Corners that landed on one point are one corner.
    loop.erase(std::unique(loop.begin(), loop.end()), loop.end());
    while (loop.size() > 1 && loop.front() == loop.back()) loop.pop_back();
    if (loop.size() < 3) continue;
    kept.push_back(std::move(loop));
    colours.push_back(polygonColours[p]);
  }
  if (kept.empty()) {
    *problem = "has no polygons";
    return false;
  }
  const EdgeMap edges = edgesOf(kept);
  for (const auto& [edge, uses] : edges) {
    if (uses.size() != 2) {
      *problem = "is not closed: an edge lies in " + std::to_string(uses.size()) +
                 (uses.size() == 1 ? " polygon" : " polygons");
      return false;
    }
  }
  if (!windAlike(&kept, edges)) {
    *problem = "is one-sided: its polygons cannot be wound alike";
    return false;
  }
  // Six times the volume, from the first point so that rounding stays at the cell's scale.
  const Vec3& o = points[kept[0][0]];
  double volume = 0.0;
  Box box;
  for (const std::vector<int>& loop : kept) {
    for (size_t i = 1; i + 1 < loop.size(); ++i) {
      volume += model::dot(points[loop[0]] - o, model::cross(points[loop[i]] - o,
                                                             points[loop[i + 1]] - o));
    }
    for (int v : loop) box.add(points[v]);
  }
  const double side = box.longestSide();
  if (!(std::abs(volume) > 1e-9 * side * side * side)) {
    *problem = "encloses no volume (it is seen edge-on)";
    return false;
  }
  solid->points = points;
  solid->triangles.clear();
  solid->colours.clear();
  for (size_t p = 0; p < kept.size(); ++p) {
    std::vector<int>& loop = kept[p];
    if (volume < 0.0) std::reverse(loop.begin(), loop.end());
    for (size_t i = 1; i + 1 < loop.size(); ++i) {
      solid->triangles.push_back({loop[0], loop[i], loop[i + 1]});
      solid->colours.push_back(colours[p]);
    }
  }
  return true;
}

namespace {

// Keeps the walk's polygons apart by cell, welding each cell's corners: a vertex shared
// by polygons of one cell arrives as the same position every time.
class CellCollector : public render::DrawSink {
 public:
  struct Cell {
    int number = -1;
    std::vector<Vec3> points;
    std::vector<std::vector<int>> polygons;
    std::vector<int> colours;
    std::map<std::array<double, 3>, int> index;
  };

  explicit CellCollector(SceneMesh* mesh) : mesh_(mesh) {}
  void material(const float rgba[4]) override { colour_ = mesh_->colourIndex(rgba); }
  void normal(const Vec3&) override {}
  void cell(int c) override {
    cells.emplace_back();
    cells.back().number = c;
  }
  void begin(render::Primitive) override {
    cells.back().polygons.emplace_back();
    cells.back().colours.push_back(colour_);
  }
  void vertex(const Vec3& v) override {
    Cell& cell = cells.back();
    const auto [at, added] =
        cell.index.emplace(std::array<double, 3>{v.x, v.y, v.z}, static_cast<int>(cell.points.size()));
    if (added) cell.points.push_back(v);
    cell.polygons.back().push_back(at->second);
  }
  void end() override {}

  std::vector<Cell> cells;

 private:
  SceneMesh* mesh_;
  int colour_ = 0;
};

}  // namespace

bool cellSolids(const model::Model& m, const view4d::Transform4& view,
                const render::DrawSettings& settings, SceneMesh* mesh, std::string* error) {
  render::DrawSettings solid = settings;
  // Every polygon, even one its own cell hides from the camera: a file has no camera.
  solid.skipHidden = false;
  model::Vec3List projected;
  projected.resize(m.vertices->count);
  CellCollector collector(mesh);
  render::drawSolidCells(m, view, render::kEye, solid, &projected, &collector);
  for (CellCollector::Cell& cell : collector.cells) {
    Solid part;
    part.name = "cell " + std::to_string(cell.number + 1);
    std::string problem;
    if (!buildSolid(cell.points, std::move(cell.polygons), cell.colours, &part, &problem)) {
      *error = part.name + " " + problem;
      return false;
    }
    mesh->solids.push_back(std::move(part));
  }
  if (mesh->solids.empty()) {
    *error = "no cell is drawn in this view, so there is nothing to export";
    return false;
  }
  return true;
}

bool sectionSolid(const render::Section& s, const model::Model& m, SceneMesh* mesh,
                  std::string* error) {
  std::vector<std::vector<int>> polygons;
  std::vector<int> colours;
  for (const render::Section::Face& face : s.faces) {
    polygons.push_back(face.corners);
    // Every face, even those of cells the picture hides: a solid needs them all.
    colours.push_back(mesh->colourIndex(render::cellColors[(*m.cellPolygons)[face.cell].count % 11]));
  }
  Solid part;
  part.name = "section";
  std::string problem;
  if (s.faceCount() < 4 || !buildSolid(s.points, std::move(polygons), colours, &part, &problem)) {
    *error = "the section is not a solid (" + std::to_string(s.vertexCount()) + " vertices, " +
             std::to_string(s.edgeCount()) + " edges, " + std::to_string(s.faceCount()) +
             " faces), so there is nothing to export";
    return false;
  }
  mesh->solids.push_back(std::move(part));
  return true;
}

}  // namespace orvex::exporting
