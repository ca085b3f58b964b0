// The fixture every GUI test uses: a private Xvfb for the test program, a fresh working
// directory per test (where orvex.cfg goes), viewers started as real processes, their
// windows' pixels, and the real pointer driven through xdotool.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/gui/child_process.h"
#include "tests/gui/image.h"
#include "tests/gui/x_client.h"
#include "tests/gui/xvfb_server.h"
#include "offscreen/png_io.h"

namespace orvex::gui_test {

/// Every wait in the suite ends by this long at the latest; generous for sanitizer builds.
constexpr std::chrono::seconds kPatience{20};

struct Point {
  int x, y;
};

/// One orvex process and its window.
struct Viewer {
  ChildProcess process;
  WindowId window = 0;
  std::string stderrPath;
  bool expectedToExit = false;
};

class ViewerGuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  const std::string& workDir() const { return workDir_; }
  const std::string& display() const { return xvfb_->display(); }
  XClient& x() { return *x_; }

  /// Writes orvex.cfg into the working directory.
  void writeConfig(const std::string& text);

  /// Starts orvex with args in the working directory without waiting for anything.
  /// Earlier viewers of the test are retired first.
  Viewer& launch(const std::vector<std::string>& args);
  /// Starts orvex and waits for its window titled title; window is 0 (with a failure
  /// recorded, stderr included) if none appeared.
  Viewer& launchWindow(const std::vector<std::string>& args, const std::string& title);

  /// Records a failure if the viewer died unexpectedly, then kills it.
  void retire(Viewer& viewer);

  /// Polls the window's pixels until ready holds; records a failure (saving the last
  /// capture beside the test's files) and returns the last capture if it never does.
  Image waitForImage(Viewer& viewer, const std::function<bool(const Image&)>& ready,
                     const std::string& what);
  /// The first drawn frame: polled until all four corners show the cleared background,
  /// which only a swapped frame puts there.
  Image firstFrame(Viewer& viewer);
  /// Polls until two captures a few frames apart are equal, and returns that picture.
  Image steadyFrame(Viewer& viewer);
  /// Polls until the picture differs from before.
  Image changedFrame(Viewer& viewer, const Image& before, const std::string& what);

  /// Runs xdotool with args on the test display; false (failure recorded) if it fails.
  bool xdotool(const std::vector<std::string>& args);
  /// Presses button at the first point, moves through the rest one motion event each
  /// and, if release, releases it at the last. Points are window coordinates.
  bool drag(const Viewer& viewer, int button, const std::vector<Point>& path, bool release);
  /// A press and release of button where the pointer is, with no motion between.
  bool stillClick(int button);

  /// Runs orvex-render with args (output options added) in the working directory, so it
  /// reads the same orvex.cfg; returns the picture it wrote to name there. With
  /// "--frames N" the pictures are the numbered files beside name, and the first is read.
  offscreen::RgbImage rendered(std::vector<std::string> args, const std::string& name);
  /// Moves the window to the screen's corner, so that all of it can be read.
  void moveOnScreen(const Viewer& viewer);
  /// The whole window as RGB rows, or an empty image while part of it is off screen.
  static offscreen::RgbImage asRgb(const Image& image);

  /// Saves image as <test name>-<label>.ppm in the build's test output directory.
  void saveForInspection(const Image& image, const std::string& label);

 private:
  static std::unique_ptr<XvfbServer> xvfb_;
  static std::string skipReason_;
  static std::string startError_;
  static std::string xdotoolPath_;
  std::string workDir_;
  std::unique_ptr<XClient> x_;
  std::vector<std::unique_ptr<Viewer>> viewers_;
};

/// A straight path from a to b in steps of at most step pixels, both ends included.
std::vector<Point> straightPath(Point a, Point b, int step);

}  // namespace orvex::gui_test
