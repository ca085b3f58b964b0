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

// The working state the phases of one cut share.
struct Cut {
  const model::Model& m;
  const view4d::Transform4& view;
  double w;
  std::vector<Vec3> position;     // first three view coordinates of each vertex
  std::vector<double> height;     // fourth view coordinate of each vertex
  double scale = 0.0;             // the largest vertex length
  std::vector<signed char> side;  // each vertex above (1), on (0) or below (-1)
  std::vector<int> vertexPoint;   // the section point of each vertex on the hyperplane
  // Per polygon, its section points in boundary order: polygonPoints from
  // polygonStart[f] to polygonStart[f + 1].
  std::vector<int> polygonStart, polygonPoints;
  std::vector<char> polygonInPlane, cellInPlane;
};

void placeVertices(Cut* cut) {
  const model::Vec4Table& vertices = *cut->m.vertices;
  cut->position.resize(vertices.count);
  cut->height.resize(vertices.count);
  double largest = 0.0;
  for (int v = 0; v < vertices.count; ++v) {
    const Vec4& p = vertices[v];
    cut->position[v] = {cut->view.apply(0, p), cut->view.apply(1, p), cut->view.apply(2, p)};
    cut->height[v] = cut->view.apply(3, p);
    largest = std::max(largest, model::dot(p, p));
  }
  cut->scale = std::sqrt(largest);
}

// The vertices the hyperplane passes through: none, or one whole level. Judging each
// vertex against a band around the hyperplane would give sign patterns no plane can have
// (a polygon nearly parallel to it, half in the band); moving the plane onto the nearest
// vertex within the tolerance keeps it a true plane. Heights meant to be equal differ by
// the rounding of the turn that made them (a turn typed to nine digits leaves about
// 1e-10), so the vertices whose heights lie within kSectionRounding of each other, link
// by link, are one level, and the plane through one of them passes through them all.
std::vector<char> verticesOnThePlane(Cut* cut) {
  const int count = static_cast<int>(cut->height.size());
  std::vector<char> on(count, 0);
  int nearest = -1;
  double nearestGap = std::numeric_limits<double>::infinity();
  for (int v = 0; v < count; ++v) {
    const double gap = std::abs(cut->height[v] - cut->w);
    if (gap < nearestGap) {
      nearestGap = gap;
      nearest = v;
    }
  }
  if (nearest < 0 || !(nearestGap <= kSectionTolerance * cut->scale)) return on;
  cut->w = cut->height[nearest];
  std::vector<int> byHeight(count);
  for (int v = 0; v < count; ++v) byHeight[v] = v;
  std::sort(byHeight.begin(), byHeight.end(),
            [&](int a, int b) { return cut->height[a] < cut->height[b]; });
  const double link = kSectionRounding * cut->scale;
  const int at =
      static_cast<int>(std::find(byHeight.begin(), byHeight.end(), nearest) - byHeight.begin());
  int low = at, high = at;
  while (low > 0 && cut->height[byHeight[low]] - cut->height[byHeight[low - 1]] <= link) --low;
  while (high + 1 < count &&
         cut->height[byHeight[high + 1]] - cut->height[byHeight[high]] <= link) {
    ++high;
  }
  for (int k = low; k <= high; ++k) on[byHeight[k]] = 1;
  return on;
}

// Each vertex is judged once, so every polygon and cell through it agrees.
void judgeVertices(Cut* cut, Section* s) {
  const std::vector<char> on = verticesOnThePlane(cut);
  const int count = static_cast<int>(on.size());
  cut->side.assign(count, 0);
  cut->vertexPoint.assign(count, -1);
  for (int v = 0; v < count; ++v) {
    if (on[v]) {
      cut->vertexPoint[v] = static_cast<int>(s->points.size());
      s->points.push_back(cut->position[v]);
    } else {
      cut->side[v] = cut->height[v] > cut->w ? 1 : -1;
    }
  }
}

