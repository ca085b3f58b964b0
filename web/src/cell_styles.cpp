#include "web/src/cell_styles.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "web/src/batch_sink.h"

namespace orvex::web {

using model::Vec3;

namespace {

// Light enough to stay readable under the light and the fog; no grey, which is the fog's.
const float kKindPalette[12][3] = {
    {0.95f, 0.45f, 0.40f}, {0.40f, 0.65f, 0.95f}, {0.55f, 0.85f, 0.40f}, {0.98f, 0.82f, 0.30f},
    {0.75f, 0.50f, 0.92f}, {0.35f, 0.88f, 0.85f}, {0.98f, 0.60f, 0.20f}, {0.92f, 0.55f, 0.78f},
    {0.70f, 0.50f, 0.32f}, {0.30f, 0.60f, 0.48f}, {0.95f, 0.95f, 0.85f}, {0.50f, 0.50f, 0.98f},
};

const float kEdgeColour[3] = {0.08f, 0.08f, 0.1f};

void hueColour(double hue, float rgb[3]) {
  // HSV with saturation 0.55 and value 0.95.
  const double h = 6.0 * (hue - std::floor(hue));
  const double v = 0.95, s = 0.55;
  const int i = static_cast<int>(h) % 6;
  const double f = h - std::floor(h);
  const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  const double table[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
  for (int k = 0; k < 3; ++k) rgb[k] = static_cast<float>(table[i][k]);
}

bool drawn(const model::Model& m, const view4d::Transform4& view, const render::DrawSettings& s,
           const Style& style, const model::Vec3List& p, int c) {
  if (!style.allCells && !(view.apply(3, (*m.cellNormals)[c]) > 0.0)) return false;
  if ((*m.cellPolygons)[c].count == s.hidePoly) return false;
  if (style.maxReach > 0.0) {
    const model::IndexList& vertices = (*m.cellVertices)[c];
    for (int i = 0; i < vertices.count; ++i) {
      if (!(model::length(p[vertices[i]]) <= style.maxReach)) return false;
    }
  }
  return true;
}

void sendPolygon(const model::IndexList& polygon, const model::Vec3List& p, const Vec3& offset,
                 bool frames, render::DrawSink* sink) {
  const int n = polygon.count;
  if (!frames) {
    sink->begin(render::Primitive::kTriangleFan);
    for (int i = 0; i < n; ++i) sink->vertex(p[polygon[i]] + offset);
    sink->end();
    return;
  }
  Vec3 centre;
  for (int i = 0; i < n; ++i) centre = centre + p[polygon[i]];
  centre = (1.0 / n) * centre + offset;
  sink->begin(render::Primitive::kTriangleStrip);
  for (int i = 0; i <= n; ++i) {
    const Vec3 outer = p[polygon[i % n]] + offset;
    sink->vertex(outer);
    sink->vertex(render::kFrameOuterWeight * outer + render::kFrameCentreWeight * centre);
  }
  sink->end();
}

// Every drawn cell, each polygon filled or banded, depth sorting left to the depth test.
void walkStyled(const model::Model& m, const view4d::Transform4& view, const Vec3& eye,
                const render::DrawSettings& s, const Style& style, const CellKinds& kinds,
                const model::Vec3List& p, render::DrawSink* sink) {
  const model::IndexListArray& polygons = *m.polygons;
  for (int c = 0; c < m.cellPolygons->count; ++c) {
    if (!drawn(m, view, s, style, p, c)) continue;
    float rgba[4] = {0, 0, 0, 1};
    cellColour(style.colour, c, m, kinds, rgba);
    sink->material(rgba);
    const Vec3 offset = s.extendRate * view.project((*m.cellNormals)[c]);
    const model::IndexList& cell = (*m.cellPolygons)[c];
    for (int j = 0; j < cell.count; ++j) {
      const model::IndexList& polygon = polygons[cell[j]];
      sink->normal(render::faceNormal(p[polygon[0]], p[polygon[1]], p[polygon[2]], eye));
      sendPolygon(polygon, p, offset, s.fillType == 1, sink);
    }
  }
}

}  // namespace

CellKinds classifyCells(const model::Model& m) {
  CellKinds kinds;
  std::map<std::string, int> index;
  const model::IndexListArray& polygons = *m.polygons;
  for (int c = 0; c < m.cellPolygons->count; ++c) {
    const model::IndexList& cell = (*m.cellPolygons)[c];
    std::map<int, int> sizes;
    for (int j = 0; j < cell.count; ++j) ++sizes[polygons[cell[j]].count];
    std::string signature;
    for (const auto& [size, count] : sizes) {
      if (!signature.empty()) signature += ' ';
      signature += std::to_string(size) + "x" + std::to_string(count);
    }
    auto [it, added] = index.emplace(signature, static_cast<int>(kinds.signatures.size()));
    if (added) {
      kinds.signatures.push_back(signature);
      kinds.counts.push_back(0);
    }
    kinds.kindOfCell.push_back(it->second);
    ++kinds.counts[it->second];
  }
  return kinds;
}

void cellColour(ColourBy by, int c, const model::Model& m, const CellKinds& kinds, float rgb[3]) {
  if (by == ColourBy::kKind && c < static_cast<int>(kinds.kindOfCell.size())) {
    std::copy(kKindPalette[kinds.kindOfCell[c] % 12], kKindPalette[kinds.kindOfCell[c] % 12] + 3,
              rgb);
  } else if (by == ColourBy::kCell) {
    // Golden-ratio steps keep neighbouring numbers far apart in hue.
    hueColour(0.61803398875 * c, rgb);
  } else {
    std::copy(render::cellColors[(*m.cellPolygons)[c].count % 11],
              render::cellColors[(*m.cellPolygons)[c].count % 11] + 3, rgb);
  }
}

void drawStyled(const model::Model& m, const view4d::Transform4& view, const Vec3& eye,
                const render::DrawSettings& settings, const Style& style, const CellKinds& kinds,
                model::Vec3List* projected, render::DrawSink* sink, std::vector<float>* lines) {
  if (!style.allCells && style.colour == ColourBy::kPolygonCount && style.maxReach <= 0.0) {
    render::drawCells(m, view, eye, settings, projected, sink);
  } else {
    model::Vec3List& p = *projected;
    for (int i = 0; i < m.vertices->count; ++i) p[i] = view.project((*m.vertices)[i]);
    walkStyled(m, view, eye, settings, style, kinds, p, sink);
  }
  if (!style.edges) return;
  const model::Vec3List& p = *projected;
  for (int c = 0; c < m.cellPolygons->count; ++c) {
    if (!drawn(m, view, settings, style, p, c)) continue;
    const Vec3 offset = settings.extendRate * view.project((*m.cellNormals)[c]);
    const model::IndexList& cell = (*m.cellPolygons)[c];
    for (int j = 0; j < cell.count; ++j) {
      const model::IndexList& polygon = (*m.polygons)[cell[j]];
      for (int i = 0; i < polygon.count; ++i) {
        appendLine(p[polygon[i]] + offset, p[polygon[(i + 1) % polygon.count]] + offset,
                   kEdgeColour, lines);
      }
    }
  }
}

}  // namespace orvex::web
