// orvex-render's animations and picture styles, read back from the files it writes.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "model/loader.h"
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

// Every frame of a GIF as a viewer shows it: each stored rectangle laid over the picture
// the frames before left, its transparent pixels letting that show through.
std::vector<offscreen::RgbImage> decodeFrames(GifFileType* gif) {
  std::vector<offscreen::RgbImage> frames;
  offscreen::RgbImage screen;
  screen.width = gif->SWidth;
  screen.height = gif->SHeight;
  screen.pixels.assign(static_cast<size_t>(screen.width) * screen.height * 3, 0);
  for (int f = 0; f < gif->ImageCount; ++f) {
    const SavedImage& frame = gif->SavedImages[f];
    const GifImageDesc& d = frame.ImageDesc;
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    GraphicsControlBlock control;
    DGifSavedExtensionToGCB(gif, f, &control);
    for (int y = 0; y < d.Height; ++y) {
      for (int x = 0; x < d.Width; ++x) {
        const int index = frame.RasterBits[y * d.Width + x];
        if (index == control.TransparentColor) continue;
        const GifColorType& c = map->Colors[index];
        const size_t p = static_cast<size_t>(d.Top + y) * screen.width + d.Left + x;
        screen.pixels[3 * p] = c.Red, screen.pixels[3 * p + 1] = c.Green;
        screen.pixels[3 * p + 2] = c.Blue;
      }
    }
    frames.push_back(screen);
  }
  return frames;
}

