#include "polytope/dual.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "polytope/geometry.h"

namespace orvex::polytope {
namespace {

bool contains(const std::vector<int>& ascending, int v) {
  return std::binary_search(ascending.begin(), ascending.end(), v);
}

}  // namespace

namespace {

// The dual's vertices (each cell's pole about the centre) and cells (each vertex's
// direction, with the cells around it); vertexCells receives those cells per vertex.
bool dualVerticesAndCells(const Polytope& p, Polytope* dual,
                          std::vector<std::vector<int>>* vertexCells, std::string* error) {
  const int V = static_cast<int>(p.vertices.size()), C = p.cells();
  const Vec4 centre = centroid(p.vertices);
  double radius = 0.0;
  for (const Vec4& v : p.vertices) radius = std::max(radius, length(v - centre));
  vertexCells->assign(V, {});
  for (int c = 0; c < C; ++c) {
    const Vec4 n = (1.0 / length(p.normals[c])) * p.normals[c];
    // The mean over the cell's vertices rounds less than any one of them.
    double h = 0.0;
    for (int v : p.cellVertices[c]) {
      h += dot(n, p.vertices[v] - centre);
      (*vertexCells)[v].push_back(c);
    }
    h /= static_cast<double>(p.cellVertices[c].size());
    if (!(h > 1e-9 * radius)) {
      *error = "cell " + std::to_string(c) + " does not face away from the centre";
      return false;
    }
    dual->vertices.push_back((1.0 / h) * n);
  }
  for (int v = 0; v < V; ++v) {
    const Vec4 d = p.vertices[v] - centre;
    if (!(length(d) > 1e-9 * radius)) {
      *error = "vertex " + std::to_string(v) + " lies at the centre";
      return false;
    }
    dual->normals.push_back((1.0 / length(d)) * d);
    dual->cellVertices.push_back((*vertexCells)[v]);  // ascending: cells were visited in order
  }
  return true;
}

// The two cells of each polygon: those of its first vertex holding all its vertices.
bool polygonCellPairs(const Polytope& p, const std::vector<std::vector<int>>& vertexCells,
                      std::vector<std::pair<int, int>>* pairs, std::string* error) {
  const int F = static_cast<int>(p.polygons.size());
  pairs->resize(F);
  for (int f = 0; f < F; ++f) {
    const std::vector<int>& polygon = p.polygons[f];
    std::vector<int> cells;
    for (int c : vertexCells[polygon[0]]) {
      if (std::all_of(polygon.begin(), polygon.end(),
                      [&](int v) { return contains(p.cellVertices[c], v); })) {
        cells.push_back(c);
      }
    }
    if (cells.size() != 2) {
      *error = "polygon " + std::to_string(f) + " lies in " + std::to_string(cells.size()) +
               " cells, not 2";
      return false;
    }
    (*pairs)[f] = {cells[0], cells[1]};
  }
  return true;
}

// The polygons around each edge, edges numbered as they are first met.
void polygonsAroundEdges(const Polytope& p, std::vector<std::pair<int, int>>* edges,
                         std::vector<std::vector<int>>* edgePolygons) {
  std::unordered_map<uint64_t, int> edgeNumber;
  for (size_t f = 0; f < p.polygons.size(); ++f) {
    const std::vector<int>& polygon = p.polygons[f];
    for (size_t i = 0; i < polygon.size(); ++i) {
      int a = polygon[i], b = polygon[(i + 1) % polygon.size()];
      if (a > b) std::swap(a, b);
      const uint64_t key = (static_cast<uint64_t>(a) << 32) | static_cast<uint32_t>(b);
      auto found = edgeNumber.emplace(key, static_cast<int>(edges->size()));
      if (found.second) {
        edges->push_back({a, b});
        edgePolygons->emplace_back();
      }
      (*edgePolygons)[found.first->second].push_back(static_cast<int>(f));
    }
  }
}

// Around an edge, cells and polygons alternate: each polygon joins two cells, and each
// cell holds two of the edge's polygons. Walking that ring orders the dual polygon; empty
// when it does not close into one ring.
std::vector<int> ringAround(const std::vector<int>& around,
                            const std::vector<std::pair<int, int>>& polygonCells) {
  std::vector<int> ring;
  int polygon = around[0], cell = polygonCells[polygon].first;
  const int first = cell;
  do {
    ring.push_back(cell);
    const auto [c1, c2] = polygonCells[polygon];
    cell = c1 == cell ? c2 : c1;
    int next = -1;
    for (int f : around) {
      if (f != polygon && (polygonCells[f].first == cell || polygonCells[f].second == cell)) {
        next = f;
        break;
      }
    }
    polygon = next;
  } while (polygon >= 0 && cell != first && ring.size() <= around.size());
  if (polygon < 0 || cell != first || ring.size() != around.size() || ring.size() < 3) return {};
  return ring;
}

}  // namespace

bool dualPolytope(const Polytope& p, Polytope* out, std::string* error) {
  Polytope dual;
  std::vector<std::vector<int>> vertexCells;
  std::vector<std::pair<int, int>> polygonCells;
  if (!dualVerticesAndCells(p, &dual, &vertexCells, error) ||
      !polygonCellPairs(p, vertexCells, &polygonCells, error)) {
    return false;
  }
  std::vector<std::pair<int, int>> edges;
  std::vector<std::vector<int>> edgePolygons;
  polygonsAroundEdges(p, &edges, &edgePolygons);
  for (size_t e = 0; e < edges.size(); ++e) {
    std::vector<int> ring = ringAround(edgePolygons[e], polygonCells);
    if (ring.empty()) {
      *error = "the cells around edge " + std::to_string(edges[e].first) + "-" +
               std::to_string(edges[e].second) + " do not close into one ring";
      return false;
    }
    dual.polygons.push_back(std::move(ring));
  }
  *out = std::move(dual);
  return true;
}

}  // namespace orvex::polytope
