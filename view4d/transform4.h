// Four-by-four transforms held as four Vec4 rows, turning by plane angles, and the
// projections from four-space to three-space.
#pragma once

#include "model/lists.h"
#include "model/vec.h"

namespace orvex::view4d {

using model::Vec3;
using model::Vec4;

/// Six angles in radians for the planes xy, xz, yz, xw, yw, zw, in that slot order.
/// A slot of exactly 0.0 means no turn in that plane.
struct PlaneAngles {
  double a[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};

  double& operator[](int s) { return a[s]; }
  double operator[](int s) const { return a[s]; }
  /// True when every slot is exactly 0.0.
  bool isZero() const;
  void clear();
};

/// Turns v in place slot by slot; each slot turns its first axis towards its second,
/// both new values computed from the values before that slot.
void rotate(Vec4& v, const PlaneAngles& angles);

/// A Vec4Table of exactly four rows, the identity when made. Row k is row k of the matrix.
class Transform4 : public model::Vec4Table {
 public:
  Transform4();
  /// Maps a point of four-space to three-space.
  virtual Vec3 project(const Vec4& p) const = 0;

  /// Turns every row, row 0 first.
  void rotate(const PlaneAngles& angles);
  /// This becomes the transpose of source: an exact copy of the sixteen doubles.
  void assignTranspose(const Transform4& source);
  /// Coordinate of row 0..3 of the matrix applied to p.
  double apply(int row, const Vec4& p) const { return model::dot(data[row], p); }
};

/// Keeps the first three coordinates of M·p.
class OrthoProjector : public Transform4 {
 public:
  Vec3 project(const Vec4& p) const override {
    return {model::dot(data[0], p), model::dot(data[1], p), model::dot(data[2], p)};
  }
};

/// Central projection from eye4 onto the hyperplane row3·x = 0, then orthographic.
/// Undefined (division by zero) for a point with row3·p equal to row3·eye4.
class PerspectiveProjector : public OrthoProjector {
 public:
  Vec3 project(const Vec4& p) const override;
  Vec4 eye4{0.0, 0.0, 0.0, 1.0};
};

/// Three angles formed from M·p = (a, b, c, d): atan(a/b), atan(c/d) and
/// atan(sqrt((a²+b²)/(c²+d²))), each π/2 when its denominator is below 1e-5.
class AngleProjector : public Transform4 {
 public:
  Vec3 project(const Vec4& p) const override;
};

}  // namespace orvex::view4d
