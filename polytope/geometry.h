// Small four-space linear algebra for the generator: the normal of a
// point set's best-fitting hyperplane, affine rank, and a point index that finds a
// point again by its coordinates.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/vec.h"

namespace orvex::polytope {

using model::dot;
using model::length;
using model::Vec4;

/// Eigenvalues of the symmetric 4×4 matrix m, ascending, with unit eigenvectors as the
/// matching entries of vectors.
void symmetricEigen(const double m[4][4], double values[4], Vec4 vectors[4]);

/// The centroid of points; the origin when there are none.
Vec4 centroid(const std::vector<Vec4>& points);

/// The spread of points about their centroid: eigenvalues ascending with their axes.
/// The first axis is the normal of the best-fitting hyperplane; the number of
/// eigenvalues above (tolerance)² is the affine rank.
void principalAxes(const std::vector<Vec4>& points, double values[4], Vec4 axes[4]);

/// The dimension of the affine hull of points (0..4, -1 when empty), counting only
/// directions in which some point is farther than tolerance from the hull of the rest.
int affineRank(const std::vector<Vec4>& points, double tolerance);

/// The rank of a set of directions: the number of singular values above tolerance.
int linearRank(const std::vector<Vec4>& directions, double tolerance);

/// Finds points again by their coordinates: two points closer than the cell size in
/// every coordinate count as one.
class PointIndex {
 public:
  explicit PointIndex(double cellSize) : cellSize_(cellSize) {}

  /// The number given to p or to a point within the cell size of it, -1 if none.
  int find(const Vec4& p) const;
  /// find(p), or else records p under number next and returns -1.
  int findOrAdd(const Vec4& p, int next);

 private:
  struct Key {
    int64_t c[4];
    bool operator==(const Key& o) const {
      return c[0] == o.c[0] && c[1] == o.c[1] && c[2] == o.c[2] && c[3] == o.c[3];
    }
  };
  struct KeyHash {
    size_t operator()(const Key& k) const;
  };
  // A grid cell's key for the value v, in grid steps of four cell sizes.
  int64_t step(double v) const;

  struct Entry {
    Vec4 p;
    int number, next;  // next: the entry before it in the same grid cell, or -1
  };
  double cellSize_;
  std::vector<Entry> entries_;
  std::unordered_map<Key, int, KeyHash> last_;  // each grid cell's newest entry
};

}  // namespace orvex::polytope
