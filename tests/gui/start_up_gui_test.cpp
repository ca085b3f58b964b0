// Start-up as a user meets it: window size and title, settings from orvex.cfg and the
// command line, and the one reported failure, a model that cannot be opened.
#include <sys/wait.h>

#include <climits>
#include <cstdlib>

#include "tests/gui/viewer_fixture.h"

namespace orvex::gui_test {
namespace {

using StartUpGuiTest = ViewerGuiTest;

// The front cube's face seen head-on: half a unit at eye distance 3 under a 40 degree
// field of view covers 0.5 / (3 tan 20deg) of the half-window.
double expectedSquareWidth(int windowWidth) { return windowWidth * 0.5 / (3.0 * 0.36397); }

// Width of the drawn run through the window centre, along the middle row.
int centreRowWidth(const Image& image) {
  const auto runs = image.drawnRunsInRow(image.windowHeight() / 2);
  return runs.size() == 1 ? runs[0].second - runs[0].first + 1 : -1;
}

TEST_F(StartUpGuiTest, WithoutArgumentsOrConfigOpensSquareNonameWindowShowingTheTesseract) {
  Viewer& viewer = launchWindow({}, "noname");
  ASSERT_NE(viewer.window, 0u);
  WindowGeometry g;
  ASSERT_TRUE(x().geometry(viewer.window, &g));
  EXPECT_EQ(g.width, 300);
  EXPECT_EQ(g.height, 300);
  EXPECT_EQ(x().title(viewer.window), "noname");
  const Image frame = firstFrame(viewer);
  EXPECT_FALSE(isBackground(frame.at(150, 150))) << "c8 should show a cube in the centre";
}

TEST_F(StartUpGuiTest, WidthKeyIsReadOnlyWhenSpelledExactly) {
  writeConfig("Width,500\n");
  Viewer& wide = launchWindow({"-n", "wide"}, "wide");
  ASSERT_NE(wide.window, 0u);
  WindowGeometry g;
  ASSERT_TRUE(x().geometry(wide.window, &g));
  EXPECT_EQ(g.width, 500);
  EXPECT_EQ(g.height, 500);
  // The viewport follows the window, so the picture scales with it.
  EXPECT_NEAR(centreRowWidth(firstFrame(wide)), expectedSquareWidth(500), 3.0);

  // Keys are case-sensitive: an unknown key leaves the default.
  writeConfig("width=500\n");
  Viewer& plain = launchWindow({"-n", "plain"}, "plain");
  ASSERT_NE(plain.window, 0u);
  ASSERT_TRUE(x().geometry(plain.window, &g));
  EXPECT_EQ(g.width, 300);
  EXPECT_EQ(g.height, 300);
  EXPECT_NEAR(centreRowWidth(firstFrame(plain)), expectedSquareWidth(300), 3.0);
}

TEST_F(StartUpGuiTest, TitleFollowsDashNAndTheLastModelNameWins) {
  Viewer& titled = launchWindow({"-n", "Tesseract"}, "Tesseract");
  ASSERT_NE(titled.window, 0u);
  EXPECT_EQ(x().title(titled.window), "Tesseract");
  const Image reference = firstFrame(titled);
  titled.process.kill();

  // The title is not taken for a model name, and c8 (named last) is what loads even
  // though c5 came first.
  Viewer& viewer = launchWindow({"c5", "-n", "Tesseract", "c8"}, "Tesseract");
  ASSERT_NE(viewer.window, 0u);
  EXPECT_EQ(x().title(viewer.window), "Tesseract");
  EXPECT_TRUE(firstFrame(viewer) == reference) << "the picture should be c8's";
}

TEST_F(StartUpGuiTest, MissingModelIsReportedExactlyAndNoWindowOpens) {
  struct Case {
    std::string config;
    std::string expectedPath;
  };
  // realpath: the viewer finds its models from /proc/self/exe, which has no symlinks.
  char binDir[PATH_MAX];
  ASSERT_NE(realpath(ORVEX_BIN, binDir), nullptr);
  std::string bin(binDir);
  bin.erase(bin.rfind('/'));
  const std::string prefix = bin.substr(0, bin.rfind('/'));
  const Case cases[] = {
      {"", prefix + "/share/orvex/models/nosuchmodel.poi"},
      {"DataDir " + workDir() + "\n", workDir() + "/nosuchmodel.poi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("orvex.cfg: " + c.config);
    writeConfig(c.config);
    x().watchTopLevelCreation();
    Viewer& viewer = launch({"nosuchmodel"});
    viewer.expectedToExit = true;
    int status = 0;
    ASSERT_TRUE(viewer.process.waitForExit(Clock::now() + kPatience, &status))
        << "the viewer kept running";
    ASSERT_TRUE(WIFEXITED(status)) << "the viewer was killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(readFile(viewer.stderrPath), "Cannot open file" + c.expectedPath + "\n");
    EXPECT_EQ(x().topLevelWindowsCreated(), 0) << "a window was created";
  }
}

}  // namespace
}  // namespace orvex::gui_test
