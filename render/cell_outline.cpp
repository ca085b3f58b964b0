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

void drawWireframe(const model::Model& m, const view4d::Transform4& view,
                   const DrawSettings& settings, const CellOutlines& outlines, bool vertices,
                   model::Vec3List* projected, DrawSink* sink) {
  const model::Vec4Table& points = *m.vertices;
  model::Vec3List& p = *projected;
  for (int i = 0; i < points.count; ++i) p[i] = view.project(points[i]);
  std::vector<std::pair<int, int>> edges;
  std::vector<char> corner(points.count, 0);
  for (int c = 0; c < m.cellPolygons->count; ++c) {
    if (!cellDrawn(m, view, settings, c)) continue;
    for (int e = outlines.edgeStart[c]; e < outlines.edgeStart[c + 1]; ++e) {
      edges.emplace_back(outlines.edgeEnds[2 * e], outlines.edgeEnds[2 * e + 1]);
    }
    for (int v = outlines.vertexStart[c]; v < outlines.vertexStart[c + 1]; ++v) {
      corner[outlines.vertices[v]] = 1;
    }
  }
  // An edge is shared by three cells or more: draw it once, not once per cell.
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  sink->material(kOutlineColour);
  sink->begin(Primitive::kLines);
  for (const auto& [a, b] : edges) {
    sink->vertex(p[a]);
    sink->vertex(p[b]);
  }
  sink->end();
  if (!vertices) return;
  sink->begin(Primitive::kPoints);
  for (int v = 0; v < points.count; ++v) {
    if (corner[v]) sink->vertex(p[v]);
  }
  sink->end();
}

}  // namespace orvex::render
