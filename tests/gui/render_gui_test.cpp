// What the viewer draws, read back from its window: the first frame of c8, the frame
// style, the clip plane and hidePoly, each set through orvex.cfg or a switch.
#include <cmath>

#include "tests/gui/viewer_fixture.h"

namespace orvex::gui_test {
namespace {

using RenderGuiTest = ViewerGuiTest;

// The front face of the cube cell, lit head-on: the cube colour (1, 0.8, 0.4) under the
// light from (-4, 4, 4) (diffuse 0.577, ambient 0.25, a trace of specular), then 40 %
// fog grey at eye distance 3.
constexpr Rgb kFrontFace{189, 164, 113};
constexpr int kShadeTolerance = 4;

// 0.5 unit at eye distance 3, 40 degree field of view, 300 px window.
constexpr double kHalfSquare = 150 * 0.5 / (3.0 * 0.36397);  // 68.7 px

bool isFrontFace(const Rgb& c) { return near(c, kFrontFace, kShadeTolerance); }

TEST_F(RenderGuiTest, FirstFrameShowsOneCubeFaceOnInTheCentre) {
  Viewer& viewer = launchWindow({}, "noname");
  ASSERT_NE(viewer.window, 0u);
  const Image frame = firstFrame(viewer);
  EXPECT_PRED1(isFrontFace, frame.at(150, 150)) << toString(frame.at(150, 150));

  // One square, centred, as wide as it is high.
  const auto row = frame.drawnRunsInRow(150);
  const auto column = frame.drawnRunsInColumn(150);
  ASSERT_EQ(row.size(), 1u);
  ASSERT_EQ(column.size(), 1u);
  for (const auto& run : {row[0], column[0]}) {
    EXPECT_NEAR(run.second - run.first + 1, 2 * kHalfSquare, 2.0);
    EXPECT_NEAR((run.first + run.second) / 2.0, 149.5, 1.5);
  }

  // Inside, one flat colour; outside, only background.
  const int inner = static_cast<int>(kHalfSquare) - 3, outer = static_cast<int>(kHalfSquare) + 3;
  int wrongInside = 0, wrongOutside = 0;
  for (int y = 2; y < 298; ++y) {
    for (int x = 2; x < 298; ++x) {
      const int d = std::max(std::abs(x - 150), std::abs(y - 150));
      if (d <= inner && !isFrontFace(frame.at(x, y))) ++wrongInside;
      if (d >= outer && !isBackground(frame.at(x, y))) ++wrongOutside;
    }
  }
  EXPECT_EQ(wrongInside, 0);
  EXPECT_EQ(wrongOutside, 0);
  if (HasFailure()) saveForInspection(frame, "first");
}

TEST_F(RenderGuiTest, FrameStyleShowsTheBackgroundThroughOpenCentres) {
  Viewer& framed = launchWindow({"-h", "-n", "framed"}, "framed");
  ASSERT_NE(framed.window, 0u);
  const Image frame = firstFrame(framed);
  // Through the front face's opening and the back face's one behind it.
  for (Point p : {Point{150, 150}, Point{130, 150}, Point{170, 150}, Point{150, 130}}) {
    EXPECT_PRED1(isBackground, frame.at(p.x, p.y)) << "at " << p.x << "," << p.y;
  }
  // The band is the outer 0.35 of the face: from 0.65 to 1 of its half-width.
  const int band = static_cast<int>(std::lround(kHalfSquare * 0.825));
  for (Point p : {Point{150 - band, 150}, Point{150 + band, 150}, Point{150, 150 - band},
                  Point{150, 150 + band}, Point{150 - band, 150 - band}}) {
    EXPECT_PRED1(isFrontFace, frame.at(p.x, p.y))
        << "at " << p.x << "," << p.y << ": " << toString(frame.at(p.x, p.y));
  }
  if (HasFailure()) saveForInspection(frame, "framed");

  // FillType 1 in the file is the same style; -s on the command line overrides it, and
  // any other FillType is solid.
  writeConfig("FillType 1\n");
  Viewer& fromFile = launchWindow({"-n", "fromfile"}, "fromfile");
  ASSERT_NE(fromFile.window, 0u);
  EXPECT_TRUE(firstFrame(fromFile) == frame);

  Viewer& overridden = launchWindow({"-s", "-n", "overridden"}, "overridden");
  ASSERT_NE(overridden.window, 0u);
  EXPECT_PRED1(isFrontFace, firstFrame(overridden).at(150, 150));

  writeConfig("FillType 2\n");
  Viewer& other = launchWindow({"-n", "other"}, "other");
  ASSERT_NE(other.window, 0u);
  EXPECT_PRED1(isFrontFace, firstFrame(other).at(150, 150));
}

TEST_F(RenderGuiTest, ClipPlaneCutsTheSceneOnlyWhenClipIsOn) {
  Viewer& plain = launchWindow({"-n", "plain"}, "plain");
  ASSERT_NE(plain.window, 0u);
  const Image unclipped = firstFrame(plain);
  const Point left{100, 150}, right{200, 150}, upperLeft{100, 100}, lowerRight{200, 200};

  // A plane alone changes nothing.
  writeConfig("ClipPlane 1 0 0 0\n");
  Viewer& off = launchWindow({"-n", "off"}, "off");
  ASSERT_NE(off.window, 0u);
  EXPECT_TRUE(firstFrame(off) == unclipped);

  // x >= 0 is kept: the left half of the cube is gone, with nothing behind it.
  writeConfig("Clip 1\nClipPlane 1 0 0 0\n");
  Viewer& halfX = launchWindow({"-n", "halfx"}, "halfx");
  ASSERT_NE(halfX.window, 0u);
  Image image = firstFrame(halfX);
  EXPECT_PRED1(isBackground, image.at(left.x, left.y));
  EXPECT_PRED1(isBackground, image.at(upperLeft.x, upperLeft.y));
  EXPECT_PRED1(isFrontFace, image.at(right.x, right.y));
  EXPECT_PRED1(isFrontFace, image.at(lowerRight.x, lowerRight.y));
  if (HasFailure()) saveForInspection(image, "halfx");

  // z >= 0 keeps the front face, so the picture is unchanged...
  writeConfig("Clip 1\nClipPlane 0 0 1 0\n");
  Viewer& front = launchWindow({"-n", "front"}, "front");
  ASSERT_NE(front.window, 0u);
  EXPECT_TRUE(firstFrame(front) == unclipped);

  // ...and z <= 0 removes it: the back face shows from inside, deeper in the fog
  // (eye distance 4: 80 % fog grey).
  writeConfig("Clip 1\nClipPlane 0 0 -1 0\n");
  Viewer& back = launchWindow({"-n", "back"}, "back");
  ASSERT_NE(back.window, 0u);
  image = firstFrame(back);
  EXPECT_TRUE(near(image.at(150, 150), Rgb{165, 157, 140}, kShadeTolerance))
      << toString(image.at(150, 150));
  if (HasFailure()) saveForInspection(image, "back");

  // -c switches on the default plane x - y - z >= 0: the upper left of the cube goes.
  writeConfig("");
  Viewer& dashC = launchWindow({"-c", "-n", "dashc"}, "dashc");
  ASSERT_NE(dashC.window, 0u);
  image = firstFrame(dashC);
  EXPECT_PRED1(isBackground, image.at(upperLeft.x, upperLeft.y));
  EXPECT_PRED1(isFrontFace, image.at(lowerRight.x, lowerRight.y));
  EXPECT_FALSE(isFrontFace(image.at(150, 150))) << "the cut passes through the centre";
  if (HasFailure()) saveForInspection(image, "dashc");
}

TEST_F(RenderGuiTest, HidePolyHidesExactlyTheCellsWithThatManyPolygons) {
  // Every cell of c8 is a cube: hiding six-polygon cells leaves only the background.
  writeConfig("hidePoly 6\n");
  Viewer& hidden = launchWindow({"-n", "hidden"}, "hidden");
  ASSERT_NE(hidden.window, 0u);
  // A window that was never drawn is not background grey, so this also waits for the frame.
  const Image empty = waitForImage(
      hidden, [](const Image& image) { return image.drawnPixels() == 0; },
      "an all-background frame");
  EXPECT_EQ(empty.drawnPixels(), 0);

  writeConfig("hidePoly 5\n");
  Viewer& shown = launchWindow({"-n", "shown"}, "shown");
  ASSERT_NE(shown.window, 0u);
  EXPECT_PRED1(isFrontFace, firstFrame(shown).at(150, 150));
}

}  // namespace
}  // namespace orvex::gui_test
