// Pictures users see, kept in tests/golden: any change to them must be deliberate.
// To accept a change, regenerate and review the new files before committing:
//   ORVEX_UPDATE_GOLDEN=1 build/bin/orvex_tests --gtest_filter='Golden*'
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <cmath>
#include <iostream>
#include <iterator>
#include <random>
#include <sstream>

#include "model/loader.h"
#include "offscreen/image_diff.h"
#include "offscreen/offscreen_context.h"
#include "offscreen/png_io.h"
#include "render/gl/scene_gl.h"
#include "render/gl/gl_sink.h"
#include "render/recording_sink.h"
#include "render/scene.h"
#include "tools/orvex-render/test_support.h"

namespace orvex::render_tool {
namespace {

std::string shippedText(const std::string& file) {
  return testing::readText(std::string(ORVEX_MODELS_DIR) + "/" + file);
}

// The tesseract without the square its cube w > 0 shows the eye (the one at z > 0): that
// cube, and the one at z > 0 behind it, are open.
void writeOpenTesseract(const testing::TempDir& dir) {
  dir.write("open.poi", shippedText("c8.poi"));
  dir.write("c8.nor", shippedText("c8.nor"));
  model::Vec4Table vertices;
  std::istringstream vertexText(shippedText("c8.poi"));
  vertices.read(vertexText);
  model::IndexListArray squares;
  std::istringstream squareText(shippedText("fc8.cel"));
  squares.read(squareText);
  std::ostringstream kept;
  int count = 0;
  for (int i = 0; i < squares.count; ++i) {
    bool facing = true;
    for (int j = 0; j < squares[i].count; ++j) {
      const model::Vec4& v = vertices[squares[i][j]];
      facing = facing && v.z > 0.0 && v.w > 0.0;
    }
    if (facing) continue;
    squares[i].write(kept);
    kept << "\n";
    ++count;
  }
  dir.write("fopen.cel", std::to_string(count) + "\n" + kept.str());
}

// The tesseract moved so that vertex 0 comes nearest the origin: scaled to length 1 it
// makes a tesseract of edge 10 about the eye.
void writeOffCentreTesseract(const testing::TempDir& dir) {
  model::Vec4Table vertices;
  std::istringstream in(shippedText("c8.poi"));
  vertices.read(in);
  for (int i = 0; i < vertices.count; ++i) {
    for (int k = 0; k < 4; ++k) vertices[i][k] += 0.45;
  }
  std::ostringstream out;
  vertices.write(out);
  dir.write("offcentre.poi", out.str() + "c8.nor\n");
  dir.write("c8.nor", shippedText("c8.nor"));
  dir.write("foffcentre.cel", shippedText("fc8.cel"));
}

struct GoldenCase {
  const char* file;  // in tests/golden, also the test's name
  const char* model;
  std::vector<std::string> args;
  const char* config = nullptr;                        // orvex.cfg in the working folder
  void (*prepare)(const testing::TempDir&) = nullptr;  // writes model files there
};

void PrintTo(const GoldenCase& c, std::ostream* out) { *out << c.file; }

class GoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenTest, RenderMatchesTheKeptPicture) {
  const GoldenCase& c = GetParam();
  if (!testing::modelAvailable(c.prepare != nullptr ? "c8" : c.model)) {
    GTEST_SKIP() << "model " << c.model << " is not in " << ORVEX_MODELS_DIR;
  }
  testing::TempDir dir;
  if (c.config != nullptr) dir.write("orvex.cfg", c.config);
  if (c.prepare != nullptr) c.prepare(dir);
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
        GoldenCase{"c600-solid-turned.png", "c600", {"--turn", "0,0.3,0.2,0.4,0.25,0"}},
        GoldenCase{"c24-extend-2.png", "c24", {}, "ExtendRate 2\n"},
        GoldenCase{"c8-open-cell-turned.png",
                   "open",
                   {"--turn", "0,0.3,0.2,0.15,0.1,0"},
                   "DataDir .\n",
                   writeOpenTesseract}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) {
      std::string name = info.param.file;
      name = name.substr(0, name.find('.'));
      for (char& ch : name) {
        if (ch == '-') ch = '_';
      }
      return name;
    });

struct SkipCase {
  std::string what;
  std::string model;
  int size;
  double extendRate;
  view4d::PlaneAngles turn;
  void (*prepare)(const testing::TempDir&);
};