// Per polygon, its points in boundary order: the vertices on the hyperplane and the
// edges crossing it. Consecutive points bound the section's edges.
void cutPolygons(Cut* cut, Section* s) {
  const model::IndexListArray& polygons = *cut->m.polygons;
  std::unordered_map<std::uint64_t, int> edgePoint;
  auto crossingPoint = [&](int a, int b) {
    const auto found = edgePoint.find(pairKey(a, b));
    if (found != edgePoint.end()) return found->second;
    if (a > b) std::swap(a, b);  // the same arithmetic whichever polygon asks first
    const double t = (cut->w - cut->height[a]) / (cut->height[b] - cut->height[a]);
    const int id = static_cast<int>(s->points.size());
    s->points.push_back(cut->position[a] + t * (cut->position[b] - cut->position[a]));
    edgePoint.emplace(pairKey(a, b), id);
    return id;
  };
  const std::vector<signed char>& side = cut->side;
  std::vector<int>& points = cut->polygonPoints;
  cut->polygonStart.assign(polygons.count + 1, 0);
  cut->polygonInPlane.assign(polygons.count, 0);
  std::unordered_set<std::uint64_t> edgeSeen;
  for (int f = 0; f < polygons.count; ++f) {
    const model::IndexList& polygon = polygons[f];
    const int count = polygon.count;
    const size_t start = points.size();
    bool allOn = true;
    for (int i = 0; i < count; ++i) {
      const int a = polygon[i], b = polygon[(i + 1) % count];
      if (side[a] == 0) points.push_back(cut->vertexPoint[a]);
      if (side[a] * side[b] < 0) points.push_back(crossingPoint(a, b));
      allOn = allOn && side[a] == 0;
    }
    cut->polygonInPlane[f] = allOn;
    const size_t found = points.size() - start;
    for (size_t i = 0; found >= 2 && i < found; ++i) {
      const int a = points[start + i], b = points[start + (i + 1) % found];
      if (a != b && edgeSeen.insert(pairKey(a, b)).second) {
        s->edges.emplace_back(std::min(a, b), std::max(a, b));
      }
    }
    cut->polygonStart[f + 1] = static_cast<int>(points.size());
  }
}

// Cells crossing the hyperplane strictly are cut through their inside: their section
// is a polygon. A cell merely touching it gives a vertex, an edge or one of its own
// polygons, which are kept once, as themselves.
void cutCells(Cut* cut, Section* s) {
  const model::IndexListArray& cellVertices = *cut->m.cellVertices;
  const model::IndexListArray& cellPolygons = *cut->m.cellPolygons;
  std::vector<int> seenBy(s->points.size(), -1);
  cut->cellInPlane.assign(cellPolygons.count, 0);
  for (int c = 0; c < cellPolygons.count; ++c) {
    bool above = false, below = false;
    const model::IndexList& cv = cellVertices[c];
    for (int i = 0; i < cv.count; ++i) {
      above = above || cut->side[cv[i]] > 0;
      below = below || cut->side[cv[i]] < 0;
    }
    cut->cellInPlane[c] = !above && !below && cv.count > 0;
    if (!(above && below)) continue;
    Section::Face face;
    face.cell = c;
    const model::IndexList& cell = cellPolygons[c];
    for (int j = 0; j < cell.count; ++j) {
      for (int k = cut->polygonStart[cell[j]]; k < cut->polygonStart[cell[j] + 1]; ++k) {
        const int point = cut->polygonPoints[k];
        if (seenBy[point] == c) continue;
        seenBy[point] = c;
        face.corners.push_back(point);
      }
    }
    if (face.corners.size() < 3) continue;
    const Vec4& n = (*cut->m.cellNormals)[c];
    const view4d::Transform4& view = cut->view;
    orderAround(s->points, {view.apply(0, n), view.apply(1, n), view.apply(2, n)}, &face.corners);
    // A cell crossed strictly has a section of some area, however small near a vertex;
    // dropping a small one would open the solid. Only a face with no area at all goes.
    if (!(polygonArea(s->points, face.corners) > 0.0)) continue;
    s->faces.push_back(std::move(face));
  }
}

// A polygon in the hyperplane is the section of the cell beside it that is not itself
// in the hyperplane (or of either, when the hyperplane only touches it).
void keepPolygonsInPlane(const Cut& cut, Section* s) {
  const std::vector<char>& inPlane = cut.polygonInPlane;
  if (std::find(inPlane.begin(), inPlane.end(), 1) == inPlane.end()) return;
  const model::IndexListArray& polygons = *cut.m.polygons;
  const model::IndexListArray& cellPolygons = *cut.m.cellPolygons;
  std::vector<int> sectionOf(polygons.count, -1);
  for (int c = 0; c < cellPolygons.count; ++c) {
    if (cut.cellInPlane[c]) continue;
    const model::IndexList& cell = cellPolygons[c];
    for (int j = 0; j < cell.count; ++j) {
      if (sectionOf[cell[j]] < 0) sectionOf[cell[j]] = c;
    }
  }
  for (int f = 0; f < polygons.count; ++f) {
    if (!inPlane[f] || sectionOf[f] < 0) continue;
    Section::Face face;
    face.cell = sectionOf[f];
    const model::IndexList& polygon = polygons[f];
    for (int i = 0; i < polygon.count; ++i) face.corners.push_back(cut.vertexPoint[polygon[i]]);
    if (!(polygonArea(s->points, face.corners) > 0.0)) continue;
    s->faces.push_back(std::move(face));
  }
}

}  // namespace

Section computeSection(const model::Model& m, const view4d::Transform4& view, double w) {
  Section s;
  Cut cut{m, view, w, {}, {}, 0.0, {}, {}, {}, {}, {}, {}};
  placeVertices(&cut);
  judgeVertices(&cut, &s);
  cutPolygons(&cut, &s);
  cutCells(&cut, &s);
  keepPolygonsInPlane(cut, &s);
  return s;
}

}  // namespace orvex::render
