#include "polytope/faces.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "polytope/geometry.h"

namespace orvex::polytope {

void orderPolygon(const std::vector<Vec4>& points, std::vector<int>* polygon) {
  std::vector<int>& p = *polygon;
  if (p.size() < 4) return;
  std::vector<Vec4> corners;
  for (int v : p) corners.push_back(points[v]);
  Vec4 c = centroid(corners);
  Vec4 e1 = corners[0] - c;
  e1 = (1.0 / length(e1)) * e1;
  // The second axis from the corner farthest off the first, for a well-conditioned frame.
  Vec4 e2;
  double best = -1.0;
  for (const Vec4& q : corners) {
    Vec4 d = q - c;
    Vec4 off = d - dot(d, e1) * e1;
    if (length(off) > best) {
      best = length(off);
      e2 = off;
    }
  }
  e2 = (1.0 / length(e2)) * e2;
  std::vector<std::pair<double, int>> byAngle;
  for (size_t i = 0; i < corners.size(); ++i) {
    Vec4 d = corners[i] - c;
    double a = std::atan2(dot(d, e2), dot(d, e1));
    if (i == 0) a = 0.0;
    if (a < 0) a += 2.0 * M_PI;
    byAngle.push_back({a, p[i]});
  }
  std::sort(byAngle.begin(), byAngle.end());
  for (size_t i = 0; i < p.size(); ++i) p[i] = byAngle[i].second;
}

namespace {

// The cells found along directions: each one's unit normal, refit to its own points, and
// its support set (point numbers, ascending), repeats dropped.
struct FoundCells {
  std::vector<Vec4> normals;
  std::vector<std::vector<int>> supports;
};

FoundCells findCells(const std::vector<Vec4>& points, const std::vector<Vec4>& directions,
                     double tol) {
  const int n = static_cast<int>(points.size());
  FoundCells found;
  std::map<std::vector<int>, int> seen;
  std::vector<double> dots(n);
  auto supportOf = [&](const Vec4& u) {
    double h = -INFINITY;
    for (int i = 0; i < n; ++i) {
      dots[i] = dot(u, points[i]);
      h = std::max(h, dots[i]);
    }
    std::vector<int> support;
    for (int i = 0; i < n; ++i) {
      if (h - dots[i] < tol) support.push_back(i);
    }
    return support;
  };
  for (const Vec4& d : directions) {
    double len = length(d);
    if (!(len > 0.0)) continue;
    Vec4 u = (1.0 / len) * d;
    std::vector<int> support = supportOf(u);
    // Refit the normal to the cell's own points, which is more accurate than the
    // direction it was found by, and take the support again along the refit.
    bool flat = false;
    for (int round = 0; round < 2; ++round) {
      std::vector<Vec4> corners;
      for (int i : support) corners.push_back(points[i]);
      flat = affineRank(corners, tol) >= 3;
      if (!flat) break;
      double values[4];
      Vec4 axes[4];
      principalAxes(corners, values, axes);
      Vec4 refit = dot(axes[0], u) < 0 ? -1.0 * axes[0] : axes[0];
      if (length(refit - u) < 1e-12) break;
      u = refit;
      support = supportOf(u);
    }
    if (!flat || !seen.emplace(support, 0).second) continue;
    found.normals.push_back(u);
    found.supports.push_back(std::move(support));
  }
  return found;
}

// The corners among points, as result's vertices in the points' order, and each cell's
// corners. A point is a corner when the normals of its cells span four-space; a point
// inside an edge, a polygon or a cell has cells whose normals all miss some direction.
void keepCorners(const std::vector<Vec4>& points, const FoundCells& found, double tolerance,
                 Polytope* result) {
  const int n = static_cast<int>(points.size());
  std::vector<std::vector<int>> pointCells(n);
  for (size_t c = 0; c < found.supports.size(); ++c) {
    for (int i : found.supports[c]) pointCells[i].push_back(static_cast<int>(c));
  }
  std::vector<int> renumber(n, -1);
  for (int i = 0; i < n; ++i) {
    std::vector<Vec4> around;
    for (int c : pointCells[i]) around.push_back(found.normals[c]);
    if (around.size() >= 4 && linearRank(around, std::max(1e-6, tolerance)) == 4) {
      renumber[i] = static_cast<int>(result->vertices.size());
      result->vertices.push_back(points[i]);
    }
  }
  result->normals = found.normals;
  for (const std::vector<int>& support : found.supports) {
    std::vector<int> own;
    for (int i : support) {
      if (renumber[i] >= 0) own.push_back(renumber[i]);
    }
    result->cellVertices.push_back(std::move(own));
  }
}

// Two cells meet in a polygon exactly when they share three or more vertices: the meet
// of two cells is a face, and a face with three vertices is no edge or vertex.
void addPolygons(Polytope* result) {
  const int cells = result->cells();
  std::vector<std::vector<int>> vertexCells(result->vertices.size());
  for (int c = 0; c < cells; ++c) {
    for (int v : result->cellVertices[c]) vertexCells[v].push_back(c);
  }
  std::vector<int> shared(cells, 0);
  std::vector<int> touched;
  for (int c = 0; c < cells; ++c) {
    touched.clear();
    for (int v : result->cellVertices[c]) {
      for (int d : vertexCells[v]) {
        if (d <= c) continue;
        if (shared[d]++ == 0) touched.push_back(d);
      }
    }
    std::sort(touched.begin(), touched.end());
    for (int d : touched) {
      if (shared[d] >= 3) {
        std::vector<int> polygon;
        std::set_intersection(result->cellVertices[c].begin(), result->cellVertices[c].end(),
                              result->cellVertices[d].begin(), result->cellVertices[d].end(),
                              std::back_inserter(polygon));
        orderPolygon(result->vertices, &polygon);
        result->polygons.push_back(std::move(polygon));
      }
      shared[d] = 0;
    }
  }
}

}  // namespace

bool buildFaces(const std::vector<Vec4>& points, const std::vector<Vec4>& directions,
                double tolerance, Polytope* out, std::string* error) {
  double scale = 0.0;
  for (const Vec4& p : points) scale = std::max(scale, length(p));
  if (!(scale > 0.0) || !std::isfinite(scale)) {
    *error = "the points are all at the origin or not finite";
    return false;
  }
  const FoundCells found = findCells(points, directions, tolerance * scale);
  if (found.normals.size() < 5) {
    *error = "the points span fewer than four dimensions";
    return false;
  }
  Polytope result;
  keepCorners(points, found, tolerance, &result);
  addPolygons(&result);
  *out = std::move(result);
  return true;
}

void normalize(Polytope* polytope) {
  std::vector<Vec4>& v = polytope->vertices;
  // A power-of-two scale first is exact, and keeps the sums and squares below from
  // overflowing or underflowing for coordinates near either end of the double range.
  double largest = 0.0;
  for (const Vec4& p : v) {
    for (int k = 0; k < 4; ++k) largest = std::max(largest, std::fabs(p[k]));
  }
  if (largest > 0.0 && std::isfinite(largest)) {
    int exponent = 0;
    std::frexp(largest, &exponent);
    for (Vec4& p : v) {
      for (int k = 0; k < 4; ++k) p[k] = std::ldexp(p[k], -exponent);
    }
  }
  // Offsets from vertex 0 first, exact for a polytope far from the origin (1e15 away,
  // 1000 across), so the centre is found and taken off to the last bit of its size.
  if (v.empty()) return;
  const Vec4 base = v[0];
  for (Vec4& p : v) p = p - base;
  Vec4 c = centroid(v);
  double r = 0.0;
  for (Vec4& p : v) {
    p = p - c;
    r = std::max(r, length(p));
  }
  if (r > 0.0) {
    for (Vec4& p : v) p = (1.0 / r) * p;
  }
}

}  // namespace orvex::polytope
