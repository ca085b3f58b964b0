#include "view4d/projections.h"

#include <gtest/gtest.h>

#include <cmath>
#include <typeinfo>

namespace orvex::view4d {
namespace {

void expectNear(const view4d::Vec3& got, double x, double y, double z) {
  EXPECT_NEAR(got.x, x, 1e-12);
  EXPECT_NEAR(got.y, y, 1e-12);
  EXPECT_NEAR(got.z, z, 1e-12);
}

TEST(StereographicProjectorTest, MapsTheFacingHalfOfTheSphereIntoTheUnitBall) {
  StereographicProjector s;
  expectNear(s.project({0, 0, 0, 1}), 0, 0, 0);    // the near pole is the centre
  expectNear(s.project({1, 0, 0, 0}), 1, 0, 0);    // the equator stays on the unit sphere
  expectNear(s.project({0, 0.6, 0, 0.8}), 0, 0.6 / 1.8, 0);
  // Points are put on the sphere first.
  expectNear(s.project({0, 0, 3, 4}), 0, 0, 0.6 / 1.8);
  // The far pole must not divide by zero.
  expectNear(s.project({0, 0, 0, -1}), 0, 0, 0);
  expectNear(s.project({0, 0, 0, 0}), 0, 0, 0);

  // A quarter turn in xw brings x onto the viewing axis.
  view4d::PlaneAngles xw;
  xw[3] = std::acos(-1.0) / 2;
  view4d::OrthoProjector rotation;
  rotation.rotate(xw);
  assignView(rotation, 3.0, &s);
  EXPECT_NEAR(s.apply(3, {1, 0, 0, 0}), 1.0, 1e-12);
  expectNear(s.project({1, 0, 0, 0}), 0, 0, 0);
}

TEST(AssignViewTest, PerspectiveEyeTurnsWithTheViewAndMagnifiesTheNearSide) {
  std::unique_ptr<view4d::Transform4> view = makeView(Projection::kPerspective);
  auto* perspective = dynamic_cast<view4d::PerspectiveProjector*>(view.get());
  ASSERT_NE(perspective, nullptr);
  view4d::OrthoProjector rotation;
  view4d::PlaneAngles turn;
  turn[3] = 0.4;
  turn[4] = -0.3;
  turn[1] = 0.2;
  rotation.rotate(turn);
  assignView(rotation, 3.0, view.get());
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) EXPECT_EQ(view->data[i][j], rotation.data[j][i]);
  }
  EXPECT_NEAR(view->apply(3, perspective->eye4), 3.0, 1e-12);
  // A point at view depth w is scaled by 3 / (3 - w) about the centre.
  const view4d::Vec4 p(0.3, -0.2, 0.5, 0.7);
  const double w = view->apply(3, p);
  const view4d::Vec3 got = view->project(p);
  const double scale = 3.0 / (3.0 - w);
  EXPECT_NEAR(got.x, scale * view->apply(0, p), 1e-12);
  EXPECT_NEAR(got.y, scale * view->apply(1, p), 1e-12);
  EXPECT_NEAR(got.z, scale * view->apply(2, p), 1e-12);

  const auto angle = makeView(Projection::kAngle);
  const auto ortho = makeView(Projection::kOrtho);
  EXPECT_EQ(typeid(*angle), typeid(view4d::AngleProjector));
  EXPECT_EQ(typeid(*ortho), typeid(view4d::OrthoProjector));
}

}  // namespace
}  // namespace orvex::view4d
