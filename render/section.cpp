#include "render/section.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace orvex::render {

using model::Vec3;
using model::Vec4;

namespace {

std::uint64_t pairKey(int a, int b) {
  if (a > b) std::swap(a, b);
  return (static_cast<std::uint64_t>(a) << 32) | static_cast<std::uint32_t>(b);
}

double polygonArea(const std::vector<Vec3>& points, const std::vector<int>& corners) {
  Vec3 sum;
  const Vec3& first = points[corners[0]];
  for (size_t i = 1; i + 1 < corners.size(); ++i) {
    sum = sum + model::cross(points[corners[i]] - first, points[corners[i + 1]] - first);
  }
  return 0.5 * model::length(sum);
}

// Puts the corners of a convex face in boundary order by their angle about the centroid,
// in the plane whose normal is planeNormal.
void orderAround(const std::vector<Vec3>& points, const Vec3& planeNormal,
                 std::vector<int>* corners) {
  Vec3 centre;
  for (int c : *corners) centre = centre + points[c];
  centre = (1.0 / static_cast<double>(corners->size())) * centre;
  Vec3 u;
  double longest = -1.0;
  for (int c : *corners) {
    const Vec3 d = points[c] - centre;
    if (model::dot(d, d) > longest) {
      longest = model::dot(d, d);
      u = d;
    }
  }
  const Vec3 v = model::cross(planeNormal, u);
  std::vector<std::pair<double, int>> byAngle;
  byAngle.reserve(corners->size());
  for (int c : *corners) {
    const Vec3 d = points[c] - centre;
    byAngle.emplace_back(std::atan2(model::dot(d, v), model::dot(d, u)), c);
  }
  std::sort(byAngle.begin(), byAngle.end());
  for (size_t i = 0; i < byAngle.size(); ++i) (*corners)[i] = byAngle[i].second;
}

}  // namespace