// The mean absolute difference per channel of two RGB pictures of one size.
double difference(const offscreen::RgbImage& a, const offscreen::RgbImage& b) {
  double sum = 0.0;
  for (size_t i = 0; i < a.pixels.size(); ++i) sum += std::abs(a.pixels[i] - b.pixels[i]);
  return sum / static_cast<double>(a.pixels.size());
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
  // Each frame, laid over those before, is its PNG frame within the palette's rounding;
  // the frames differ from each other, and after the first store only what changed.
  const std::vector<offscreen::RgbImage> shown = decodeFrames(gif);
  for (int f = 0; f < std::min(gif->ImageCount, 6); ++f) {
    const offscreen::RgbImage png = load(dir.file("spin-000" + std::to_string(f + 1) + ".png"));
    EXPECT_LT(difference(shown[f], png), 2.0) << f;
    if (f > 0) {
      EXPECT_GT(difference(shown[f - 1], png), 8.0) << "frame " << f << " did not move";
      const GifImageDesc& d = gif->SavedImages[f].ImageDesc;
      EXPECT_LT(d.Width * d.Height, 64 * 64) << "frame " << f << " stored whole";
    }
  }
  DGifCloseFile(gif, &error);

  // Delays, read back in the file's centiseconds, add up to the true time: 6 frames at
  // 30 a second take 20 cs, not 6 x 3 = 18 (nor 180, a unit slip).
  args = spin;
  args.insert(args.end(), {"--fps", "30", "-o", "timed.gif"});
  ASSERT_EQ(render(args, dir).status, 0);
  gif = DGifOpenFileName(dir.file("timed.gif").c_str(), &error);
  ASSERT_NE(gif, nullptr) << GifErrorString(error);
  ASSERT_EQ(DGifSlurp(gif), GIF_OK);
  std::vector<int> delays;
  for (int f = 0; f < gif->ImageCount; ++f) {
    GraphicsControlBlock control;
    ASSERT_EQ(DGifSavedExtensionToGCB(gif, f, &control), GIF_OK);
    delays.push_back(control.DelayTime);
  }
  EXPECT_EQ(delays, (std::vector<int>{3, 4, 3, 3, 4, 3}));
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

// The distance from (x, y) to the segment from a to b, in pixels.
double distanceToSegment(double x, double y, const double a[2], const double b[2]) {
  const double dx = b[0] - a[0], dy = b[1] - a[1];
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0.0 ? ((x - a[0]) * dx + (y - a[1]) * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(x - a[0] - t * dx, y - a[1] - t * dy);
}

TEST(PictureOutputTest, WireframeGlassAndEmptyPicturesShowWhatTheySay) {
  TempDir dir;
  const int size = 96;
  const std::string turn = "0,0.35,0.25,0.3,0.2,0";
  testing::RunResult r = render({"c8", "--wireframe", "--size", std::to_string(size), "--turn",
                                 turn, "--background", "white", "-o", "wire.png"},
                                dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;
  // Where the camera puts each vertex: the same turn, dropped w, then the scene's camera.
  model::Model m;
  model::Vec3List projected;
  std::string error;
  ASSERT_TRUE(model::loadModel(ORVEX_MODELS_DIR, "c8", &m, &projected, &error)) << error;
  view4d::OrthoProjector rotation;
  view4d::PlaneAngles angles;
  ASSERT_TRUE(parsePlaneAngles(turn, &angles));
  rotation.rotate(angles);
  view4d::OrthoProjector view;
  view.assignTranspose(rotation);
  const double focal = 1.0 / std::tan(20.0 * M_PI / 180.0);
  std::vector<std::array<double, 2>> at;
  for (int i = 0; i < m.vertices->count; ++i) {
    const model::Vec3 p = view.project((*m.vertices)[i]);
    const double depth = 3.5 - p.z;
    at.push_back({(focal * p.x / depth + 1.0) * size / 2.0 - 0.5,
                  (1.0 - focal * p.y / depth) * size / 2.0 - 0.5});
  }
  std::vector<std::pair<int, int>> edges;
  for (int f = 0; f < m.polygons->count; ++f) {
    const model::IndexList& polygon = (*m.polygons)[f];
    for (int i = 0; i < polygon.count; ++i) {
      edges.emplace_back(polygon[i], polygon[(i + 1) % polygon.count]);
    }
  }
  const offscreen::RgbImage wire = load(dir.file("wire.png"));
  int drawn = 0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const std::uint8_t* p = &wire.pixels[3 * (static_cast<size_t>(y) * size + x)];
      if (p[0] == 255 && p[1] == 255 && p[2] == 255) continue;
      ++drawn;
      double nearest = 1e9;
      for (const auto& [a, b] : edges) {
        nearest = std::min(nearest, distanceToSegment(x, y, at[a].data(), at[b].data()));
      }
      EXPECT_LT(nearest, 1.5) << "pixel " << x << "," << y << " off every edge";
    }
  }
  // And every edge is drawn: its middle is dark.
  for (const auto& [a, b] : edges) {
    const int x = static_cast<int>(std::lround((at[a][0] + at[b][0]) / 2));
    const int y = static_cast<int>(std::lround((at[a][1] + at[b][1]) / 2));
    EXPECT_LT(wire.pixels[3 * (static_cast<size_t>(y) * size + x)], 128) << a << "-" << b;
  }
  EXPECT_GT(drawn, 32 * 10);

  // Glass: where a tetrahedron hides behind a truncated one in the solid picture, so that
  // leaving the tetrahedra out changes nothing there, the glass picture shows it.
  if (testing::modelAvailable("truncated-5-cell")) {
    auto draw = [&](bool glass, bool tetrahedra, const std::string& name) {
      dir.write("orvex.cfg", std::string("DataDir ") + ORVEX_MODELS_DIR + "\n" +
                                 (tetrahedra ? "" : "hidePoly 4\n"));
      std::vector<std::string> args = {"truncated-5-cell", "--cells", "all", "--size", "96",
                                       "--turn", turn, "--colour-by", "cell", "-o", name};
      if (glass) args.insert(args.end(), {"--opacity", "0.35"});
      EXPECT_EQ(render(args, dir).status, 0);
      return load(dir.file(name));
    };
    const offscreen::RgbImage solid = draw(false, true, "s.png");
    const offscreen::RgbImage solidOut = draw(false, false, "so.png");
    const offscreen::RgbImage glass = draw(true, true, "g.png");
    const offscreen::RgbImage glassOut = draw(true, false, "go.png");
    int hidden = 0, shown = 0;
    for (size_t p = 0; p < solid.pixels.size(); p += 3) {
      const bool covered = solid.pixels[p] != 153 || solid.pixels[p + 2] != 153;
      if (!covered || !std::equal(&solid.pixels[p], &solid.pixels[p + 3], &solidOut.pixels[p])) {
        continue;
      }
      ++hidden;
      int change = 0;
      for (int k = 0; k < 3; ++k) change += std::abs(glass.pixels[p + k] - glassOut.pixels[p + k]);
      shown += change > 12;
    }
    EXPECT_GT(shown, 200) << "of " << hidden << ": glass shows the cells behind";
    dir.write("orvex.cfg", std::string("DataDir ") + ORVEX_MODELS_DIR + "\n");
  }

  // Every cell hidden: a picture is written, and standard error says it is empty.
  dir.write("orvex.cfg", std::string("DataDir ") + ORVEX_MODELS_DIR + "\nhidePoly 6\n");
  r = render({"c8", "--cells", "all", "--edges", "--vertices", "--size", "32", "-o", "e.png"}, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "orvex-render: warning: e.png: nothing drawn: every cell hidden, left out or "
                   "outside the picture\n");
}

}  // namespace
}  // namespace orvex::render_tool
