#include "polytope/point_sets.h"

#include <algorithm>
#include <cmath>

#include "polytope/geometry.h"

namespace orvex::polytope {
namespace {

const double kPhi = (1.0 + std::sqrt(5.0)) / 2.0;

// Each polyhedron vertex twice, at w = ±(half the shortest edge): a uniform prism.
std::vector<Vec4> prismOver(const std::vector<Vec4>& solid) {
  double shortest = INFINITY;
  for (size_t i = 0; i < solid.size(); ++i) {
    for (size_t j = i + 1; j < solid.size(); ++j)
      shortest = std::min(shortest, length(solid[i] - solid[j]));
  }
  std::vector<Vec4> points;
  for (double w : {-shortest / 2, shortest / 2}) {
    for (const Vec4& p : solid) points.emplace_back(p.x, p.y, p.z, w);
  }
  return points;
}

// The permutations of (0 1 2) and (0 1 2 3) with their parity.
const int kPerm3[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {1, 0, 2}, {0, 2, 1}, {2, 1, 0}};

bool isEvenPermutation4(const int p[4]) {
  int inversions = 0;
  for (int i = 0; i < 4; ++i) {
    for (int j = i + 1; j < 4; ++j) inversions += p[i] > p[j];
  }
  return inversions % 2 == 0;
}

// Every even permutation of base in four coordinates, with every sign pattern on its
// nonzero entries.
void addEvenPermutations4(const double base[4], double scale, std::vector<Vec4>* out) {
  int p[4] = {0, 1, 2, 3};
  do {
    if (!isEvenPermutation4(p)) continue;
    for (int signs = 0; signs < 16; ++signs) {
      Vec4 v;
      bool duplicate = false;
      for (int k = 0; k < 4; ++k) {
        double x = base[p[k]];
        bool minus = (signs >> k) & 1;
        if (x == 0.0 && minus) duplicate = true;
        v[k] = scale * (minus ? -x : x);
      }
      if (!duplicate) out->push_back(v);
    }
  } while (std::next_permutation(p, p + 4));
}

std::vector<Vec4> snubCube() {
  // t is the tribonacci constant, the real root of t³ = t² + t + 1.
  double t = 1.8;
  for (int i = 0; i < 60; ++i) t -= (t * t * t - t * t - t - 1) / (3 * t * t - 2 * t - 1);
  const double base[3] = {1.0, 1.0 / t, t};
  std::vector<Vec4> points;
  for (int perm = 0; perm < 6; ++perm) {
    bool even = perm < 3;
    for (int signs = 0; signs < 8; ++signs) {
      int plus = 3 - __builtin_popcount(signs);
      // Even permutations with an even number of plus signs, odd ones with an odd number.
      if ((plus % 2 == 0) != even) continue;
      Vec4 v;
      for (int k = 0; k < 3; ++k) v[k] = ((signs >> k) & 1 ? -1 : 1) * base[kPerm3[perm][k]];
      points.push_back(v);
    }
  }
  return points;
}

std::vector<Vec4> snubDodecahedron() {
  // xi is the real root of xi³ - 2 xi = phi.
  double xi = 1.7;
  for (int i = 0; i < 60; ++i) xi -= (xi * xi * xi - 2 * xi - kPhi) / (3 * xi * xi - 2);
  const double a = xi - 1 / xi, b = xi * kPhi + kPhi * kPhi + kPhi / xi, f = kPhi;
  const double bases[5][3] = {
      {2 * a, 2, 2 * b},
      {a + b / f + f, -a * f + b + 1 / f, a / f + b * f - 1},
      {a + b / f - f, a * f - b + 1 / f, a / f + b * f + 1},
      {-a / f + b * f + 1, -a + b / f - f, a * f + b - 1 / f},
      {-a / f + b * f - 1, a - b / f - f, a * f + b + 1 / f},
  };
  // One chirality throughout: even permutations with an even number of plus signs. The
  // five triples all have length 2·sqrt(a² + 1 + b²) only with these signs of f.
  std::vector<Vec4> points;
  for (const auto& base : bases) {
    for (int perm = 0; perm < 3; ++perm) {
      for (int signs = 0; signs < 8; ++signs) {
        if ((3 - __builtin_popcount(signs)) % 2 != 0) continue;
        Vec4 v;
        for (int k = 0; k < 3; ++k) v[k] = ((signs >> k) & 1 ? -1 : 1) * base[kPerm3[perm][k]];
        points.push_back(v);
      }
    }
  }
  return points;
}

}  // namespace

std::vector<Vec4> duoprismPoints(int p, int q) {
  const double a = 0.5 / std::sin(M_PI / p), b = 0.5 / std::sin(M_PI / q);
  std::vector<Vec4> points;
  for (int i = 0; i < p; ++i) {
    for (int j = 0; j < q; ++j) {
      points.emplace_back(a * std::cos(2 * M_PI * i / p), a * std::sin(2 * M_PI * i / p),
                          b * std::cos(2 * M_PI * j / q), b * std::sin(2 * M_PI * j / q));
    }
  }
  return points;
}

std::vector<Vec4> cell600Points() {
  std::vector<Vec4> points;
  const double unit[4] = {1, 0, 0, 0};
  for (int k = 0; k < 4; ++k) {
    for (double s : {-1.0, 1.0}) {
      Vec4 v;
      v[k] = s * unit[0];
      points.push_back(v);
    }
  }
  for (int signs = 0; signs < 16; ++signs) {
    Vec4 v;
    for (int k = 0; k < 4; ++k) v[k] = (signs >> k) & 1 ? -0.5 : 0.5;
    points.push_back(v);
  }
  const double base[4] = {kPhi, 1.0, 1.0 / kPhi, 0.0};
  addEvenPermutations4(base, 0.5, &points);
  return points;
}

bool namedPoints(const std::string& name, std::vector<Vec4>* points) {
  if (name == "snub-24-cell") {
    const double base[4] = {0.0, 1.0, kPhi, kPhi * kPhi};
    points->clear();
    addEvenPermutations4(base, 1.0, points);
    return true;
  }
  if (name == "grand-antiprism") {
    // Two great decagons in completely orthogonal planes: the one through (1,0,0,0) and
    // its neighbour (phi, 1, 1/phi, 0)/2, and the one in the orthogonal plane.
    const Vec4 a(1, 0, 0, 0);
    Vec4 b = Vec4(0, 1, 1 / kPhi, 0);
    b = (1.0 / length(b)) * b;
    points->clear();
    for (const Vec4& v : cell600Points()) {
      Vec4 inPlane = dot(v, a) * a + dot(v, b) * b;
      bool onFirst = length(v - inPlane) < 1e-9, onSecond = length(inPlane) < 1e-9;
      if (!onFirst && !onSecond) points->push_back(v);
    }
    return true;
  }
  if (name == "snub-cubic-prism") {
    *points = prismOver(snubCube());
    return true;
  }
  if (name == "snub-dodecahedral-prism") {
    *points = prismOver(snubDodecahedron());
    return true;
  }
  return false;
}

std::string namedPointSets() {
  return "snub-24-cell, grand-antiprism, snub-cubic-prism, snub-dodecahedral-prism";
}

}  // namespace orvex::polytope
