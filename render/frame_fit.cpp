#include "render/frame_fit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/scene.h"

namespace orvex::render {

void ScreenBounds::add(double x, double y) {
  if (empty) {
    minX = maxX = x;
    minY = maxY = y;
    empty = false;
    return;
  }
  minX = std::min(minX, x);
  maxX = std::max(maxX, x);
  minY = std::min(minY, y);
  maxY = std::max(maxY, y);
}

void addDrawnPoints(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
                    const DrawSettings& settings, ScreenBounds* bounds) {
  const double focal = 1.0 / std::tan(kFieldOfView * M_PI / 360.0);
  const model::Vec4Table& vertices = *m.vertices;
  std::vector<model::Vec3> projected(vertices.count);
  for (int i = 0; i < vertices.count; ++i) projected[i] = view.project(vertices[i]);
  const model::IndexListArray& polygons = *m.polygons;
  for (int c = 0; c < m.cellPolygons->count; ++c) {
    if (!cellDrawn(m, view, settings, c)) continue;
    const model::Vec3 offset = cellOffset(m, view, settings, c);
    const model::IndexList& cell = (*m.cellPolygons)[c];
    for (int j = 0; j < cell.count; ++j) {
      const model::IndexList& polygon = polygons[cell[j]];
      for (int i = 0; i < polygon.count; ++i) {
        // The camera looks down -z from eye; x and y are already across the view.
        const model::Vec3 p = projected[polygon[i]] + offset - eye;
        const double depth = -p.z;
        if (!(depth > kNearPlane) || !std::isfinite(p.x) || !std::isfinite(p.y)) continue;
        bounds->add(focal * p.x / depth, focal * p.y / depth);
      }
    }
  }
}

FrameFit fitBounds(const ScreenBounds& bounds, double margin) {
  FrameFit fit;
  if (bounds.empty) return fit;
  const double extent = std::max(bounds.maxX - bounds.minX, bounds.maxY - bounds.minY);
  if (!(extent > 0.0) || !std::isfinite(extent)) return fit;
  fit.scale = 2.0 * (1.0 - margin) / extent;
  fit.centreX = 0.5 * (bounds.minX + bounds.maxX);
  fit.centreY = 0.5 * (bounds.minY + bounds.maxY);
  return fit;
}

}  // namespace orvex::render
