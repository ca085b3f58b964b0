#include "view4d/view_state.h"

#include <gtest/gtest.h>

namespace orvex::view4d {
namespace {

constexpr int kMiddle = 1, kRight = 2;

class ViewStateTest : public ::testing::Test {
 protected:
  OrthoProjector rotation, view;
  ViewState s{rotation, view};
  int frames = 0;
  DisplayFn display = [this] { ++frames; };

  void expectViewIsTransposeOfRotation() {
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) EXPECT_EQ(view[i][j], rotation[j][i]);
    }
  }
  bool isIdentity() {
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) {
        if (view[i][j] != (i == j ? 1.0 : 0.0)) return false;
      }
    }
    return true;
  }
};

TEST_F(ViewStateTest, AtRestIdleAndMotionDrawNothing) {
  EXPECT_FALSE(onIdle(s, display));
  onMotion(s, 50, 50, display);
  EXPECT_EQ(frames, 0);
  EXPECT_TRUE(isIdentity());
  EXPECT_TRUE(idleIsInert(s));
}

TEST_F(ViewStateTest, LeftDragTurnsXzYzAndKeepsSpinningAfterRelease) {
  onMouse(s, kLeftButton, kButtonDown, 100, 100);
  EXPECT_EQ(frames, 0);
  onMotion(s, 110, 95, display);
  EXPECT_EQ(frames, 1);
  EXPECT_EQ(s.leftAngles[1], -10 * 0.005);
  EXPECT_EQ(s.leftAngles[2], -5 * 0.005);
  EXPECT_EQ(s.leftAngles[0], 0.0);
  EXPECT_EQ(s.leftAngles[3], 0.0);
  EXPECT_EQ(s.lastX, 110);
  EXPECT_EQ(s.lastY, 95);
  expectViewIsTransposeOfRotation();

  // Held still: no spin.
  EXPECT_FALSE(onIdle(s, display));
  onMouse(s, kLeftButton, kButtonUp, 300, 300);
  EXPECT_EQ(s.lastX, 110);  // releases record nothing
  OrthoProjector expected;
  PlaneAngles increment = s.leftAngles;
  expected.rotate(increment);
  for (int n = 0; n < 3; ++n) {
    EXPECT_TRUE(onIdle(s, display));
    expected.rotate(increment);
  }
  EXPECT_EQ(frames, 4);
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) EXPECT_EQ(rotation[i][j], expected[i][j]);
  }
  expectViewIsTransposeOfRotation();

  // A press and release without motion stops the left spin and turns nothing.
  onMouse(s, kLeftButton, kButtonDown, 5, 5);
  onMouse(s, kLeftButton, kButtonUp, 5, 5);
  EXPECT_FALSE(onIdle(s, display));
  EXPECT_TRUE(s.leftAngles.isZero());
}

TEST_F(ViewStateTest, OtherButtonsShareXwYwAndIdleAppliesLeftFirst) {
  onMouse(s, kLeftButton, kButtonDown, 0, 0);
  onMotion(s, 4, 0, display);
  onMouse(s, kLeftButton, kButtonUp, 4, 0);
  onMouse(s, kMiddle, kButtonDown, 10, 10);
  // Pressing the other button pauses the left spin without clearing it.
  EXPECT_FALSE(onIdle(s, display));
  EXPECT_FALSE(s.leftAngles.isZero());
  onMotion(s, 10, 13, display);
  EXPECT_EQ(s.otherAngles[3], 0.0);
  EXPECT_EQ(s.otherAngles[4], 3 * 0.005);
  onMouse(s, kMiddle, kButtonUp, 10, 13);

  OrthoProjector expected;
  for (int k = 0; k < 4; ++k) expected[k] = rotation[k];
  expected.rotate(s.leftAngles);
  expected.rotate(s.otherAngles);
  EXPECT_TRUE(onIdle(s, display));
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) EXPECT_EQ(rotation[i][j], expected[i][j]);
  }

  // The right button drives the same set: its press clears what the middle one left.
  onMouse(s, kRight, kButtonDown, 0, 0);
  EXPECT_TRUE(s.otherAngles.isZero());
  EXPECT_FALSE(s.leftAngles.isZero());
}

TEST_F(ViewStateTest, MotionAtTheRecordedPointStillDrawsAndEndsThatSetsSpin) {
  onMouse(s, kRight, kButtonDown, 20, 20);
  onMotion(s, 25, 20, display);
  onMotion(s, 25, 20, display);
  EXPECT_EQ(frames, 2);
  EXPECT_TRUE(s.otherAngles.isZero());
  onMouse(s, kRight, kButtonUp, 25, 20);
  EXPECT_FALSE(onIdle(s, display));
}

TEST_F(ViewStateTest, ReleasingOneOfTwoHeldButtonsEndsTheDrag) {
  onMouse(s, kLeftButton, kButtonDown, 0, 0);
  onMotion(s, 2, 0, display);
  onMouse(s, kRight, kButtonDown, 2, 0);
  onMouse(s, kRight, kButtonUp, 2, 0);
  const int before = frames;
  onMotion(s, 40, 40, display);  // ignored: the last event was a release
  EXPECT_EQ(frames, before);
  EXPECT_TRUE(onIdle(s, display));  // spins the left set although left is held
}

}  // namespace
}  // namespace orvex::view4d
