// orvex-render's picture against the real viewer's window: the same model, settings and
// turn must give the same pixels, up to the rasteriser's edge differences.
#include <gtest/gtest.h>

#include "tests/gui/viewer_fixture.h"
#include "offscreen/image_diff.h"

namespace orvex::gui_test {
namespace {

class ViewerMatchGuiTest : public ViewerGuiTest {
 protected:
  // Waits until the window shows the expected picture; the last comparison on failure.
  offscreen::ImageDifference waitForMatch(Viewer& viewer, const offscreen::RgbImage& expected) {
    offscreen::ImageDifference last;
    waitForImage(
        viewer,
        [&](const Image& image) {
          const offscreen::RgbImage shot = asRgb(image);
          if (shot.pixels.empty()) return false;
          last = offscreen::compareImages(shot, expected, 8);
          return offscreen::picturesAgree(last);
        },
        "the picture orvex-render draws");
    return last;
  }
};

TEST_F(ViewerMatchGuiTest, StartUpPictureEqualsOrvexRender) {
  writeConfig("Width 240\n");
  const offscreen::RgbImage expected = rendered({"c8"}, "expected.png");
  Viewer& viewer = launchWindow({"c8", "-n", "match"}, "match");
  ASSERT_NE(viewer.window, 0u);
  moveOnScreen(viewer);
  const offscreen::ImageDifference d = waitForMatch(viewer, expected);
  EXPECT_TRUE(offscreen::picturesAgree(d)) << d.describe();
}

TEST_F(ViewerMatchGuiTest, TurnAndRepeatReproduceADragEventByEvent) {
  const std::vector<std::string> firstMove{"c120", "-h", "--turn", "0,0,0,-0.1,-0.05,0"};
  const offscreen::RgbImage afterFirst = rendered(firstMove, "expected.png");
  std::vector<std::string> manyMoves = firstMove;
  manyMoves.insert(manyMoves.end(), {"--turn", "0,0,0,0.01,0.005,0", "--repeat", "60"});
  const offscreen::RgbImage afterMany = rendered(manyMoves, "expected.png");
  Viewer& viewer = launchWindow({"c120", "-h", "-n", "match"}, "match");
  ASSERT_NE(viewer.window, 0u);
  moveOnScreen(viewer);
  // Right button held after one move of (+20, -10) pixels: one xw/yw increment, no spin.
  ASSERT_TRUE(xdotool({"mousemove", "150", "150", "mousedown", "3", "mousemove", "170", "140"}));
  offscreen::ImageDifference d = waitForMatch(viewer, afterFirst);
  EXPECT_TRUE(offscreen::picturesAgree(d)) << d.describe();

  // 60 moves of (-2, +1) sent in one burst, faster than this model's frames: however many
  // reach a frame together, each must turn by its own step. One step more or less moves
  // thousands of this picture's pixels.
  std::vector<std::string> burst;
  for (int i = 1; i <= 60; ++i) {
    burst.insert(burst.end(), {"mousemove", std::to_string(170 - 2 * i), std::to_string(140 + i)});
  }
  ASSERT_TRUE(xdotool(burst));
  d = waitForMatch(viewer, afterMany);
  EXPECT_TRUE(offscreen::picturesAgree(d)) << d.describe();
  EXPECT_TRUE(xdotool({"mouseup", "3"}));
}

}  // namespace
}  // namespace orvex::gui_test
