#include "polytope/measures.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <numeric>

#include "polytope/model_check.h"

namespace orvex::polytope {
namespace {

using model::dot;
using model::length;

Vec4 centroidOf(const std::vector<Vec4>& points, const int* which, int count) {
  Vec4 sum;
  for (int i = 0; i < count; ++i) sum = sum + points[which[i]];
  return (1.0 / count) * sum;
}

// Twice the area of the triangle with sides a and b, from the Gram determinant, which
// holds in any dimension.
double doubleArea(const Vec4& a, const Vec4& b) {
  return std::sqrt(std::max(0.0, dot(a, a) * dot(b, b) - dot(a, b) * dot(a, b)));
}

// v with its components along the orthonormal directions removed.
Vec4 without(Vec4 v, std::initializer_list<Vec4> directions) {
  for (const Vec4& d : directions) v = v - dot(v, d) * d;
  return v;
}

Vec4 direction(const Vec4& v) { return (1.0 / length(v)) * v; }

struct PolygonShape {
  double area = 0.0;
  Vec4 centroid, e1, e2;  // the centroid of the corners and an orthonormal basis of the plane
  bool regular = false;
};

PolygonShape shapeOf(const std::vector<Vec4>& points, const model::IndexList& polygon,
                     double tolerance) {
  PolygonShape s;
  const int n = polygon.count;
  s.centroid = centroidOf(points, polygon.data.get(), n);
  // The plane from the corner farthest from the centroid and the corner farthest off
  // that line: well conditioned however the polygon is drawn.
  int far = 0;
  for (int i = 1; i < n; ++i) {
    if (length(points[polygon[i]] - s.centroid) > length(points[polygon[far]] - s.centroid)) {
      far = i;
    }
  }
  s.e1 = direction(points[polygon[far]] - s.centroid);
  Vec4 off;
  for (int i = 0; i < n; ++i) {
    const Vec4 o = without(points[polygon[i]] - s.centroid, {s.e1});
    if (length(o) > length(off)) off = o;
  }
  s.e2 = direction(off);
  double least = INFINITY, most = 0.0, shortest = INFINITY, longest = 0.0;
  for (int i = 0; i < n; ++i) {
    const Vec4 a = points[polygon[i]] - s.centroid, b = points[polygon[(i + 1) % n]] - s.centroid;
    s.area += 0.5 * doubleArea(a, b);
    least = std::min(least, length(a));
    most = std::max(most, length(a));
    shortest = std::min(shortest, length(b - a));
    longest = std::max(longest, length(b - a));
  }
  s.regular = most - least <= tolerance && longest - shortest <= tolerance;
  return s;
}

std::string cellKindOf(const model::Model& m, int c) {
  int sides[64] = {};
  int maxSides = 3;
  const model::IndexList& own = (*m.cellPolygons)[c];
  for (int i = 0; i < own.count; ++i) {
    const int k = (*m.polygons)[own[i]].count;
    if (k < 64) {
      ++sides[k];
      maxSides = std::max(maxSides, k);
    }
  }
  std::string kind = cellKindName(sides, maxSides);
  return kind.empty() ? std::to_string(own.count) + "-face" : kind;
}

// Names with their counts, most numerous first, then by name.
std::vector<std::pair<std::string, int>> byCount(const std::map<std::string, int>& counts) {
  std::vector<std::pair<std::string, int>> list(counts.begin(), counts.end());
  std::stable_sort(list.begin(), list.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  return list;
}

void findEdges(const model::Model& m, Measures* out) {
  const model::IndexListArray& polygons = *m.polygons;
  std::vector<std::pair<int, int>>& edges = out->edgeList;
  for (int f = 0; f < polygons.count; ++f) {
    const model::IndexList& p = polygons[f];
    for (int i = 0; i < p.count; ++i) {
      const int a = p[i], b = p[(i + 1) % p.count];
      edges.push_back({std::min(a, b), std::max(a, b)});
    }
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  out->polygonEdges.resize(polygons.count);
  for (int f = 0; f < polygons.count; ++f) {
    const model::IndexList& p = polygons[f];
    for (int i = 0; i < p.count; ++i) {
      const int a = p[i], b = p[(i + 1) % p.count];
      const std::pair<int, int> e{std::min(a, b), std::max(a, b)};
      out->polygonEdges[f].push_back(
          static_cast<int>(std::lower_bound(edges.begin(), edges.end(), e) - edges.begin()));
    }
  }
}

// Counts of each group of values, with the group's mean.
std::vector<ValueCount> countGroups(const std::vector<double>& values, double tolerance) {
  std::vector<double> means;
  const std::vector<int> group = groupValues(values, tolerance, &means);
  std::vector<ValueCount> counts(means.size());
  for (size_t g = 0; g < means.size(); ++g) counts[g].value = means[g];
  for (int g : group) ++counts[g].count;
  return counts;
}

void measureEdges(Measures* out, double tolerance) {
  std::vector<double> lengths;
  for (const auto& [a, b] : out->edgeList) {
    lengths.push_back(length(out->points[a] - out->points[b]));
  }
  out->edgeLengths = countGroups(lengths, tolerance);
}

void measureDihedralAngles(const model::Model& m, Measures* out, double tolerance) {
  const int F = m.polygons->count;
  out->polygonCells.assign(F, {-1, -1});
  for (int c = 0; c < m.cellPolygons->count; ++c) {
    const model::IndexList& own = (*m.cellPolygons)[c];
    for (int i = 0; i < own.count; ++i) {
      auto& pair = out->polygonCells[own[i]];
      (pair.first < 0 ? pair.first : pair.second) = c;
    }
  }
  // Keyed by the pair of kinds, then grouped by angle within each pair.
  std::map<std::pair<std::string, std::string>, std::vector<double>> angles;
  for (int f = 0; f < F; ++f) {
    const auto [a, b] = out->polygonCells[f];
    const Vec4 &na = (*m.cellNormals)[a], &nb = (*m.cellNormals)[b];
    // The angle between the normals from the half-angle formula, accurate near 0 and pi
    // where acos of the dot product is not.
    const double between = 2.0 * std::atan2(length(na - nb), length(na + nb));
    std::string ka = out->cellKindOf[a], kb = out->cellKindOf[b];
    if (kb < ka) std::swap(ka, kb);
    angles[{ka, kb}].push_back((M_PI - between) * 180.0 / M_PI);
  }
  for (const auto& [kinds, degrees] : angles) {
    for (const ValueCount& g : countGroups(degrees, tolerance)) {
      out->dihedralAngles.push_back({g.value, {kinds.first, kinds.second}, g.count});
    }
  }
  std::stable_sort(
      out->dihedralAngles.begin(), out->dihedralAngles.end(),
      [](const DihedralAngle& x, const DihedralAngle& y) { return x.degrees < y.degrees; });
}

}  // namespace

std::vector<int> groupValues(const std::vector<double>& values, double tolerance,
                             std::vector<double>* means) {
  std::vector<int> order(values.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return values[a] < values[b]; });
  std::vector<int> group(values.size());
  std::vector<double> sums;
  std::vector<int> sizes;
  for (size_t k = 0; k < order.size(); ++k) {
    if (k == 0 || values[order[k]] - values[order[k - 1]] > tolerance) {
      sums.push_back(0.0);
      sizes.push_back(0);
    }
    group[order[k]] = static_cast<int>(sums.size()) - 1;
    sums.back() += values[order[k]];
    ++sizes.back();
  }
  if (means) {
    means->resize(sums.size());
    for (size_t g = 0; g < sums.size(); ++g) (*means)[g] = sums[g] / sizes[g];
  }
  return group;
}

std::string polygonKindName(int sides, bool regular) {
  static const char* const kNames[] = {"triangle", "square",  "pentagon", "hexagon",
                                       "heptagon", "octagon", "enneagon", "decagon"};
  if (sides > 10) return std::to_string(sides) + "-gon";
  if (sides == 4 && !regular) return "quadrilateral";
  return std::string(regular ? "" : "irregular ") + kNames[sides - 3];
}

bool writtenUnit(const std::string& path, double* unit) {
  std::ifstream in(path);
  double count = 0, header = 0, v[4] = {};
  if (!(in >> count >> header >> v[0] >> v[1] >> v[2] >> v[3]) || count < 1) return false;
  *unit = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2] + v[3] * v[3]);
  return *unit > 0.0 && std::isfinite(*unit);
}

