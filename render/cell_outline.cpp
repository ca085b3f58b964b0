#include "render/cell_outline.h"

#include <algorithm>
#include <utility>

namespace orvex::render {

const float kOutlineColour[4] = {0.08f, 0.08f, 0.08f, 1.0f};

CellOutlines findCellOutlines(const model::Model& m) {
  CellOutlines out;
  const model::IndexListArray& polygons = *m.polygons;
  const model::IndexListArray& cells = *m.cellPolygons;
  std::vector<std::pair<int, int>> edges;
  std::vector<int> corners;
  out.edgeStart.push_back(0);
  out.vertexStart.push_back(0);
  for (int c = 0; c < cells.count; ++c) {
    edges.clear();
    corners.clear();
    for (int j = 0; j < cells[c].count; ++j) {
      const model::IndexList& polygon = polygons[cells[c][j]];
      for (int i = 0; i < polygon.count; ++i) {
        const int a = polygon[i], b = polygon[(i + 1) % polygon.count];
        edges.emplace_back(std::min(a, b), std::max(a, b));
        corners.push_back(a);
      }
    }
    // Two polygons of a cell meet at each edge: keep it once.
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::sort(corners.begin(), corners.end());
    corners.erase(std::unique(corners.begin(), corners.end()), corners.end());
    for (const auto& e : edges) out.edgeEnds.insert(out.edgeEnds.end(), {e.first, e.second});
    out.vertices.insert(out.vertices.end(), corners.begin(), corners.end());
    out.edgeStart.push_back(static_cast<int>(out.edgeEnds.size() / 2));
    out.vertexStart.push_back(static_cast<int>(out.vertices.size()));
  }
  return out;
}

void drawOutlines(const model::Model& m, const view4d::Transform4& view,
                  const DrawSettings& settings, const model::Vec3List& projected,
                  const CellOutlines& outlines, bool edges, bool vertices, DrawSink* sink) {
  if (!edges && !vertices) return;
  const int cells = m.cellPolygons->count;
  std::vector<int> drawn;
  std::vector<model::Vec3> offsets;
  for (int c = 0; c < cells; ++c) {
    if (!cellDrawn(m, view, settings, c)) continue;
    drawn.push_back(c);
    offsets.push_back(cellOffset(m, view, settings, c));
  }
  sink->material(kOutlineColour);
  if (edges) {
    sink->begin(Primitive::kLines);
    for (size_t d = 0; d < drawn.size(); ++d) {
      const int c = drawn[d];
      for (int e = outlines.edgeStart[c]; e < outlines.edgeStart[c + 1]; ++e) {
        sink->vertex(projected[outlines.edgeEnds[2 * e]] + offsets[d]);
        sink->vertex(projected[outlines.edgeEnds[2 * e + 1]] + offsets[d]);
      }
    }
    sink->end();
  }
  if (vertices) {
    sink->begin(Primitive::kPoints);
    for (size_t d = 0; d < drawn.size(); ++d) {
      const int c = drawn[d];
      for (int v = outlines.vertexStart[c]; v < outlines.vertexStart[c + 1]; ++v) {
        sink->vertex(projected[outlines.vertices[v]] + offsets[d]);
      }
    }
    sink->end();
  }
}

}  // namespace orvex::render
