#include "offscreen/png_io.h"

#include <gtest/gtest.h>

#include "offscreen/image_diff.h"
#include "tests/temp_dir.h"

namespace orvex::offscreen {
namespace {

using ::orvex::testing::TempDir;

RgbImage gradient(int width, int height) {
  RgbImage image{width, height, std::vector<std::uint8_t>(size_t(width) * height * 3)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &image.pixels[3 * (size_t(y) * width + x)];
      p[0] = std::uint8_t(x * 7);
      p[1] = std::uint8_t(y * 13);
      p[2] = std::uint8_t(x ^ y);
    }
  }
  return image;
}

TEST(PngIoTest, WritesWholePicturesThatReadBackExactly) {
  TempDir dir;
  const RgbImage written = gradient(37, 11);  // odd width: rows are not 4-byte aligned
  std::string error;
  ASSERT_TRUE(writePng(dir.file("a.png"), written, &error)) << error;
  RgbImage read;
  ASSERT_TRUE(readPng(dir.file("a.png"), &read, &error)) << error;
  EXPECT_EQ(read.width, 37);
  EXPECT_EQ(read.height, 11);
  EXPECT_EQ(read.pixels, written.pixels);

  // Overwriting replaces the content; only the picture remains in the directory.
  ASSERT_TRUE(writePng(dir.file("a.png"), gradient(5, 6), &error)) << error;
  ASSERT_TRUE(readPng(dir.file("a.png"), &read, &error)) << error;
  EXPECT_EQ(read.width, 5);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.png"});
}

TEST(PngIoTest, FailuresNameThePathAndLeaveNoFile) {
  TempDir dir;
  std::string error;
  EXPECT_FALSE(writePng(dir.file("missing/a.png"), gradient(4, 4), &error));
  EXPECT_EQ(error.rfind(dir.file("missing/a.png") + ": ", 0), 0u) << error;
  RgbImage short_ = gradient(4, 4);
  short_.pixels.pop_back();
  EXPECT_FALSE(writePng(dir.file("b.png"), short_, &error));
  EXPECT_TRUE(dir.entries().empty());

  RgbImage read;
  EXPECT_FALSE(readPng(dir.file("none.png"), &read, &error));
  ::orvex::testing::writeText(dir.file("text.png"), "not a picture at all");
  EXPECT_FALSE(readPng(dir.file("text.png"), &read, &error));
  EXPECT_EQ(error, dir.file("text.png") + ": not a PNG file");
  // A PNG cut short is refused, not half read.
  ASSERT_TRUE(writePng(dir.file("c.png"), gradient(64, 64), &error));
  const std::string whole = ::orvex::testing::readText(dir.file("c.png"));
  ::orvex::testing::writeText(dir.file("c.png"), whole.substr(0, whole.size() / 2));
  EXPECT_FALSE(readPng(dir.file("c.png"), &read, &error));
}

TEST(ImageDiffTest, CountsPixelsBeyondTheSlack) {
  const RgbImage a = gradient(10, 10);
  RgbImage b = a;
  EXPECT_EQ(compareImages(a, b, 0).differingPixels, 0);
  b.pixels[0] ^= 0x40;                    // one pixel far off
  b.pixels[3 * 55 + 2] = b.pixels[3 * 55 + 2] ^ 1;  // one pixel within a slack of 2
  const ImageDifference d = compareImages(a, b, 2);
  EXPECT_EQ(d.differingPixels, 1);
  EXPECT_EQ(d.largestChannelDifference, 64);
  EXPECT_NEAR(d.meanChannelDifference, 65.0 / 300.0, 1e-12);
  EXPECT_FALSE(picturesAgree(d)) << "1% of the pixels differ";
  EXPECT_FALSE(compareImages(a, gradient(10, 9), 0).sameSize);
  EXPECT_FALSE(picturesAgree(compareImages(a, gradient(10, 9), 0)));
}

}  // namespace
}  // namespace orvex::offscreen