Section computeSection(const model::Model& m, const view4d::Transform4& view, double w) {
  Section s;
  const model::Vec4Table& vertices = *m.vertices;
  const model::IndexListArray& polygons = *m.polygons;
  const model::IndexListArray& cellVertices = *m.cellVertices;
  const model::IndexListArray& cellPolygons = *m.cellPolygons;
  const int vertexCount = vertices.count;

  std::vector<Vec3> position(vertexCount);
  std::vector<double> height(vertexCount);
  double largest = 0.0;
  for (int v = 0; v < vertexCount; ++v) {
    const Vec4& p = vertices[v];
    position[v] = {view.apply(0, p), view.apply(1, p), view.apply(2, p)};
    height[v] = view.apply(3, p);
    largest = std::max(largest, model::dot(p, p));
  }
  const double scale = std::sqrt(largest);

  // Judging each vertex against a band around the hyperplane would give sign patterns no
  // plane can have (a polygon nearly parallel to it, half in the band). Moving the plane
  // onto the nearest vertex within the tolerance keeps the cut a true plane; only heights
  // equal but for rounding (the files' 15 digits, the dot product) then count as equal.
  double nearest = w, nearestGap = std::numeric_limits<double>::infinity();
  for (int v = 0; v < vertexCount; ++v) {
    const double gap = std::abs(height[v] - w);
    if (gap < nearestGap) {
      nearestGap = gap;
      nearest = height[v];
    }
  }
  if (nearestGap <= kSectionTolerance * scale) w = nearest;
  const double rounding = 1e-10 * scale;

  // Each vertex is judged once, so every polygon and cell through it agrees.
  std::vector<signed char> side(vertexCount);
  std::vector<int> vertexPoint(vertexCount, -1);
  for (int v = 0; v < vertexCount; ++v) {
    const double d = height[v] - w;
    side[v] = d > rounding ? 1 : d < -rounding ? -1 : 0;
    if (side[v] == 0) {
      vertexPoint[v] = static_cast<int>(s.points.size());
      s.points.push_back(position[v]);
    }
  }

  std::unordered_map<std::uint64_t, int> edgePoint;
  auto crossingPoint = [&](int a, int b) {
    const auto found = edgePoint.find(pairKey(a, b));
    if (found != edgePoint.end()) return found->second;
    if (a > b) std::swap(a, b);  // the same arithmetic whichever polygon asks first
    const double t = (w - height[a]) / (height[b] - height[a]);
    const int id = static_cast<int>(s.points.size());
    s.points.push_back(position[a] + t * (position[b] - position[a]));
    edgePoint.emplace(pairKey(a, b), id);
    return id;
  };

  // Per polygon, its points in boundary order: the vertices on the hyperplane and the
  // edges crossing it. Consecutive points bound the section's edges.
  std::vector<int> polygonStart(polygons.count + 1, 0);
  std::vector<int> polygonPoints;
  std::vector<char> polygonInPlane(polygons.count, 0);
  std::unordered_set<std::uint64_t> edgeSeen;
  for (int f = 0; f < polygons.count; ++f) {
    const model::IndexList& polygon = polygons[f];
    const int count = polygon.count;
    const size_t start = polygonPoints.size();
    bool allOn = true;
    for (int i = 0; i < count; ++i) {
      const int a = polygon[i], b = polygon[(i + 1) % count];
      if (side[a] == 0) polygonPoints.push_back(vertexPoint[a]);
      if (side[a] * side[b] < 0) polygonPoints.push_back(crossingPoint(a, b));
      allOn = allOn && side[a] == 0;
    }
    polygonInPlane[f] = allOn;
    const size_t found = polygonPoints.size() - start;
    for (size_t i = 0; found >= 2 && i < found; ++i) {
      const int a = polygonPoints[start + i], b = polygonPoints[start + (i + 1) % found];
      if (a != b && edgeSeen.insert(pairKey(a, b)).second) {
        s.edges.emplace_back(std::min(a, b), std::max(a, b));
      }
    }
    polygonStart[f + 1] = static_cast<int>(polygonPoints.size());
  }

  // Cells crossing the hyperplane strictly are cut through their inside: their section
  // is a polygon. A cell merely touching it gives a vertex, an edge or one of its own
  // polygons, which are kept once, as themselves.
  std::vector<int> seenBy(s.points.size(), -1);
  std::vector<char> cellInPlane(cellPolygons.count, 0);
  for (int c = 0; c < cellPolygons.count; ++c) {
    bool above = false, below = false;
    const model::IndexList& cv = cellVertices[c];
    for (int i = 0; i < cv.count; ++i) {
      above = above || side[cv[i]] > 0;
      below = below || side[cv[i]] < 0;
    }
    cellInPlane[c] = !above && !below && cv.count > 0;
    if (!(above && below)) continue;
    Section::Face face;
    face.cell = c;
    const model::IndexList& cell = cellPolygons[c];
    for (int j = 0; j < cell.count; ++j) {
      for (int k = polygonStart[cell[j]]; k < polygonStart[cell[j] + 1]; ++k) {
        const int point = polygonPoints[k];
        if (seenBy[point] == c) continue;
        seenBy[point] = c;
        face.corners.push_back(point);
      }
    }
    if (face.corners.size() < 3) continue;
    const Vec4& n = (*m.cellNormals)[c];
    orderAround(s.points, {view.apply(0, n), view.apply(1, n), view.apply(2, n)}, &face.corners);
    // A cell crossed strictly has a section of some area, however small near a vertex;
    // dropping a small one would open the solid. Only a face with no area at all goes.
    if (!(polygonArea(s.points, face.corners) > 0.0)) continue;
    s.faces.push_back(std::move(face));
  }

  if (std::find(polygonInPlane.begin(), polygonInPlane.end(), 1) != polygonInPlane.end()) {
    // A polygon in the hyperplane is the section of the cell beside it that is not
    // itself in the hyperplane (or of either, when the hyperplane only touches it).
    std::vector<int> sectionOf(polygons.count, -1);
    for (int c = 0; c < cellPolygons.count; ++c) {
      if (cellInPlane[c]) continue;
      const model::IndexList& cell = cellPolygons[c];
      for (int j = 0; j < cell.count; ++j) {
        if (sectionOf[cell[j]] < 0) sectionOf[cell[j]] = c;
      }
    }
    for (int f = 0; f < polygons.count; ++f) {
      if (!polygonInPlane[f] || sectionOf[f] < 0) continue;
      Section::Face face;
      face.cell = sectionOf[f];
      const model::IndexList& polygon = polygons[f];
      for (int i = 0; i < polygon.count; ++i) face.corners.push_back(vertexPoint[polygon[i]]);
      if (!(polygonArea(s.points, face.corners) > 0.0)) continue;
      s.faces.push_back(std::move(face));
    }
  }
  return s;
}

}  // namespace orvex::render
