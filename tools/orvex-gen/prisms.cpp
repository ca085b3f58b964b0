#include "tools/orvex-gen/prisms.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/orvex-gen/geometry.h"
#include "tools/orvex-gen/model_check.h"
#include "tools/orvex-gen/point_sets.h"

namespace orvex::gen {
namespace {

// The sizes the tools accept at most, whatever the margin.
constexpr int kLargestSize = 1000;

// For a regular n-gon: the drop from its edge's support value to the next corners,
// per unit circumradius.
double polygonGap(int n) { return std::cos(M_PI / n) - std::cos(3 * M_PI / n); }

// The largest n from 3 up whose margin holds, every smaller one holding too; 2 if none.
int largestHolding(const std::function<double(int)>& margin) {
  int n = 3;
  while (n <= kLargestSize && margin(n) >= kLibraryMargin) ++n;
  return n - 1;
}

std::string tooFine(const std::string& what, double margin, const std::string& limit) {
  return what + " is too fine for the viewer: a vertex would lie only " + shortReal(margin) +
         " from a cell it is not on (" + shortReal(kLibraryMargin) + " needed); " + limit;
}

// The antiprism's 2n corners: top ring (even numbers) and bottom ring (odd), turned by
// half a step, at heights that make every edge of length 1.
std::vector<Vec4> antiprismCorners(int n) {
  const double r = 0.5 / std::sin(M_PI / n);
  const double h = 0.5 * std::sqrt(1.0 - 2.0 * r * r * (1.0 - std::cos(M_PI / n)));
  std::vector<Vec4> corners;
  for (int i = 0; i < n; ++i) {
    corners.emplace_back(r * std::cos(2 * M_PI * i / n), r * std::sin(2 * M_PI * i / n), h, 0);
    corners.emplace_back(r * std::cos(2 * M_PI * (i + 0.5) / n),
                         r * std::sin(2 * M_PI * (i + 0.5) / n), -h, 0);
  }
  return corners;
}

// The outward normal of the plane through three corners of a solid centred at the origin.
Vec4 outwardNormal(const Vec4& a, const Vec4& b, const Vec4& c) {
  const Vec4 u = b - a, v = c - a;
  Vec4 n(u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x, 0);
  n = (1.0 / length(n)) * n;
  return dot(n, a) < 0 ? -1.0 * n : n;
}

struct AntiprismPrism {
  Polytope polytope;
  std::vector<int> representatives;  // one cell of each kind, for the margin
};

AntiprismPrism buildAntiprismPrism(int n) {
  const std::vector<Vec4> corners = antiprismCorners(n);
  const int m = 2 * n;
  auto top = [&](int i) { return 2 * (i % n); };
  auto bottom = [&](int i) { return 2 * (i % n) + 1; };
  AntiprismPrism result;
  Polytope& p = result.polytope;
  for (double w : {-0.5, 0.5}) {
    for (const Vec4& c : corners) p.vertices.emplace_back(c.x, c.y, c.z, w);
  }
  // The antiprism's faces: two n-gons and 2n triangles, each triangle with its normal.
  std::vector<std::vector<int>> faces;
  std::vector<int> topRing, bottomRing;
  for (int i = 0; i < n; ++i) {
    topRing.push_back(top(i));
    bottomRing.push_back(bottom(i));
  }
  faces.push_back(topRing);
  faces.push_back(bottomRing);
  for (int i = 0; i < n; ++i) {
    faces.push_back({top(i), top(i + 1), bottom(i)});
    faces.push_back({bottom(i), bottom(i + 1), top(i + 1)});
  }
  for (int layer = 0; layer < 2; ++layer) {
    for (const auto& face : faces) {
      std::vector<int> polygon;
      for (int v : face) polygon.push_back(layer * m + v);
      p.polygons.push_back(polygon);
    }
  }
  // Each antiprism edge swept along the segment.
  std::vector<std::pair<int, int>> edges;
  for (int i = 0; i < n; ++i) {
    edges.push_back({top(i), top(i + 1)});
    edges.push_back({bottom(i), bottom(i + 1)});
    edges.push_back({top(i), bottom(i)});
    edges.push_back({bottom(i), top(i + 1)});
  }
  for (auto [a, b] : edges) p.polygons.push_back({a, b, m + b, m + a});

  auto addCell = [&](const Vec4& normal, std::vector<int> vertices) {
    std::sort(vertices.begin(), vertices.end());
    p.normals.push_back(normal);
    p.cellVertices.push_back(std::move(vertices));
  };
  std::vector<int> all[2];
  for (int v = 0; v < m; ++v) {
    all[0].push_back(v);
    all[1].push_back(m + v);
  }
  result.representatives.push_back(p.cells());
  addCell(Vec4(0, 0, 0, -1), all[0]);
  addCell(Vec4(0, 0, 0, 1), all[1]);
  result.representatives.push_back(p.cells());
  for (size_t f = 0; f < faces.size(); ++f) {
    if (f == 2 || f == 3) result.representatives.push_back(p.cells());
    const auto& face = faces[f];
    std::vector<int> both;
    for (int v : face) {
      both.push_back(v);
      both.push_back(m + v);
    }
    Vec4 normal = f < 2 ? Vec4(0, 0, f == 0 ? 1 : -1, 0)
                        : outwardNormal(corners[face[0]], corners[face[1]], corners[face[2]]);
    addCell(normal, both);
  }
  return result;
}

// The margin of the given cells of a polytope whose vertices all lie at one distance
// from the origin, as they do here: the viewer scales that distance to 1.
double marginOf(const Polytope& p, const std::vector<int>& cells) {
  const double radius = length(p.vertices[0]);
  double smallest = INFINITY;
  for (int c : cells) {
    const Vec4& n = p.normals[c];
    double h = -INFINITY, next = -INFINITY;
    for (const Vec4& v : p.vertices) h = std::max(h, dot(n, v));
    for (const Vec4& v : p.vertices) {
      const double d = dot(n, v);
      if (h - d > 1e-9 * radius) next = std::max(next, d);
    }
    smallest = std::min(smallest, (h - next) / radius);
  }
  return smallest;
}

}  // namespace

double duoprismMargin(int p, int q) {
  const double a = 0.5 / std::sin(M_PI / p), b = 0.5 / std::sin(M_PI / q);
  return std::min(a * polygonGap(p), b * polygonGap(q)) / std::hypot(a, b);
}

double antiprismPrismMargin(int n) {
  const AntiprismPrism built = buildAntiprismPrism(n);
  return marginOf(built.polytope, built.representatives);
}

bool duoprism(int p, int q, Polytope* out, std::string* error) {
  const double margin = duoprismMargin(p, q);
  if (margin < kLibraryMargin) {
    const std::string what = "duoprism " + std::to_string(p) + " " + std::to_string(q);
    std::string limit;
    const int largestQ = largestHolding([p](int k) { return duoprismMargin(p, k); });
    const int largestP = largestHolding([q](int k) { return duoprismMargin(k, q); });
    if (largestQ >= 3) {
      limit = "with P = " + std::to_string(p) + ", Q can be at most " + std::to_string(largestQ);
    } else if (largestP >= 3) {
      limit = "with Q = " + std::to_string(q) + ", P can be at most " + std::to_string(largestP);
    } else {
      const int largest = largestHolding([](int k) { return duoprismMargin(k, 3); });
      limit = "no size works with P = " + std::to_string(p) + " or Q = " + std::to_string(q) +
              " (each can be at most " + std::to_string(largest) + ", with the other 3)";
    }
    *error = tooFine(what, margin, limit);
    return false;
  }
  Polytope result;
  result.vertices = duoprismPoints(p, q);
  auto at = [q](int i, int j) { return i * q + j; };
  for (int i = 0; i < p; ++i) {
    for (int j = 0; j < q; ++j) {
      const int i1 = (i + 1) % p, j1 = (j + 1) % q;
      result.polygons.push_back({at(i, j), at(i1, j), at(i1, j1), at(i, j1)});
    }
  }
  for (int i = 0; i < p; ++i) {
    std::vector<int> qGon;
    for (int j = 0; j < q; ++j) qGon.push_back(at(i, j));
    result.polygons.push_back(qGon);
  }
  for (int j = 0; j < q; ++j) {
    std::vector<int> pGon;
    for (int i = 0; i < p; ++i) pGon.push_back(at(i, j));
    result.polygons.push_back(pGon);
  }
  // A cell is one edge of either polygon times the whole other polygon; its normal
  // points through the middle of that edge.
  for (int i = 0; i < p; ++i) {
    const double angle = 2 * M_PI * (i + 0.5) / p;
    std::vector<int> vertices;
    for (int k : {i, (i + 1) % p}) {
      for (int j = 0; j < q; ++j) vertices.push_back(at(k, j));
    }
    std::sort(vertices.begin(), vertices.end());
    result.normals.emplace_back(std::cos(angle), std::sin(angle), 0, 0);
    result.cellVertices.push_back(vertices);
  }
  for (int j = 0; j < q; ++j) {
    const double angle = 2 * M_PI * (j + 0.5) / q;
    std::vector<int> vertices;
    for (int i = 0; i < p; ++i) {
      for (int k : {j, (j + 1) % q}) vertices.push_back(at(i, k));
    }
    std::sort(vertices.begin(), vertices.end());
    result.normals.emplace_back(0, 0, std::cos(angle), std::sin(angle));
    result.cellVertices.push_back(vertices);
  }
  *out = std::move(result);
  return true;
}

bool antiprismPrism(int n, Polytope* out, std::string* error) {
  AntiprismPrism built = buildAntiprismPrism(n);
  const double margin = marginOf(built.polytope, built.representatives);
  if (margin < kLibraryMargin) {
    const int largest = largestHolding(antiprismPrismMargin);
    *error = tooFine("antiprism-prism " + std::to_string(n), margin,
                     "P can be at most " + std::to_string(largest));
    return false;
  }
  *out = std::move(built.polytope);
  return true;
}

}  // namespace orvex::gen
