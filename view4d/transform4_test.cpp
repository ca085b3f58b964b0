#include "view4d/transform4.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvex::view4d {
namespace {

constexpr double kHalfPi = 1.5707963267948966;

void expectVec4Near(const Vec4& v, double x, double y, double z, double w) {
  EXPECT_NEAR(v.x, x, 1e-15);
  EXPECT_NEAR(v.y, y, 1e-15);
  EXPECT_NEAR(v.z, z, 1e-15);
  EXPECT_NEAR(v.w, w, 1e-15);
}

TEST(PlaneRotationTest, ZeroSlotsLeaveTheVectorBitForBit) {
  Vec4 v(0.1, -0.2, 0.3, 1e-300);
  rotate(v, PlaneAngles());
  EXPECT_EQ(v.x, 0.1);
  EXPECT_EQ(v.y, -0.2);
  EXPECT_EQ(v.z, 0.3);
  EXPECT_EQ(v.w, 1e-300);
}

TEST(PlaneRotationTest, EachSlotTurnsItsFirstAxisTowardsItsSecondOnly) {
  const int axes[6][2] = {{0, 1}, {0, 2}, {1, 2}, {0, 3}, {1, 3}, {2, 3}};
  const double a = 0.3;
  for (int s = 0; s < 6; ++s) {
    const int j = axes[s][0], i = axes[s][1];
    Vec4 v(1.0, 2.0, 3.0, 4.0);
    const Vec4 before = v;
    PlaneAngles angles;
    angles[s] = a;
    rotate(v, angles);
    // Both new values from the values before the slot.
    EXPECT_EQ(v[i], std::cos(a) * before[i] + std::sin(a) * before[j]) << "slot " << s;
    EXPECT_EQ(v[j], std::cos(a) * before[j] - std::sin(a) * before[i]) << "slot " << s;
    for (int k = 0; k < 4; ++k) {
      if (k != i && k != j) {
        EXPECT_EQ(v[k], before[k]) << "slot " << s << " axis " << k;
      }
    }
  }
  Vec4 x(1, 0, 0, 0);
  PlaneAngles xy;
  xy[0] = a;
  rotate(x, xy);
  expectVec4Near(x, std::cos(a), std::sin(a), 0, 0);
}

TEST(PlaneRotationTest, LaterSlotsTurnWhatEarlierSlotsTurned) {
  Vec4 v(1, 0, 0, 0);
  PlaneAngles angles;
  angles[1] = kHalfPi;
  angles[2] = kHalfPi;
  rotate(v, angles);
  // x goes to z in slot 1, then z to -y in slot 2.
  expectVec4Near(v, 0, -1, 0, 0);
}

TEST(Transform4Test, RotatingTheIdentityGivesRowsWhoseTransposeIsTheSlotMatrix) {
  OrthoProjector t;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) EXPECT_EQ(t[i][j], i == j ? 1.0 : 0.0);
  }
  EXPECT_EQ(t.count, 4);
  PlaneAngles angles;
  angles[3] = 0.25;  // xw
  t.rotate(angles);
  OrthoProjector view;
  view.assignTranspose(t);
  // The view maps x to (cos a, 0, 0, sin a), the slot's own turn of the x axis.
  Vec4 x(1, 0, 0, 0);
  rotate(x, angles);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(view.apply(k, Vec4(1, 0, 0, 0)), x[k]);
}

TEST(Transform4Test, AssignTransposeMirrorsSixteenDistinctEntriesExactly) {
  OrthoProjector source, target;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) source[i][j] = 1.0 / (3.0 + i * 4 + j);
  }
  target.assignTranspose(source);
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      EXPECT_EQ(target[i][j], source[j][i]);
      EXPECT_EQ(source[i][j], 1.0 / (3.0 + i * 4 + j));
    }
  }
}

TEST(ProjectorTest, OrthoPerspectiveAndAngleGiveTheirDocumentedValues) {
  OrthoProjector ortho;
  Vec3 p = ortho.project(Vec4(1, 2, 3, 4));
  EXPECT_EQ(p.x, 1.0);
  EXPECT_EQ(p.y, 2.0);
  EXPECT_EQ(p.z, 3.0);

  PerspectiveProjector perspective;
  p = perspective.project(Vec4(0, 0, 0, 0));
  EXPECT_EQ(p.x, 0.0);
  EXPECT_EQ(p.z, 0.0);
  p = perspective.project(Vec4(1, 2, 3, 0.5));
  EXPECT_DOUBLE_EQ(p.x, 2.0);
  EXPECT_DOUBLE_EQ(p.y, 4.0);
  EXPECT_DOUBLE_EQ(p.z, 6.0);

  AngleProjector angle;
  p = angle.project(Vec4(1, 0, 0, 0));
  EXPECT_EQ(p.x, kHalfPi);
  EXPECT_EQ(p.y, kHalfPi);
  EXPECT_EQ(p.z, kHalfPi);
  p = angle.project(Vec4(0, 1, 0, 1));
  EXPECT_EQ(p.x, 0.0);
  EXPECT_EQ(p.y, 0.0);
  EXPECT_DOUBLE_EQ(p.z, kHalfPi / 2);
  // Below the threshold the fallback is +π/2 whatever the numerator's sign.
  p = angle.project(Vec4(-1, 0.000009, 0, 1));
  EXPECT_EQ(p.x, kHalfPi);
  p = angle.project(Vec4(-1, 0.00001, 0, 1));
  EXPECT_LT(p.x, 0.0);
}

}  // namespace
}  // namespace orvex::view4d
