// orvex-render's animations and picture styles, read back from the files it writes.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "offscreen/png_io.h"
#include "tools/orvex-render/render_tool.h"
#include "tools/orvex-render/test_support.h"

namespace orvex::render_tool {
namespace {

using testing::TempDir;

testing::RunResult render(std::vector<std::string> args, const TempDir& dir) {
  args.insert(args.begin(), testing::renderBinary());
  return testing::runProgram(args, dir.path());
}

offscreen::RgbImage load(const std::string& path, bool alpha = false) {
  offscreen::RgbImage image;
  std::string error;
  EXPECT_TRUE(offscreen::readPng(path, &image, &error, alpha)) << error;
  return image;
}

// The mean absolute difference per channel of GIF frame `index` and an RGB picture.
double gifFrameDifference(GifFileType* gif, int index, const offscreen::RgbImage& rgb) {
  const SavedImage& frame = gif->SavedImages[index];
  const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
  double sum = 0.0;
  const size_t pixels = static_cast<size_t>(rgb.width) * rgb.height;
  for (size_t p = 0; p < pixels; ++p) {
    const GifColorType& c = map->Colors[frame.RasterBits[p]];
    sum += std::abs(c.Red - rgb.pixels[3 * p]) + std::abs(c.Green - rgb.pixels[3 * p + 1]) +
           std::abs(c.Blue - rgb.pixels[3 * p + 2]);
  }
  return sum / (3.0 * pixels);
}

bool loopsForever(const GifFileType* gif) {
  const SavedImage& first = gif->SavedImages[0];
  for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i) {
    const ExtensionBlock& name = first.ExtensionBlocks[i];
    const ExtensionBlock& data = first.ExtensionBlocks[i + 1];
    if (name.Function == APPLICATION_EXT_FUNC_CODE && name.ByteCount == 11 &&
        std::equal(name.Bytes, name.Bytes + 11, "NETSCAPE2.0") && data.ByteCount == 3) {
      return data.Bytes[0] == 1 && data.Bytes[1] == 0 && data.Bytes[2] == 0;
    }
  }
  return false;
}

TEST(PictureOutputTest, SpinsCloseTheirLoopAndAnimationsHoldEveryFrame) {
  // Frame N + 1 of a spin is frame 1 again, for commuting and non-commuting planes.
  view4d::OrthoProjector start;
  view4d::PlaneAngles turn;
  turn[1] = 0.3;
  turn[3] = 0.2;
  start.rotate(turn);
  for (const std::vector<int>& planes : {std::vector<int>{3}, {3, 2}, {3, 4, 0}}) {
    const auto once = spunRotation(start, planes, 7, 7);
    const auto step = spunRotation(start, planes, 1, 7);
    double closed = 0.0, moved = 0.0;
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) {
        closed = std::max(closed, std::abs(once->data[r][c] - start.data[r][c]));
        moved = std::max(moved, std::abs(step->data[r][c] - start.data[r][c]));
      }
    }
    EXPECT_LT(closed, 1e-12) << planes.size();
    EXPECT_GT(moved, 0.1) << planes.size();
  }

  TempDir dir;
  const std::vector<std::string> spin = {
      "c8", "--size", "64", "--turn", "0,0.3,0.2,0,0,0", "--spin", "xw,yz", "--frames", "6"};
  std::vector<std::string> args = spin;
  args.insert(args.end(), {"-o", "spin.gif"});
  testing::RunResult r = render(args, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  args = spin;
  args.insert(args.end(), {"-o", "spin.png"});
  ASSERT_EQ(render(args, dir).status, 0);
  int error = 0;
  GifFileType* gif = DGifOpenFileName(dir.file("spin.gif").c_str(), &error);
  ASSERT_NE(gif, nullptr) << GifErrorString(error);
  ASSERT_EQ(DGifSlurp(gif), GIF_OK);
  EXPECT_EQ(gif->ImageCount, 6);
  EXPECT_TRUE(loopsForever(gif));
  // Each frame is its PNG frame within dithering; the frames differ from each other.
  for (int f = 0; f < std::min(gif->ImageCount, 6); ++f) {
    const offscreen::RgbImage png = load(dir.file("spin-000" + std::to_string(f + 1) + ".png"));
    EXPECT_LT(gifFrameDifference(gif, f, png), 4.0) << f;
    if (f > 0) {
      EXPECT_GT(gifFrameDifference(gif, f - 1, png), 8.0) << "frame " << f << " did not move";
    }
  }
  DGifCloseFile(gif, &error);

  // Videos: an MP4 of H.264 and a WebM of VP9, as browsers take them.
  for (const std::string& name : {std::string("spin.mp4"), std::string("spin.webm")}) {
    args = spin;
    args.insert(args.end(), {"-o", name});
    r = render(args, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::string bytes = testing::readText(dir.file(name));
    const bool mp4 = name.back() == '4';
    if (mp4) {
      EXPECT_EQ(bytes.substr(4, 4), "ftyp");
    } else {
      EXPECT_EQ(bytes.substr(0, 4), std::string("\x1a\x45\xdf\xa3", 4)) << "EBML";
    }
    EXPECT_NE(bytes.find(mp4 ? "avc1" : "V_VP9"), std::string::npos) << name;
  }
}

TEST(PictureOutputTest, BackgroundsFittedAndSmoothPicturesKeepTheirPromises) {
  TempDir dir;
  const std::vector<std::string> view = {"c24", "--size", "80", "--turn", "0,0.3,0.2,0.5,0,0"};
  std::vector<std::string> args = view;
  args.insert(args.end(), {"--background", "transparent", "-o", "clear.png"});
  ASSERT_EQ(render(args, dir).status, 0);
  const offscreen::RgbImage clear = load(dir.file("clear.png"), true);
  ASSERT_TRUE(clear.alpha);
  EXPECT_EQ(clear.pixels[3], 0) << "the background is clear";
  // The fog takes the nearest cells' alpha down a little, the far ones a lot.
  int nearest = 0;
  for (size_t p = 3; p < clear.pixels.size(); p += 4)
    nearest = std::max<int>(nearest, clear.pixels[p]);
  int faded = 0;
  for (size_t p = 3; p < clear.pixels.size(); p += 4) {
    faded += clear.pixels[p] > 0 && clear.pixels[p] < nearest - 60;
  }
  EXPECT_GT(nearest, 150) << "near cells stay nearly solid";
  EXPECT_GT(faded, 200) << "far cells fade out with the fog";
  // A colour alone, no other change of style, is a style too.
  args = view;
  args.insert(args.end(), {"--background", "#204080", "-o", "blue.png"});
  ASSERT_EQ(render(args, dir).status, 0);
  const offscreen::RgbImage blue = load(dir.file("blue.png"));
  EXPECT_EQ(std::vector<int>(blue.pixels.begin(), blue.pixels.begin() + 3),
            (std::vector<int>{0x20, 0x40, 0x80}));

  // Perspective from close by runs off the frame; --fit brings all of it inside with a
  // margin, and fills the frame.
  auto contentBox = [](const offscreen::RgbImage& image) {
    int minX = image.width, maxX = -1, minY = image.height, maxY = -1;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const std::uint8_t* p = &image.pixels[3 * (static_cast<size_t>(y) * image.width + x)];
        if (p[0] == 153 && p[1] == 153 && p[2] == 153) continue;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
    }
    return std::vector<int>{minX, minY, maxX, maxY};
  };
  for (const char* fit : {"", "--fit"}) {
    args = view;
    args.insert(args.end(), {"--projection", "perspective", "--distance", "1.5", "-o", "p.png"});
    if (*fit) args.push_back(fit);
    ASSERT_EQ(render(args, dir).status, 0);
    const std::vector<int> box = contentBox(load(dir.file("p.png")));
    const int inset = std::min({box[0], box[1], 79 - box[2], 79 - box[3]});
    if (*fit) {
      EXPECT_GE(inset, 1) << "fitted inside the frame";
      EXPECT_GE(std::max(box[2] - box[0], box[3] - box[1]), 72) << "and filling it";
    } else {
      EXPECT_EQ(inset, 0) << "unfitted, it runs off the frame";
    }
  }

  // --aa smooths edges: more in-between colours, the same picture otherwise.
  args = view;
  args.insert(args.end(), {"-o", "plain.png"});
  ASSERT_EQ(render(args, dir).status, 0);
  args = view;
  args.insert(args.end(), {"--aa", "3", "-o", "smooth.png"});
  ASSERT_EQ(render(args, dir).status, 0);
  const offscreen::RgbImage plain = load(dir.file("plain.png"));
  const offscreen::RgbImage smooth = load(dir.file("smooth.png"));
  ASSERT_EQ(smooth.width, 80);
  long differing = 0;
  for (size_t i = 0; i < plain.pixels.size(); ++i) {
    differing += std::abs(plain.pixels[i] - smooth.pixels[i]) > 40;
  }
  EXPECT_GT(differing, 0);
  EXPECT_LT(differing, static_cast<long>(plain.pixels.size() / 10)) << "only edges change";
}

}  // namespace
}  // namespace orvex::render_tool