// A polygon is left out only where it is deeper than its own cell's front at every pixel
// it could cover, beyond rounding: each picture must be the one drawn with every polygon
// sent, to the pixel, whatever the settings and the model's shape, ties in depth on the
// outlines and edge-on polygons included. The skip must still leave out polygons.
TEST(HiddenPolygonSkipTest, PicturesAreThoseWithEveryPolygonDrawnToThePixel) {
  [[maybe_unused]] testing::MesaLeakPause pause;
  const char* const shipped[] = {"c5",   "c8",
                                 "c16",  "c24",
                                 "c120", "c600",
                                 "dual-runcitruncated-tesseract",
                                 "cantellated-tesseract",
                                 "bitruncated-5-cell",
                                 "antiprismatic-prism-7",
                                 "dual-grand-antiprism"};
  for (const char* name : shipped) {
    if (!testing::modelAvailable(name)) GTEST_SKIP() << name << " is not in " << ORVEX_MODELS_DIR;
  }
  const view4d::PlaneAngles still{};
  const view4d::PlaneAngles turned{{0.0, 0.5, 0.3, 0.4, 0.2, 0.0}};
  const view4d::PlaneAngles tipped{{0.0, 0.3, 0.2, 0.15, 0.1, 0.0}};
  const view4d::PlaneAngles intoW{{0.0, 0.1, 0.05, 0.0, 0.0, -0.2}};
  std::vector<SkipCase> cases = {
      {"the start-up view at Width 368", "dual-runcitruncated-tesseract", 368, 0.06, still, nullptr},
      {"c24 at the default ExtendRate, turned", "c24", 200, 0.06, turned, nullptr},
      {"c24 with ExtendRate 2", "c24", 200, 2.0, still, nullptr},
      {"c120 with ExtendRate 1.7", "c120", 200, 1.7, still, nullptr},
      {"c8 with ExtendRate -3, turned", "c8", 200, -3.0, intoW, nullptr},
      {"the off-centre tesseract, turned", "offcentre", 200, 0.06, turned, writeOffCentreTesseract},
      {"the tesseract with an open cell, turned", "open", 200, 0.06, tipped, writeOpenTesseract},
  };
  // Random cases, from the generator's raw output (which the standard fixes): models,
  // sizes, ExtendRate in [-3, 3] or its default, turns in every plane.
  std::mt19937 random(25);
  auto real = [&](double low, double high) {
    return low + (high - low) * (random() / 4294967296.0);
  };
  for (int i = 0; i < 40; ++i) {
    SkipCase c{"random case " + std::to_string(i), shipped[random() % std::size(shipped)],
               static_cast<int>(64 + random() % 400), random() % 2 ? 0.06 : real(-3.0, 3.0), {}, nullptr};
    for (double& angle : c.turn.a) angle = real(-M_PI, M_PI);
    cases.push_back(c);
  }

  size_t sentWith = 0, sentWithout = 0;
  int differing = 0;
  for (const SkipCase& c : cases) {
    SCOPED_TRACE(c.what + ": " + c.model + " at " + std::to_string(c.size) + ", ExtendRate " +
                 std::to_string(c.extendRate));
    testing::TempDir dir;
    if (c.prepare != nullptr) c.prepare(dir);
    const std::string dataDir = c.prepare != nullptr ? dir.path() : ORVEX_MODELS_DIR;
    model::Model m;
    model::Vec3List projected;
    std::string error;
    ASSERT_TRUE(model::loadModel(dataDir, c.model, &m, &projected, &error)) << error;
    view4d::OrthoProjector rotation, view;
    rotation.rotate(c.turn);
    view.assignTranspose(rotation);

    render::DrawSettings skip, all;
    skip.extendRate = all.extendRate = c.extendRate;
    all.skipHidden = false;
    std::unique_ptr<offscreen::OffscreenContext> context =
        offscreen::OffscreenContext::create(c.size, c.size, &error);
    ASSERT_NE(context, nullptr) << error;
    render::setupScene(render::SceneSettings(), render::kEye);
    offscreen::RgbImage pictures[2];
    for (int k = 0; k < 2; ++k) {
      render::drawFrame(m, view, render::kEye, k == 0 ? skip : all, &projected);
      pictures[k] = {c.size, c.size, context->readRgb()};
    }
    const offscreen::ImageDifference d = offscreen::compareImages(pictures[0], pictures[1], 0);
    EXPECT_EQ(d.differingPixels, 0) << d.describe();
    differing += d.differingPixels != 0;

    render::RecordingSink skipped, sent;
    ASSERT_TRUE(render::GlSink().screen(&skipped.window));
    render::drawCells(m, view, render::kEye, skip, &projected, &skipped);
    render::drawCells(m, view, render::kEye, all, &projected, &sent);
    sentWith += skipped.primitives.size();
    sentWithout += sent.primitives.size();
  }
  std::cout << differing << " of " << cases.size() << " pictures differ; " << sentWith << " of "
            << sentWithout << " polygons sent\n";
  EXPECT_LT(sentWith, sentWithout * 9 / 10) << "the skip leaves out too little";
}

}  // namespace
}  // namespace orvex::render_tool
