#include "polytope/prisms.h"

#include <algorithm>
#include <cmath>

#include "polytope/geometry.h"
#include "polytope/point_sets.h"

namespace orvex::polytope {
namespace {

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

// The antiprism's corners around the top ring and around the bottom ring, i counted
// modulo n.
int topCorner(int i, int n) { return 2 * (i % n); }
int bottomCorner(int i, int n) { return 2 * (i % n) + 1; }

// The antiprism's faces: two n-gons and 2n triangles, in corner numbers.
std::vector<std::vector<int>> antiprismFaces(int n) {
  std::vector<std::vector<int>> faces;
  std::vector<int> topRing, bottomRing;
  for (int i = 0; i < n; ++i) {
    topRing.push_back(topCorner(i, n));
    bottomRing.push_back(bottomCorner(i, n));
  }
  faces.push_back(topRing);
  faces.push_back(bottomRing);
  for (int i = 0; i < n; ++i) {
    faces.push_back({topCorner(i, n), topCorner(i + 1, n), bottomCorner(i, n)});
    faces.push_back({bottomCorner(i, n), bottomCorner(i + 1, n), topCorner(i + 1, n)});
  }
  return faces;
}

std::vector<std::pair<int, int>> antiprismEdges(int n) {
  std::vector<std::pair<int, int>> edges;
  for (int i = 0; i < n; ++i) {
    edges.push_back({topCorner(i, n), topCorner(i + 1, n)});
    edges.push_back({bottomCorner(i, n), bottomCorner(i + 1, n)});
    edges.push_back({topCorner(i, n), bottomCorner(i, n)});
    edges.push_back({bottomCorner(i, n), topCorner(i + 1, n)});
  }
  return edges;
}

// The cells: the two antiprisms (w = -1/2, then w = 1/2), then each face swept along
// the segment, a prism with the face's normal.
void addAntiprismPrismCells(const std::vector<Vec4>& corners,
                            const std::vector<std::vector<int>>& faces, Polytope* p) {
  const int m = static_cast<int>(corners.size());
  auto addCell = [p](const Vec4& normal, std::vector<int> vertices) {
    std::sort(vertices.begin(), vertices.end());
    p->normals.push_back(normal);
    p->cellVertices.push_back(std::move(vertices));
  };
  std::vector<int> all[2];
  for (int v = 0; v < m; ++v) {
    all[0].push_back(v);
    all[1].push_back(m + v);
  }
  addCell(Vec4(0, 0, 0, -1), all[0]);
  addCell(Vec4(0, 0, 0, 1), all[1]);
  for (size_t f = 0; f < faces.size(); ++f) {
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
}

Polytope buildAntiprismPrism(int n) {
  const std::vector<Vec4> corners = antiprismCorners(n);
  const int m = 2 * n;
  Polytope p;
  for (double w : {-0.5, 0.5}) {
    for (const Vec4& c : corners) p.vertices.emplace_back(c.x, c.y, c.z, w);
  }
  const std::vector<std::vector<int>> faces = antiprismFaces(n);
  for (int layer = 0; layer < 2; ++layer) {
    for (const auto& face : faces) {
      std::vector<int> polygon;
      for (int v : face) polygon.push_back(layer * m + v);
      p.polygons.push_back(polygon);
    }
  }
  // Each antiprism edge swept along the segment.
  for (auto [a, b] : antiprismEdges(n)) p.polygons.push_back({a, b, m + b, m + a});
  addAntiprismPrismCells(corners, faces, &p);
  return p;
}

}  // namespace

bool duoprism(int p, int q, Polytope* out, std::string*) {
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

bool antiprismPrism(int n, Polytope* out, std::string*) {
  *out = buildAntiprismPrism(n);
  return true;
}

}  // namespace orvex::polytope
