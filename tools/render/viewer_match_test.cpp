// orvex-render's picture against a screenshot of the real viewer on a private Xvfb.
#include <poll.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "tools/render/image_diff.h"
#include "tools/render/png_io.h"
#include "tools/render/test_support.h"

namespace orvex::offscreen {
namespace {

using namespace std::chrono_literals;
using testing::runProgram;
using testing::ScratchDir;
using Clock = std::chrono::steady_clock;

std::string onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

// A child process that is ended (SIGTERM) and reaped when the test lets go of it.
class Child {
 public:
  explicit Child(pid_t pid = -1) : pid_(pid) {}
  ~Child() { stop(); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  Child& operator=(pid_t pid) {
    stop();
    pid_ = pid;
    return *this;
  }
  pid_t pid() const { return pid_; }
  bool running() const {
    int status;
    return pid_ > 0 && waitpid(pid_, &status, WNOHANG) == 0;
  }
  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    testing::waitForExit(pid_);
    pid_ = -1;
  }

 private:
  pid_t pid_;
};

// Xvfb on a display it picks itself, reported through -displayfd. -noreset: the server
// otherwise resets when its last client leaves, and a viewer connecting just then (after
// a quick xdotool query, on a loaded machine) is refused.
class PrivateXServer {
 public:
  bool start(const std::string& xvfb, const ScratchDir& dir, std::string* why) {
    int fds[2];
    if (pipe(fds) != 0) {
      *why = "pipe failed";
      return false;
    }
    server_ = testing::startProcess({xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                     "640x480x24", "-nolisten", "tcp", "-noreset"},
                                    dir.path(), dir.file("xvfb.out"), dir.file("xvfb.err"), {},
                                    fds[1]);
    close(fds[1]);
    std::string number;
    const auto deadline = Clock::now() + 20s;
    while (number.find('\n') == std::string::npos && Clock::now() < deadline) {
      pollfd p{fds[0], POLLIN, 0};
      if (poll(&p, 1, 200) <= 0) continue;
      char buffer[32];
      const ssize_t n = read(fds[0], buffer, sizeof buffer);
      if (n <= 0) break;
      number.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
      *why = "Xvfb reported no display: " + testing::readText(dir.file("xvfb.err"));
      return false;
    }
    display_ = ":" + number.substr(0, number.find('\n'));
    return true;
  }
  std::string displayEnv() const { return "DISPLAY=" + display_; }

 private:
  Child server_;
  std::string display_;
};

class ViewerMatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string xvfb = onPath("Xvfb");
    if (xvfb.empty()) GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb)";
    xdotool_ = onPath("xdotool");
    import_ = onPath("import");
    ASSERT_FALSE(xdotool_.empty()) << "xdotool is needed (Debian package xdotool)";
    ASSERT_FALSE(import_.empty()) << "import is needed (Debian package imagemagick)";
    std::string why;
    ASSERT_TRUE(x_.start(xvfb, dir_, &why)) << why;
  }

  testing::RunResult x(std::vector<std::string> args) {
    return runProgram(args, dir_.path(), {x_.displayEnv()});
  }

  // Starts the viewer and returns its window, moved to the screen's corner so that the
  // whole window is on screen and window coordinates are screen coordinates.
  std::string startViewer(const std::vector<std::string>& args) {
    std::vector<std::string> argv{testing::viewerBinary()};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.insert(argv.end(), {"-n", "orvex-match"});
    viewer_ = testing::startProcess(argv, dir_.path(), dir_.file("viewer.out"),
                                    dir_.file("viewer.err"),
                                    {x_.displayEnv(), testing::glChildAsanOptions()});
    std::string window;
    const auto deadline = Clock::now() + 20s;
    while (window.empty() && viewer_.running() && Clock::now() < deadline) {
      const testing::RunResult found = x({xdotool_, "search", "--name", "orvex-match"});
      window = found.out.substr(0, found.out.find('\n'));
      if (window.empty()) std::this_thread::sleep_for(20ms);
    }
    if (!window.empty()) x({xdotool_, "windowmove", "--sync", window, "0", "0"});
    return window;
  }

  // Grabs the window until it agrees with expected or the deadline passes; the viewer
  // draws on its own schedule, so the first grabs may predate the frame.
  ImageDifference grabUntilAgreeing(const std::string& window, const RgbImage& expected) {
    ImageDifference last;
    const auto deadline = Clock::now() + 20s;
    do {
      const std::string grab = dir_.file("grab.png");
      if (x({import_, "-window", window, "png24:" + grab}).status == 0) {
        RgbImage picture;
        std::string error;
        if (readPng(grab, &picture, &error)) {
          last = compareImages(picture, expected, 8);
          if (picturesAgree(last)) return last;
        }
      }
      std::this_thread::sleep_for(50ms);
    } while (viewer_.running() && Clock::now() < deadline);
    return last;
  }

  RgbImage renderExpected(std::vector<std::string> args) {
    args.insert(args.begin(), testing::renderBinary());
    args.insert(args.end(), {"-o", "expected.png"});
    const testing::RunResult r = runProgram(args, dir_.path());
    EXPECT_EQ(r.status, 0) << r.err;
    RgbImage image;
    std::string error;
    EXPECT_TRUE(readPng(dir_.file("expected.png"), &image, &error)) << error;
    return image;
  }

  ScratchDir dir_;
  PrivateXServer x_;
  Child viewer_;
  std::string xdotool_, import_;
};

TEST_F(ViewerMatchTest, StartUpPictureEqualsTheViewersWindow) {
  testing::writeText(dir_.file("orvex.cfg"), "Width 240\n");
  const RgbImage expected = renderExpected({"c8"});
  const std::string window = startViewer({"c8"});
  ASSERT_FALSE(window.empty()) << "no viewer window: "
                               << testing::readText(dir_.file("viewer.err"));
  const ImageDifference d = grabUntilAgreeing(window, expected);
  EXPECT_TRUE(picturesAgree(d)) << d.describe();
}

TEST_F(ViewerMatchTest, TurnReproducesAFourDimensionalDrag) {
  const RgbImage expected = renderExpected({"c8", "-h", "--turn", "0,0,0,-0.1,-0.05,0"});
  const std::string window = startViewer({"c8", "-h"});
  ASSERT_FALSE(window.empty()) << "no viewer window: "
                               << testing::readText(dir_.file("viewer.err"));
  // Right button held after one move of (+20, -10) pixels: one xw/yw increment, no spin.
  x({xdotool_, "mousemove", "150", "150", "mousedown", "3", "mousemove", "170", "140"});
  const ImageDifference d = grabUntilAgreeing(window, expected);
  EXPECT_TRUE(picturesAgree(d)) << d.describe();
  x({xdotool_, "mouseup", "3"});
}

}  // namespace
}  // namespace orvex::offscreen
