#include "polytope/geometry.h"

#include <algorithm>
#include <cmath>

namespace orvex::polytope {

void symmetricEigen(const double m[4][4], double values[4], Vec4 vectors[4]) {
  double a[4][4], v[4][4];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      a[i][j] = m[i][j];
      v[i][j] = i == j ? 1.0 : 0.0;
    }
  }
  // Cyclic Jacobi: for a 4×4 matrix a handful of sweeps reaches full precision.
  for (int sweep = 0; sweep < 50; ++sweep) {
    double off = 0.0;
    for (int p = 0; p < 4; ++p) {
      for (int q = p + 1; q < 4; ++q) off += a[p][q] * a[p][q];
    }
    if (off < 1e-300) break;
    for (int p = 0; p < 4; ++p) {
      for (int q = p + 1; q < 4; ++q) {
        if (a[p][q] == 0.0) continue;
        double theta = (a[q][q] - a[p][p]) / (2.0 * a[p][q]);
        double t = (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
        double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
        for (int k = 0; k < 4; ++k) {
          double akp = a[k][p], akq = a[k][q];
          a[k][p] = c * akp - s * akq;
          a[k][q] = s * akp + c * akq;
        }
        for (int k = 0; k < 4; ++k) {
          double apk = a[p][k], aqk = a[q][k];
          a[p][k] = c * apk - s * aqk;
          a[q][k] = s * apk + c * aqk;
        }
        for (int k = 0; k < 4; ++k) {
          double vkp = v[k][p], vkq = v[k][q];
          v[k][p] = c * vkp - s * vkq;
          v[k][q] = s * vkp + c * vkq;
        }
      }
    }
  }
  int order[4] = {0, 1, 2, 3};
  std::sort(order, order + 4, [&](int i, int j) { return a[i][i] < a[j][j]; });
  for (int r = 0; r < 4; ++r) {
    int i = order[r];
    values[r] = a[i][i];
    vectors[r] = Vec4(v[0][i], v[1][i], v[2][i], v[3][i]);
  }
}

Vec4 centroid(const std::vector<Vec4>& points) {
  Vec4 c;
  if (points.empty()) return c;
  // Offsets from the first point, summed with compensation: points far from the origin
  // (1e15 away, a unit apart) keep their centre to the last bit instead of losing it to
  // the size of a plain sum.
  const Vec4& base = points[0];
  for (int k = 0; k < 4; ++k) {
    double sum = 0.0, carry = 0.0;
    for (const Vec4& p : points) {
      const double d = p[k] - base[k];
      const double t = sum + d;
      carry += std::fabs(sum) >= std::fabs(d) ? (sum - t) + d : (d - t) + sum;
      sum = t;
    }
    c[k] = base[k] + (sum + carry) / static_cast<double>(points.size());
  }
  return c;
}

void principalAxes(const std::vector<Vec4>& points, double values[4], Vec4 axes[4]) {
  Vec4 c = centroid(points);
  double m[4][4] = {};
  for (const Vec4& p : points) {
    Vec4 d = p - c;
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) m[i][j] += d[i] * d[j];
    }
  }
  symmetricEigen(m, values, axes);
}

int affineRank(const std::vector<Vec4>& points, double tolerance) {
  if (points.empty()) return -1;
  // Greedy Gram-Schmidt on the offsets from the first point: a direction counts when
  // some point sticks out of the span found so far by more than the tolerance.
  std::vector<Vec4> basis;
  std::vector<Vec4> rest;
  for (const Vec4& p : points) rest.push_back(p - points[0]);
  while (basis.size() < 4) {
    double best = tolerance;
    int bestIndex = -1;
    for (size_t i = 0; i < rest.size(); ++i) {
      double n = length(rest[i]);
      if (n > best) {
        best = n;
        bestIndex = static_cast<int>(i);
      }
    }
    if (bestIndex < 0) break;
    Vec4 e = (1.0 / best) * rest[bestIndex];
    basis.push_back(e);
    for (Vec4& r : rest) r = r - dot(r, e) * e;
  }
  return static_cast<int>(basis.size());
}

int linearRank(const std::vector<Vec4>& directions, double tolerance) {
  double m[4][4] = {};
  for (const Vec4& d : directions) {
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) m[i][j] += d[i] * d[j];
    }
  }
  double values[4];
  Vec4 vectors[4];
  symmetricEigen(m, values, vectors);
  int rank = 0;
  for (double v : values) {
    if (v > tolerance * tolerance) ++rank;
  }
  return rank;
}

size_t PointIndex::KeyHash::operator()(const Key& k) const {
  uint64_t h = 1469598103934665603ull;
  for (int64_t c : k.c) {
    h ^= static_cast<uint64_t>(c) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
  }
  return static_cast<size_t>(h);
}

int64_t PointIndex::step(double v) const {
  return static_cast<int64_t>(std::floor(v / (4.0 * cellSize_)));
}

int PointIndex::find(const Vec4& p) const {
  // Grid cells four cell sizes wide: a twin lies in the cells the window p ± the cell size
  // overlaps, one or two along each axis, so most lookups probe a handful of cells. The
  // window is widened a hair so rounding in the division cannot leave a twin's cell out.
  int64_t lo[4], hi[4];
  for (int i = 0; i < 4; ++i) {
    lo[i] = step(p[i] - 1.01 * cellSize_);
    hi[i] = step(p[i] + 1.01 * cellSize_);
  }
  Key k;
  for (k.c[0] = lo[0]; k.c[0] <= hi[0]; ++k.c[0]) {
    for (k.c[1] = lo[1]; k.c[1] <= hi[1]; ++k.c[1]) {
      for (k.c[2] = lo[2]; k.c[2] <= hi[2]; ++k.c[2]) {
        for (k.c[3] = lo[3]; k.c[3] <= hi[3]; ++k.c[3]) {
          auto it = last_.find(k);
          if (it == last_.end()) continue;
          for (int e = it->second; e >= 0; e = entries_[e].next) {
            const Vec4 d = entries_[e].p - p;
            if (std::fabs(d.x) < cellSize_ && std::fabs(d.y) < cellSize_ &&
                std::fabs(d.z) < cellSize_ && std::fabs(d.w) < cellSize_) {
              return entries_[e].number;
            }
          }
        }
      }
    }
  }
  return -1;
}

int PointIndex::findOrAdd(const Vec4& p, int next) {
  int found = find(p);
  if (found >= 0) return found;
  const Key k{{step(p.x), step(p.y), step(p.z), step(p.w)}};
  auto [it, added] = last_.emplace(k, -1);
  entries_.push_back({p, next, it->second});
  it->second = static_cast<int>(entries_.size()) - 1;
  return -1;
}

}  // namespace orvex::polytope
