#include "render/cell_walk.h"

#include "render/cell_colours.h"

namespace orvex::render {

using model::Vec3;

const float cellColors[11][3] = {
    {1.0f, 0.6f, 1.0f},  {0.87f, 0.87f, 0.3f}, {0.3f, 1.0f, 1.0f}, {1.0f, 0.6f, 0.4f},
    {0.5f, 1.0f, 0.5f},  {0.7f, 0.7f, 1.0f},   {1.0f, 0.8f, 0.4f}, {0.4f, 0.8f, 1.0f},
    {0.85f, 0.6f, 1.0f}, {1.0f, 0.4f, 0.8f},   {0.4f, 1.0f, 0.8f},
};

void setCellMaterial(int k, int* last, DrawSink* sink) {
  if (k == *last) return;
  *last = k;
  const float* rgb = cellColors[k % 11];
  const float rgba[4] = {rgb[0], rgb[1], rgb[2], 1.0f};
  sink->material(rgba);
}

namespace {

void drawSolidPolygon(const model::IndexList& polygon, const model::Vec3List& p,
                      const Vec3& offset, DrawSink* sink) {
  sink->begin(Primitive::kTriangleFan);
  for (int i = 0; i < polygon.count; ++i) sink->vertex(p[polygon[i]] + offset);
  sink->end();
}

void drawFramePolygon(const model::IndexList& polygon, const model::Vec3List& p,
                      const Vec3& offset, DrawSink* sink) {
  const int m = polygon.count;
  Vec3 centre;
  for (int i = 0; i < m; ++i) centre = centre + p[polygon[i]];
  centre = (1.0 / m) * centre + offset;
  sink->begin(Primitive::kTriangleStrip);
  for (int i = 0; i <= m; ++i) {
    // i == m closes the ring on the first vertex again.
    const Vec3 outer = p[polygon[i % m]] + offset;
    sink->vertex(outer);
    sink->vertex(kFrameOuterWeight * outer + kFrameCentreWeight * centre);
  }
  sink->end();
}

// A point inside the projected cell: the mean of its polygons' vertices, shared ones
// counted once per polygon (still a mean of every vertex with positive weight).
Vec3 cellCentre(const model::IndexList& cell, const model::IndexListArray& polygons,
                const model::Vec3List& p) {
  Vec3 sum;
  int count = 0;
  for (int j = 0; j < cell.count; ++j) {
    const model::IndexList& polygon = polygons[cell[j]];
    for (int i = 0; i < polygon.count; ++i) sum = sum + p[polygon[i]];
    count += polygon.count;
  }
  return count > 0 ? (1.0 / count) * sum : sum;
}

// True when the polygon through q1, q2, q3, drawn displaced by offset, shows the eye
// the inside of its cell. Edge-on and degenerate polygons count as facing the eye.
bool facesAway(const Vec3& q1, const Vec3& q2, const Vec3& q3, const Vec3& centre,
               const Vec3& offset, const Vec3& eye) {
  const Vec3 n = model::cross(q2 - q1, q3 - q1);
  const double outward = model::dot(q1 - centre, n);
  // The offset moves the polygon but not its plane's direction; the eye sees its drawn place.
  const double towardsEye = model::dot(eye - (q1 + offset), n);
  return (outward > 0.0 && towardsEye < 0.0) || (outward < 0.0 && towardsEye > 0.0);
}

template <typename PolygonDrawer>
void walkCells(const model::Model& m, const view4d::Transform4& view, const Vec3& eye,
               const DrawSettings& settings, model::Vec3List* projected, DrawSink* sink,
               PolygonDrawer drawPolygon, bool skipHidden) {
  const model::Vec4Table& vertices = *m.vertices;
  model::Vec3List& p = *projected;
  for (int i = 0; i < vertices.count; ++i) p[i] = view.project(vertices[i]);

  const model::IndexListArray& polygons = *m.polygons;
  const model::IndexListArray& cellPolygons = *m.cellPolygons;
  const model::Vec4Table& normals = *m.cellNormals;
  int lastMaterialCount = 0;
  int lastColour = -1;
  for (int c = 0; c < cellPolygons.count; ++c) {
    if (!cellDrawn(m, view, settings, c)) continue;
    const model::IndexList& cell = cellPolygons[c];
    const int k = cell.count;
    if (settings.palette != nullptr) {
      settings.palette->setMaterial(c, &lastColour, sink);
    } else {
      setCellMaterial(k, &lastMaterialCount, sink);
    }
    const Vec3 offset = settings.extendRate * view.project(normals[c]);
    Vec3 centre;
    if (skipHidden) centre = cellCentre(cell, polygons, p);
    for (int j = 0; j < k; ++j) {
      const model::IndexList& polygon = polygons[cell[j]];
      const Vec3& q1 = p[polygon[0]];
      const Vec3& q2 = p[polygon[1]];
      const Vec3& q3 = p[polygon[2]];
      if (skipHidden && facesAway(q1, q2, q3, centre, offset, eye)) continue;
      sink->normal(faceNormal(q1, q2, q3, eye));
      drawPolygon(polygon, p, offset, sink);
    }
  }
}

}  // namespace

bool cellDrawn(const model::Model& m, const view4d::Transform4& view, const DrawSettings& settings,
               int c) {
  if (!settings.allCells && !(view.apply(3, (*m.cellNormals)[c]) > 0.0)) return false;
  return (*m.cellPolygons)[c].count != settings.hidePoly;
}

Vec3 cellOffset(const model::Model& m, const view4d::Transform4& view, const DrawSettings& settings,
                int c) {
  return settings.extendRate * view.project((*m.cellNormals)[c]);
}

Vec3 faceNormal(const Vec3& q1, const Vec3& q2, const Vec3& q3, const Vec3& eye) {
  const Vec3 n = model::cross(q2 - q1, q3 - q1);
  const double len = model::length(n);
  const Vec3 toEye = eye - q1;
  if (len > 0.0 && std::isfinite(len)) {
    // Zero included: a polygon seen exactly edge-on keeps the flipped normal.
    const double s = model::dot(toEye, n) > 0.0 ? 1.0 / len : -1.0 / len;
    return s * n;
  }
  // Edge-on while turning: light it as if it faced the viewer.
  const double toEyeLength = model::length(toEye);
  if (toEyeLength > 0.0) return (1.0 / toEyeLength) * toEye;
  return {0.0, 0.0, 1.0};
}

void drawSolidCells(const model::Model& m, const view4d::Transform4& view, const Vec3& eye,
                    const DrawSettings& settings, model::Vec3List* projected, DrawSink* sink) {
  // A solid cell is a closed convex shape: its polygons that face away lie behind its own
  // front polygons, unless the clip plane opens it.
  walkCells(m, view, eye, settings, projected, sink, drawSolidPolygon, settings.clip == 0);
}

void drawFrameCells(const model::Model& m, const view4d::Transform4& view, const Vec3& eye,
                    const DrawSettings& settings, model::Vec3List* projected, DrawSink* sink) {
  // Through the open centres every polygon can be seen.
  walkCells(m, view, eye, settings, projected, sink, drawFramePolygon, false);
}

void drawCells(const model::Model& m, const view4d::Transform4& view, const Vec3& eye,
               const DrawSettings& settings, model::Vec3List* projected, DrawSink* sink) {
  if (settings.fillType == 1) {
    drawFrameCells(m, view, eye, settings, projected, sink);
  } else {
    drawSolidCells(m, view, eye, settings, projected, sink);
  }
}

}  // namespace orvex::render
