// Pictures users see, kept in tests/golden: any change to them must be deliberate.
// To accept a change, regenerate and review the new files before committing:
//   ORVEX_UPDATE_GOLDEN=1 build/bin/orvex_tests --gtest_filter='Golden*'
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "offscreen/image_diff.h"
#include "offscreen/png_io.h"
#include "tools/orvex-render/test_support.h"

namespace orvex::render_tool {
namespace {

struct GoldenCase {
  const char* file;  // in tests/golden, also the test's name
  const char* model;
  std::vector<std::string> args;
};

void PrintTo(const GoldenCase& c, std::ostream* out) { *out << c.file; }

class GoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenTest, RenderMatchesTheKeptPicture) {
  const GoldenCase& c = GetParam();
  if (!testing::modelAvailable(c.model)) {
    GTEST_SKIP() << "model " << c.model << " is not in " << ORVEX_MODELS_DIR;
  }
  testing::TempDir dir;
  std::vector<std::string> argv{testing::renderBinary(), c.model, "--size", "200", "-o", "out.png"};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  const testing::RunResult r = testing::runProgram(argv, dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  offscreen::RgbImage rendered;
  std::string error;
  ASSERT_TRUE(offscreen::readPng(dir.file("out.png"), &rendered, &error)) << error;

  const std::string golden = std::string(ORVEX_GOLDEN_DIR) + "/" + c.file;
  if (std::getenv("ORVEX_UPDATE_GOLDEN") != nullptr) {
    std::filesystem::create_directories(ORVEX_GOLDEN_DIR);
    ASSERT_TRUE(offscreen::writePng(golden, rendered, &error)) << error;
    GTEST_SKIP() << "wrote " << golden;
  }
  offscreen::RgbImage kept;
  ASSERT_TRUE(offscreen::readPng(golden, &kept, &error))
      << error << "\nregenerate with ORVEX_UPDATE_GOLDEN=1 build/bin/orvex_tests "
      << "--gtest_filter='Golden*'";
  const offscreen::ImageDifference d = offscreen::compareImages(rendered, kept, 8);
  EXPECT_TRUE(offscreen::picturesAgree(d)) << c.file << ": " << d.describe();
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, GoldenTest,
    ::testing::Values(
        GoldenCase{"c8-rest.png", "c8", {}},
        GoldenCase{"c8-frames-xw-yw.png", "c8", {"-h", "--turn", "0,0,0,0.35,0.2,0"}},
        GoldenCase{"c8-clip-turned.png", "c8", {"-c", "--turn", "0,0.5,0.3,0.2,0,0"}},
        GoldenCase{"c24-solid-xw.png", "c24", {"-s", "--turn", "0,0,0,0.5,0,0"}},
        GoldenCase{"c120-frames.png", "c120", {"-h", "--turn", "0,0.2,0.1,0.3,0.15,0"}},
        GoldenCase{"cantellated-tesseract-section-frames-clip.png",
                   "cantellated-tesseract",
                   {"-h", "-c", "--turn", "0,0.5,0.3,0.4,0.2,0", "--section", "0.2"}},
        GoldenCase{"c600-solid-turned.png", "c600", {"--turn", "0,0.3,0.2,0.4,0.25,0"}}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) {
      std::string name = info.param.file;
      name = name.substr(0, name.find('.'));
      for (char& ch : name) {
        if (ch == '-') ch = '_';
      }
      return name;
    });

}  // namespace
}  // namespace orvex::render_tool
