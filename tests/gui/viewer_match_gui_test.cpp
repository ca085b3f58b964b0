// orvex-render's picture against the real viewer's window: the same model, settings and
// turn must give the same pixels, every one of them.
#include <gtest/gtest.h>

#include <iostream>
#include <iterator>
#include <random>
#include <sstream>
#include <thread>

#include "tests/gui/viewer_fixture.h"
#include "offscreen/image_diff.h"

namespace orvex::gui_test {
namespace {

class ViewerMatchGuiTest : public ViewerGuiTest {
 protected:
  // Waits until the window shows exactly expected and returns 0. Otherwise, once the
  // window has held one drawn picture for three seconds, returns how many pixels it
  // differs in (-1: in size) and saves both as <test>-<label>.ppm and .png.
  long waitForPixels(Viewer& viewer, const offscreen::RgbImage& expected,
                     const std::string& label) {
    const auto deadline = Clock::now() + kPatience;
    Image last;
    auto steadySince = Clock::now();
    for (;;) {
      Image shot = x().capture(viewer.window);
      const offscreen::ImageDifference d = offscreen::compareImages(asRgb(shot), expected, 0);
      if (d.sameSize && d.differingPixels == 0) return 0;
      if (shot != last || !drawn(shot)) steadySince = Clock::now();
      last = std::move(shot);
      if (Clock::now() - steadySince > std::chrono::seconds(3) || Clock::now() >= deadline ||
          !viewer.process.running()) {
        saveForInspection(last, label);
        std::string error;
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        offscreen::writePng(std::string(ORVEX_GUI_OUTPUT_DIR) + "/" + name + "-" + label + ".png",
                            expected, &error);
        return d.sameSize ? d.differingPixels : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
  }

 private:
  // A frame has been drawn once some pixel shows the cleared grey; before it the window
  // shows the black root.
  static bool drawn(const Image& image) {
    for (int y = 0; y < image.windowHeight(); ++y) {
      for (int x = 0; x < image.windowWidth(); ++x) {
        if (image.contains(x, y) && isBackground(image.at(x, y))) return true;
      }
    }
    return false;
  }
};

TEST_F(ViewerMatchGuiTest, StartUpPictureEqualsOrvexRender) {
  writeConfig("Width 240\n");
  const offscreen::RgbImage expected = rendered({"c8"}, "expected.png");
  Viewer& viewer = launchWindow({"c8", "-n", "match"}, "match");
  ASSERT_NE(viewer.window, 0u);
  moveOnScreen(viewer);
  EXPECT_EQ(waitForPixels(viewer, expected, "start-up"), 0);
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
  EXPECT_EQ(waitForPixels(viewer, afterFirst, "first-move"), 0);

  // 60 moves of (-2, +1) sent in one burst, faster than this model's frames: however many
  // reach a frame together, each must turn by its own step. One step more or less moves
  // thousands of this picture's pixels.
  std::vector<std::string> burst;
  for (int i = 1; i <= 60; ++i) {
    burst.insert(burst.end(), {"mousemove", std::to_string(170 - 2 * i), std::to_string(140 + i)});
  }
  ASSERT_TRUE(xdotool(burst));
  EXPECT_EQ(waitForPixels(viewer, afterMany, "burst"), 0);
  EXPECT_TRUE(xdotool({"mouseup", "3"}));
}


// Random settings, seeded: every first frame and one drag step from it, drawn by the
// viewer in its window and by orvex-render offscreen, must be the same to the pixel.
// Model, Width, fill, ExtendRate in [-3, 3], hidePoly and the clip plane vary; the first
// case is the start-up view the README shows.
TEST_F(ViewerMatchGuiTest, RandomSettingsGiveTheSamePixels) {
  std::mt19937 random(25);
  // From the generator's raw output, which the standard fixes, not a distribution's.
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto real = [&](double low, double high) {
    return low + (high - low) * (random() / 4294967296.0);
  };
  const char* const models[] = {"c5",
                                "c8",
                                "c16",
                                "c24",
                                "c120",
                                "dual-runcitruncated-tesseract",
                                "cantellated-tesseract",
                                "antiprismatic-prism-5",
                                "bitruncated-5-cell"};
  const int fillTypes[] = {0, 1, 2, -1}, clips[] = {0, 0, 1, 2, -1}, hidden[] = {0, 0, 0, 4, 6, 8};
  constexpr int kCases = 24;
  int differing = 0;
  for (int k = 0; k < kCases; ++k) {
    std::ostringstream config;
    config.precision(17);
    std::string model = "dual-runcitruncated-tesseract";
    int width = 368;
    if (k > 0) {
      model = models[pick(std::size(models))];
      width = 48 + pick(280);
      const int clip = clips[pick(std::size(clips))];
      config << "FillType " << fillTypes[pick(std::size(fillTypes))] << "\n"
             << "ExtendRate " << real(-3.0, 3.0) << "\n"
             << "hidePoly " << hidden[pick(std::size(hidden))] << "\n"
             << "Clip " << clip << "\n";
      if (clip != 0) {
        config << "ClipPlane " << real(-1.0, 1.0) << " " << real(-1.0, 1.0) << " "
               << real(-1.0, 1.0) << " " << real(-0.5, 0.5) << "\n";
      }
    }
    config << "Width " << width << "\n";
    const int button = pick(2) == 0 ? 1 : 3, dx = pick(41) - 20, dy = pick(41) - 20;
    SCOPED_TRACE("case " + std::to_string(k) + ": " + model + "\n" + config.str());
    writeConfig(config.str());

    // One motion event of a drag turns by one increment, as --turn does.
    std::ostringstream turn;
    turn.precision(17);
    const double a = -0.005 * dx, b = 0.005 * dy;
    turn << (button == 1 ? "0," : "0,0,0,") << a << "," << b << (button == 1 ? ",0,0,0" : ",0");
    const offscreen::RgbImage first = rendered({model}, "first.png");
    const offscreen::RgbImage dragged = rendered({model, "--turn", turn.str()}, "dragged.png");

    Viewer& viewer = launchWindow({model, "-n", "random"}, "random");
    ASSERT_NE(viewer.window, 0u);
    moveOnScreen(viewer);
    long d = waitForPixels(viewer, first, "case" + std::to_string(k) + "-first");
    differing += d != 0;
    EXPECT_EQ(d, 0) << "the first frame";
    const std::string window = std::to_string(viewer.window), pressed = std::to_string(button);
    ASSERT_TRUE(xdotool({"mousemove", "--window", window, std::to_string(width / 2),
                         std::to_string(width / 2), "mousedown", pressed, "mousemove", "--window",
                         window, std::to_string(width / 2 + dx), std::to_string(width / 2 + dy)}));
    d = waitForPixels(viewer, dragged, "case" + std::to_string(k) + "-dragged");
    differing += d != 0;
    EXPECT_EQ(d, 0) << "after one drag step of " << dx << ", " << dy << " with button " << button;
    ASSERT_TRUE(xdotool({"mouseup", pressed}));
  }
  std::cout << differing << " of " << 2 * kCases << " pictures differ\n";
}

}  // namespace
}  // namespace orvex::gui_test
