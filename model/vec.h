// Small value types for points and directions in four- and three-space.
#pragma once

#include <cmath>

namespace orvex::model {

/// A point or direction in four-space; default (0, 0, 0, 0).
struct Vec4 {
  double x = 0.0, y = 0.0, z = 0.0, w = 0.0;

  constexpr Vec4() = default;
  constexpr Vec4(double x_, double y_, double z_, double w_) : x(x_), y(y_), z(z_), w(w_) {}

  /// Coordinate k, 0..3 for x, y, z, w. No range check.
  double& operator[](int k) { return (&x)[k]; }
  double operator[](int k) const { return (&x)[k]; }

  /// Multiplies every coordinate by r in place and yields this vector.
  Vec4& scale(double r) {
    x *= r;
    y *= r;
    z *= r;
    w *= r;
    return *this;
  }
};

inline double dot(const Vec4& p, const Vec4& q) {
  return p.x * q.x + p.y * q.y + p.z * q.z + p.w * q.w;
}
inline Vec4 operator+(const Vec4& a, const Vec4& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
inline Vec4 operator-(const Vec4& a, const Vec4& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}
inline Vec4 operator*(double s, const Vec4& v) { return {s * v.x, s * v.y, s * v.z, s * v.w}; }
inline double length(const Vec4& v) { return std::sqrt(dot(v, v)); }

/// A point or direction in three-space; default (0, 0, 0).
struct Vec3 {
  double x = 0.0, y = 0.0, z = 0.0;

  constexpr Vec3() = default;
  constexpr Vec3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

  void set(double x_, double y_, double z_) {
    x = x_;
    y = y_;
    z = z_;
  }
  /// The three coordinates as a contiguous array, for the double-vector GL calls.
  const double* data() const { return &x; }
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(double s, const Vec3& v) { return {s * v.x, s * v.y, s * v.z}; }
inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

}  // namespace orvex::model
