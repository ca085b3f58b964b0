// orvex-render's picture against the real viewer's window: the same model, settings and
// turn must give the same pixels, up to the rasteriser's edge differences.
#include <gtest/gtest.h>

#include "tests/gui/viewer_fixture.h"
#include "tools/render/image_diff.h"
#include "tools/render/png_io.h"

namespace orvex::gui_test {
namespace {

class ViewerMatchGuiTest : public ViewerGuiTest {
 protected:
  // orvex-render run in the test's working directory, so it reads the same orvex.cfg.
  offscreen::RgbImage rendered(std::vector<std::string> args) {
    const std::string png = workDir() + "/expected.png";
    args.insert(args.begin(), ORVEX_RENDER_BIN);
    args.insert(args.end(), {"-o", png});
    ChildOptions options;
    options.workingDir = workDir();
    options.stderrPath = workDir() + "/render.err";
    options.env = {{"ASAN_OPTIONS", "detect_leaks=0"}};
    std::string error;
    EXPECT_EQ(runToCompletion(args, options, Clock::now() + kPatience, &error), 0) << error;
    offscreen::RgbImage image;
    EXPECT_TRUE(offscreen::readPng(png, &image, &error)) << error;
    return image;
  }

  // The window moved to the screen's corner, so that all of it can be read.
  void moveOnScreen(const Viewer& viewer) {
    ASSERT_TRUE(xdotool({"windowmove", "--sync", std::to_string(viewer.window), "0", "0"}));
  }

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

  // The whole window as RGB rows, or an empty image while part of it is off screen.
  static offscreen::RgbImage asRgb(const Image& image) {
    offscreen::RgbImage rgb;
    const int w = image.windowWidth(), h = image.windowHeight();
    if (!image.contains(0, 0) || !image.contains(w - 1, h - 1)) return rgb;
    rgb.width = w;
    rgb.height = h;
    rgb.pixels.reserve(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const Rgb c = image.at(x, y);
        rgb.pixels.insert(rgb.pixels.end(), {static_cast<std::uint8_t>(c.r),
                                             static_cast<std::uint8_t>(c.g),
                                             static_cast<std::uint8_t>(c.b)});
      }
    }
    return rgb;
  }
};

TEST_F(ViewerMatchGuiTest, StartUpPictureEqualsOrvexRender) {
  writeConfig("Width 240\n");
  const offscreen::RgbImage expected = rendered({"c8"});
  Viewer& viewer = launchWindow({"c8", "-n", "match"}, "match");
  ASSERT_NE(viewer.window, 0u);
  moveOnScreen(viewer);
  const offscreen::ImageDifference d = waitForMatch(viewer, expected);
  EXPECT_TRUE(offscreen::picturesAgree(d)) << d.describe();
}

TEST_F(ViewerMatchGuiTest, TurnAndRepeatReproduceADragEventByEvent) {
  const std::vector<std::string> firstMove{"c120", "-h", "--turn", "0,0,0,-0.1,-0.05,0"};
  const offscreen::RgbImage afterFirst = rendered(firstMove);
  std::vector<std::string> manyMoves = firstMove;
  manyMoves.insert(manyMoves.end(), {"--turn", "0,0,0,0.01,0.005,0", "--repeat", "60"});
  const offscreen::RgbImage afterMany = rendered(manyMoves);
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
