#include "tests/gui/viewer_fixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "tools/orvex-render/render_options.h"

namespace orvex::gui_test {

std::unique_ptr<XvfbServer> ViewerGuiTest::xvfb_;
std::string ViewerGuiTest::skipReason_;
std::string ViewerGuiTest::startError_;
std::string ViewerGuiTest::xdotoolPath_;

namespace {

std::string describeStatus(int status) {
  if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "wait status " + std::to_string(status);
}

// A few frames of a 60 Hz spin, so a running spin always shows between two captures.
constexpr auto kFrameGap = std::chrono::milliseconds(60);

}  // namespace

void ViewerGuiTest::SetUpTestSuite() {
  const std::string xvfb = findOnPath("Xvfb");
  xdotoolPath_ = findOnPath("xdotool");
  if (xvfb.empty()) {
    skipReason_ = "Xvfb is not installed (Debian package xvfb)";
    return;
  }
  if (xdotoolPath_.empty()) {
    skipReason_ = "xdotool is not installed (Debian package xdotool)";
    return;
  }
  // A server that is installed but does not start is a failure, reported by each test.
  xvfb_ = XvfbServer::start(xvfb, Clock::now() + kPatience, &startError_);
}

void ViewerGuiTest::TearDownTestSuite() { xvfb_.reset(); }

void ViewerGuiTest::SetUp() {
  if (!skipReason_.empty()) GTEST_SKIP() << skipReason_;
  ASSERT_TRUE(xvfb_) << "Xvfb did not start: " << startError_;
  ASSERT_TRUE(xvfb_->running()) << "Xvfb has exited";
  std::string pattern = (std::filesystem::temp_directory_path() / "orvex-gui-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr) << "cannot make a temporary directory";
  workDir_ = pattern;
  x_ = std::make_unique<XClient>(display());
  ASSERT_TRUE(x_->connected()) << "cannot connect to " << display();
}

void ViewerGuiTest::TearDown() {
  for (auto& viewer : viewers_) retire(*viewer);
  viewers_.clear();
  x_.reset();
  // The pointer buttons are server state: release them so no test leaks a held button.
  if (xvfb_ && !xdotoolPath_.empty()) {
    for (const char* button : {"1", "2", "3"}) {
      std::string error;
      ChildOptions options;
      options.env = {{"DISPLAY", display()}};
      runToCompletion({xdotoolPath_, "mouseup", button}, options, Clock::now() + kPatience, &error);
    }
  }
  if (!workDir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(workDir_, ignored);
  }
}

void ViewerGuiTest::writeConfig(const std::string& text) {
  std::ofstream out(workDir_ + "/orvex.cfg");
  out << text;
  ASSERT_TRUE(out.good()) << "cannot write orvex.cfg";
}

void ViewerGuiTest::retire(Viewer& viewer) {
  // A viewer never quits by itself: gone means crashed (or a sanitizer stopped it).
  if (!viewer.expectedToExit && viewer.process.pid() >= 0 && !viewer.process.running()) {
    int status = 0;
    viewer.process.waitForExit(Clock::now(), &status);
    ADD_FAILURE() << "the viewer ended during the test (" << describeStatus(status)
                  << "); stderr:\n"
                  << readFile(viewer.stderrPath);
  }
  viewer.process.kill();
}

Viewer& ViewerGuiTest::launch(const std::vector<std::string>& args) {
  // One viewer at a time: windows open at the same place and show what lies beneath
  // until their first frame, so an older window would pass for a new one's picture.
  for (auto& older : viewers_) retire(*older);
  auto viewer = std::make_unique<Viewer>();
  viewer->stderrPath = workDir_ + "/viewer-" + std::to_string(viewers_.size()) + ".stderr";
  std::vector<std::string> argv{ORVEX_BIN};
  argv.insert(argv.end(), args.begin(), args.end());
  ChildOptions options;
  options.workingDir = workDir_;
  // Mesa and Xlib keep allocations until exit; a sanitizer build must not fail on them.
  options.env = {{"DISPLAY", display()}, {"ASAN_OPTIONS", "detect_leaks=0"}};
  options.stderrPath = viewer->stderrPath;
  std::string error;
  viewer->process = ChildProcess::start(argv, options, &error);
  if (viewer->process.pid() < 0) ADD_FAILURE() << error;
  viewers_.push_back(std::move(viewer));
  return *viewers_.back();
}

Viewer& ViewerGuiTest::launchWindow(const std::vector<std::string>& args,
                                    const std::string& title) {
  Viewer& viewer = launch(args);
  if (viewer.process.pid() < 0) return viewer;
  viewer.window = x_->waitForWindow(title, Clock::now() + kPatience);
  if (viewer.window == 0) {
    ADD_FAILURE() << "no window titled \"" << title << "\" appeared; the viewer is "
                  << (viewer.process.running() ? "still running" : "gone") << "; stderr:\n"
                  << readFile(viewer.stderrPath);
  }
  return viewer;
}

Image ViewerGuiTest::waitForImage(Viewer& viewer, const std::function<bool(const Image&)>& ready,
                                  const std::string& what) {
  const auto deadline = Clock::now() + kPatience;
  Image last;
  for (;;) {
    last = x_->capture(viewer.window);
    if (!last.empty() && ready(last)) return last;
    if (Clock::now() >= deadline || !viewer.process.running()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
  }
  saveForInspection(last, "timeout");
  ADD_FAILURE() << "gave up waiting for " << what << "; the viewer is "
                << (viewer.process.running() ? "still running" : "gone") << "; stderr:\n"
                << readFile(viewer.stderrPath);
  return last;
}

Image ViewerGuiTest::firstFrame(Viewer& viewer) {
  return waitForImage(
      viewer,
      [](const Image& image) {
        // One pixel in from the edges: a window at -1,-1 has its outer pixels off screen.
        const int w = image.windowWidth(), h = image.windowHeight();
        return isBackground(image.at(2, 2)) && isBackground(image.at(w - 3, 2)) &&
               isBackground(image.at(2, h - 3)) && isBackground(image.at(w - 3, h - 3));
      },
      "the first frame");
}

Image ViewerGuiTest::steadyFrame(Viewer& viewer) {
  // Captures a frame gap apart, never back to back: two quick captures between the
  // frames of a spin would look steady.
  const auto deadline = Clock::now() + kPatience;
  Image previous = x_->capture(viewer.window);
  for (;;) {
    std::this_thread::sleep_for(kFrameGap);
    Image next = x_->capture(viewer.window);
    if (!next.empty() && next == previous) return next;
    previous = std::move(next);
    if (Clock::now() >= deadline || !viewer.process.running()) break;
  }
  saveForInspection(previous, "timeout");
  ADD_FAILURE() << "gave up waiting for a steady picture; the viewer is "
                << (viewer.process.running() ? "still running" : "gone") << "; stderr:\n"
                << readFile(viewer.stderrPath);
  return previous;
}

Image ViewerGuiTest::changedFrame(Viewer& viewer, const Image& before, const std::string& what) {
  return waitForImage(
      viewer, [&](const Image& image) { return image != before; }, what);
}

bool ViewerGuiTest::xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> argv{xdotoolPath_};
  argv.insert(argv.end(), args.begin(), args.end());
  ChildOptions options;
  options.env = {{"DISPLAY", display()}};
  options.stderrPath = workDir_ + "/xdotool.stderr";
  std::string error;
  const int status = runToCompletion(argv, options, Clock::now() + kPatience, &error);
  if (status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    ADD_FAILURE() << "xdotool failed (" << (status < 0 ? error : describeStatus(status))
                  << "): " << readFile(options.stderrPath);
    return false;
  }
  return true;
}

bool ViewerGuiTest::drag(const Viewer& viewer, int button, const std::vector<Point>& path,
                         bool release) {
  if (path.empty()) return false;
  const std::string window = std::to_string(viewer.window);
  const std::string b = std::to_string(button);
  std::vector<std::string> args{
      "mousemove", "--window", window, std::to_string(path[0].x), std::to_string(path[0].y),
      "mousedown", b};
  for (size_t i = 1; i < path.size(); ++i) {
    args.insert(args.end(), {"mousemove", "--window", window, std::to_string(path[i].x),
                             std::to_string(path[i].y)});
  }
  if (release) args.insert(args.end(), {"mouseup", b});
  return xdotool(args);
}

bool ViewerGuiTest::stillClick(int button) {
  const std::string b = std::to_string(button);
  return xdotool({"mousedown", b, "mouseup", b});
}

offscreen::RgbImage ViewerGuiTest::rendered(std::vector<std::string> args,
                                            const std::string& name) {
  const std::string png = workDir() + "/" + name;
  args.insert(args.begin(), ORVEX_RENDER_BIN);
  args.insert(args.end(), {"-o", png});
  ChildOptions options;
  options.workingDir = workDir();
  options.stderrPath = workDir() + "/render.err";
  options.env = {{"ASAN_OPTIONS", "detect_leaks=0"}};
  std::string error;
  EXPECT_EQ(runToCompletion(args, options, Clock::now() + kPatience, &error), 0)
      << error << readFile(options.stderrPath);
  const bool sequence = std::find(args.begin(), args.end(), "--frames") != args.end();
  offscreen::RgbImage image;
  EXPECT_TRUE(offscreen::readPng(sequence ? render_tool::frameFileName(png, 1) : png, &image,
                                 &error))
      << error;
  return image;
}

void ViewerGuiTest::moveOnScreen(const Viewer& viewer) {
  ASSERT_TRUE(xdotool({"windowmove", "--sync", std::to_string(viewer.window), "0", "0"}));
}

offscreen::RgbImage ViewerGuiTest::asRgb(const Image& image) {
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

void ViewerGuiTest::saveForInspection(const Image& image, const std::string& label) {
  if (image.empty()) return;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "gui";
  const std::string path = std::string(ORVEX_GUI_OUTPUT_DIR) + "/" + name + "-" + label + ".ppm";
  if (image.writePpm(path)) std::cerr << "saved the picture as " << path << "\n";
}

std::vector<Point> straightPath(Point a, Point b, int step) {
  std::vector<Point> path{a};
  const int dx = b.x - a.x, dy = b.y - a.y;
  const int steps = std::max(1, (std::max(std::abs(dx), std::abs(dy)) + step - 1) / step);
  for (int i = 1; i <= steps; ++i) path.push_back({a.x + dx * i / steps, a.y + dy * i / steps});
  return path;
}

}  // namespace orvex::gui_test
