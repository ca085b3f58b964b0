#include "polytope/uniformity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "polytope/geometry.h"

namespace orvex::polytope {
namespace {

struct Spread {
  double relative = 0.0, median = 0.0;
  size_t worst = 0;  // index of the value farthest from the median
};

Spread spreadOf(const std::vector<double>& values) {
  Spread s;
  if (values.empty()) return s;
  std::vector<double> sorted = values;
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  s.median = sorted[sorted.size() / 2];
  auto [lo, hi] = std::minmax_element(values.begin(), values.end());
  s.relative = *hi > 0.0 ? (*hi - *lo) / *hi : 0.0;
  for (size_t i = 0; i < values.size(); ++i) {
    if (std::fabs(values[i] - s.median) > std::fabs(values[s.worst] - s.median)) s.worst = i;
  }
  return s;
}

std::string real(double v, const char* format = "%.15g") {
  char text[32];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

}  // namespace

bool checkUniform(const std::vector<Vec4>& vertices, const std::vector<std::vector<int>>& polygons,
                  double tolerance, UniformSpread* spread, std::string* error) {
  const Vec4 centre = centroid(vertices);
  std::vector<double> radii;
  for (const Vec4& v : vertices) radii.push_back(length(v - centre));
  // Each edge is seen once from each of its polygons; both sightings agree, so no dedup.
  std::vector<double> lengths;
  std::vector<std::pair<int, int>> edges;
  for (const auto& polygon : polygons) {
    for (size_t i = 0; i < polygon.size(); ++i) {
      int a = polygon[i], b = polygon[(i + 1) % polygon.size()];
      edges.push_back({std::min(a, b), std::max(a, b)});
      lengths.push_back(length(vertices[a] - vertices[b]));
    }
  }
  const Spread r = spreadOf(radii), e = spreadOf(lengths);
  if (spread) *spread = {e.relative, r.relative};
  const std::string limit = " (limit " + real(tolerance, "%.0e") + ")";
  // Written so that a NaN spread fails too.
  if (!(r.relative <= tolerance)) {
    *error = "vertex " + std::to_string(r.worst) + " lies " + real(radii[r.worst]) +
             " from the centre against " + real(r.median) + " for the median: radii spread " +
             real(r.relative, "%.1e") + limit;
    return false;
  }
  if (!(e.relative <= tolerance)) {
    const auto [a, b] = edges[e.worst];
    *error = "edge " + std::to_string(a) + "-" + std::to_string(b) + " has length " +
             real(lengths[e.worst]) + " against " + real(e.median) +
             " for the median: edge lengths spread " + real(e.relative, "%.1e") + limit;
    return false;
  }
  return true;
}

}  // namespace orvex::polytope
