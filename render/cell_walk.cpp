#include "render/cell_walk.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <typeinfo>

#include "render/cell_colours.h"
#include "render/scene.h"
#include "render/screen_depth.h"

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

void drawSolidPolygon(const model::IndexList& polygon, const model::Vec3List& p, const Vec3& offset,
                      DrawSink* sink) {
  sink->begin(Primitive::kTriangleFan);
  for (int i = 0; i < polygon.count; ++i) sink->vertex(p[polygon[i]] + offset);
  sink->end();
}

void drawFramePolygon(const model::IndexList& polygon, const model::Vec3List& p, const Vec3& offset,
                      DrawSink* sink) {
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

// What the skip of hidden polygons needs to know of one drawn cell: a point inside it
// and whether its polygons provably hide those that face away from the eye.
struct CellView {
  Vec3 centre;
  double reach = 0.0;  // a bound on the size of the coordinates involved, for rounding
  bool hidesBackFaces = false;
};

// The projected cell is convex (the orthographic image of a convex cell), so a polygon
// facing away from the eye lies behind one of the cell's own polygons that faces it,
// provided the cell is closed and neither the near nor the far plane cuts it: every
// point of the cell beyond the near plane also puts the eye outside it. The centre is the
// mean of its polygons' vertices, shared ones counted once per polygon (still a point
// inside).
// reach bounds the size of every projected coordinate.
CellView viewOfCell(const model::IndexList& cell, const model::IndexListArray& polygons,
                    const model::Vec3List& p, const Vec3& offset, const Vec3& eye, double reach,
                    bool closed) {
  CellView view;
  Vec3 sum;
  int count = 0;
  // Depth is measured along the line of sight, from the eye towards the origin.
  const double eyeDistance = model::length(eye);
  const Vec3 sight = eyeDistance > 0.0 ? (-1.0 / eyeDistance) * eye : Vec3(0.0, 0.0, -1.0);
  double nearest = std::numeric_limits<double>::infinity();
  double farthest = -std::numeric_limits<double>::infinity();
  for (int j = 0; j < cell.count; ++j) {
    const model::IndexList& polygon = polygons[cell[j]];
    for (int i = 0; i < polygon.count; ++i) {
      const Vec3& q = p[polygon[i]];
      sum = sum + q;
      nearest = std::min(nearest, model::dot(q, sight));
      farthest = std::max(farthest, model::dot(q, sight));
    }
    count += polygon.count;
  }
  nearest += model::dot(offset - eye, sight);
  farthest += model::dot(offset - eye, sight);
  if (count > 0) view.centre = (1.0 / count) * sum;
  view.reach = 2.0 * reach + model::length(offset) + eyeDistance;
  // A margin for the float arithmetic of OpenGL's clipping, which must cut none of it.
  view.hidesBackFaces = closed && count > 0 && nearest > kNearPlane * (1.0 + 1e-3) &&
                        farthest < kFarPlane * (1.0 - 1e-3);
  return view;
}

// True when the polygon through q1, q2, q3, drawn displaced by offset, clearly shows the
// eye the inside of its cell. Edge-on and degenerate polygons, and any whose plane runs
// so near the centre or the eye that rounding could decide, count as facing the eye.
bool facesAway(const Vec3& q1, const Vec3& q2, const Vec3& q3, const CellView& cell,
               const Vec3& offset, const Vec3& eye) {
  const Vec3 n = model::cross(q2 - q1, q3 - q1);
  const double outward = model::dot(q1 - cell.centre, n);
  // The offset moves the polygon but not its plane's direction; the eye sees its drawn place.
  const double towardsEye = model::dot(eye - (q1 + offset), n);
  // Both sides must clear 1e-9 of the coordinates' size; compared squared, without a root.
  const double margin2 = 1e-18 * cell.reach * cell.reach * model::dot(n, n);
  if (!(margin2 > 0.0 && std::isfinite(margin2))) return false;
  const bool opposite = (outward > 0.0 && towardsEye < 0.0) || (outward < 0.0 && towardsEye > 0.0);
  return opposite && outward * outward > margin2 && towardsEye * towardsEye > margin2;
}

// Finds, for a cell that hides its back (CellView), the polygons facing away from the eye
// that are deeper than the cell's front at every pixel they could cover: drawn or not,
// they change no pixel. Those nearer somewhere, within rounding, could win a depth tie
// there (on the outline, or where the cell is thin) and are kept.
class HiddenPolygons {
 public:
  explicit HiddenPolygons(const ScreenTransform& screen) : screen_(screen) {}

  // hidden[j] for polygon j of the cell.
  const std::vector<char>& find(const model::IndexList& cell, const model::IndexListArray& polygons,
                                const model::Vec3List& p, const CellView& view, const Vec3& offset,
                                const Vec3& eye) {
    const int k = cell.count;
    hidden_.assign(k, 0);
    windows_.resize(k);
    normals_.resize(k);
    fronts_.clear();
    Vec3 centre;
    if (!screen_.toWindow(view.centre + offset, &centre)) return hidden_;
    bool any = false;
    for (int j = 0; j < k; ++j) {
      const model::IndexList& polygon = polygons[cell[j]];
      std::vector<Vec3>& window = windows_[j];
      window.resize(polygon.count);
      for (int i = 0; i < polygon.count; ++i) {
        if (!screen_.toWindow(p[polygon[i]] + offset, &window[i])) {
          hidden_.assign(k, 0);
          return hidden_;
        }
      }
      hidden_[j] = facesAway(p[polygon[0]], p[polygon[1]], p[polygon[2]], view, offset, eye);
      any = any || hidden_[j];
      // Oriented outward in the window too; facing the eye, its depth is part of the front.
      Vec3 n = windowNormal(window);
      if (model::dot(window[0] - centre, n) < 0.0) n = -1.0 * n;
      DepthPlane plane;
      if (n.z < 0.0 && depthPlaneOf(window, n, &plane)) fronts_.push_back(plane);
      normals_[j] = n;
    }
    if (!any) return hidden_;
    for (int j = 0; j < k; ++j) {
      if (!hidden_[j]) continue;
      DepthPlane plane;
      hidden_[j] = normals_[j].z > 0.0 && depthPlaneOf(windows_[j], normals_[j], &plane) &&
                   deeperThanFrontAtEveryPixel(windows_[j], plane, fronts_, screen_);
    }
    return hidden_;
  }

 private:
  const ScreenTransform& screen_;
  std::vector<char> hidden_;
  std::vector<std::vector<Vec3>> windows_;
  std::vector<Vec3> normals_;
  std::vector<DepthPlane> fronts_;
};

template <typename PolygonDrawer>
void walkCells(const model::Model& m, const view4d::Transform4& view, const Vec3& eye,
               const DrawSettings& settings, model::Vec3List* projected, DrawSink* sink,
               PolygonDrawer drawPolygon, bool skipHidden) {
  const model::Vec4Table& vertices = *m.vertices;
  model::Vec3List& p = *projected;
  for (int i = 0; i < vertices.count; ++i) p[i] = view.project(vertices[i]);
  ScreenTransform screen;
  skipHidden = skipHidden && sink->screen(&screen);
  HiddenPolygons hiddenPolygons(screen);
  double reach = 0.0;
  if (skipHidden) {
    for (int i = 0; i < p.count; ++i) {
      reach = std::max(reach, std::abs(p[i].x) + std::abs(p[i].y) + std::abs(p[i].z));
    }
  }

  const model::IndexListArray& polygons = *m.polygons;
  const model::IndexListArray& cellPolygons = *m.cellPolygons;
  int lastMaterialCount = 0;
  int lastColour = -1;
  for (int c = 0; c < cellPolygons.count; ++c) {
    if (!cellDrawn(m, view, settings, c)) continue;
    sink->cell(c);
    const model::IndexList& cell = cellPolygons[c];
    const int k = cell.count;
    if (settings.palette != nullptr) {
      settings.palette->setMaterial(c, &lastColour, sink);
    } else {
      setCellMaterial(k, &lastMaterialCount, sink);
    }
    const Vec3 offset = cellOffset(m, view, settings, c);
    const std::vector<char>* hidden = nullptr;
    if (skipHidden) {
      const bool closed = c < static_cast<int>(m.cellClosed.size()) && m.cellClosed[c];
      const CellView cellView = viewOfCell(cell, polygons, p, offset, eye, reach, closed);
      if (cellView.hidesBackFaces) {
        hidden = &hiddenPolygons.find(cell, polygons, p, cellView, offset, eye);
      }
    }
    for (int j = 0; j < k; ++j) {
      if (settings.polygonsLeftOut != nullptr &&
          cell[j] < static_cast<int>(settings.polygonsLeftOut->size()) &&
          (*settings.polygonsLeftOut)[cell[j]] != 0) {
        continue;
      }
      if (hidden != nullptr && (*hidden)[j]) continue;
      const model::IndexList& polygon = polygons[cell[j]];
      const Vec3& q1 = p[polygon[0]];
      const Vec3& q2 = p[polygon[1]];
      const Vec3& q3 = p[polygon[2]];
      sink->normal(faceNormal(q1, q2, q3, eye));
      drawPolygon(polygon, p, offset, sink);
    }
  }
}

}  // namespace

bool cellDrawn(const model::Model& m, const view4d::Transform4& view, const DrawSettings& settings,
               int c) {
  if (!settings.allCells && !(view.apply(3, (*m.cellNormals)[c]) > 0.0)) return false;
  if (settings.leftOut != nullptr && c < static_cast<int>(settings.leftOut->size()) &&
      (*settings.leftOut)[c] != 0) {
    return false;
  }
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
  // A solid cell hides its own polygons that face away, unless the clip plane opens it.
  // Only the orthographic view keeps cells flat-sided and convex; the tool's other
  // projections bend them.
  const bool skip =
      settings.skipHidden && settings.clip == 0 && typeid(view) == typeid(view4d::OrthoProjector);
  walkCells(m, view, eye, settings, projected, sink, drawSolidPolygon, skip);
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