namespace {

// Each polygon's area and plane, once; the kinds of polygon counted.
std::vector<PolygonShape> measurePolygons(const model::Model& m, double tolerance,
                                          Measures* out) {
  std::vector<PolygonShape> shapes(m.polygons->count);
  std::map<std::string, int> polygonKinds;
  out->regularPolygons = true;
  for (int f = 0; f < m.polygons->count; ++f) {
    shapes[f] = shapeOf(out->points, (*m.polygons)[f], tolerance);
    out->regularPolygons = out->regularPolygons && shapes[f].regular;
    ++polygonKinds[polygonKindName((*m.polygons)[f].count, shapes[f].regular)];
  }
  out->polygonKinds = byCount(polygonKinds);
  return shapes;
}

// A cell's 3-volume is the sum of the cones from its vertex centroid over its polygons;
// the 4-volume the sum of the cones from the centre over the cells.
void measureCells(const model::Model& m, const std::vector<PolygonShape>& shapes,
                  Measures* out) {
  std::map<std::string, int> cellKinds;
  std::map<std::string, std::vector<double>> volumesOfKind;
  out->inradius = INFINITY;
  for (int c = 0; c < out->cells; ++c) {
    const model::IndexList& own = (*m.cellVertices)[c];
    const Vec4& n = (*m.cellNormals)[c];
    const Vec4 g = centroidOf(out->points, own.data.get(), own.count);
    const double height = dot(g - out->centre, n);
    double volume = 0.0;
    const model::IndexList& polygons = (*m.cellPolygons)[c];
    for (int i = 0; i < polygons.count; ++i) {
      const PolygonShape& s = shapes[polygons[i]];
      // Within the cell's hyperplane: n is unit, and near enough normal to the polygon's
      // plane that removing it after e1 and e2 leaves the distance to the plane.
      const Vec4 across = direction(without(n, {s.e1, s.e2}));
      const double distance = length(without(s.centroid - g, {s.e1, s.e2, across}));
      volume += s.area * distance / 3.0;
    }
    out->cellKindOf.push_back(cellKindOf(m, c));
    ++cellKinds[out->cellKindOf.back()];
    volumesOfKind[out->cellKindOf.back()].push_back(volume);
    out->surface += volume;
    out->volume += volume * height / 4.0;
    out->inradius = std::min(out->inradius, height);
  }
  if (out->cells == 0) out->inradius = 0.0;
  out->cellKinds = byCount(cellKinds);
  const double volumeTolerance = kSameValue * std::pow(out->circumradius, 3);
  for (const auto& [kind, volumes] : volumesOfKind) {
    for (const ValueCount& g : countGroups(volumes, volumeTolerance)) {
      out->cellVolumes.push_back({kind, g.value, g.count});
    }
  }
}

}  // namespace

Measures measureModel(const model::Model& m, double unit) {
  Measures out;
  const model::Vec4Table& loaded = *m.vertices;
  out.points.resize(loaded.count);
  for (int i = 0; i < loaded.count; ++i) out.points[i] = unit * loaded[i];
  out.vertices = loaded.count;
  out.faces = m.polygons->count;
  out.cells = m.cellNormals->count;
  std::vector<int> all(loaded.count);
  std::iota(all.begin(), all.end(), 0);
  out.centre = centroidOf(out.points, all.data(), loaded.count);
  for (const Vec4& v : out.points) {
    out.circumradius = std::max(out.circumradius, length(v - out.centre));
  }
  const double tolerance = kSameValue * out.circumradius;

  findEdges(m, &out);
  out.edges = static_cast<int>(out.edgeList.size());
  measureEdges(&out, tolerance);
  measureCells(m, measurePolygons(m, tolerance, &out), &out);
  // Angles within 1e-7 degrees are one angle: far above the rounding of 15-digit files.
  measureDihedralAngles(m, &out, 1e-7);
  return out;
}

}  // namespace orvex::polytope
