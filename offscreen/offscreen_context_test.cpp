#include "offscreen/offscreen_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "offscreen/mesa_leak_pause.h"

namespace orvex::offscreen {
namespace {

using testing::MesaLeakPause;

void quad(float x0, float y0, float x1, float y1, float z) {
  glBegin(GL_QUADS);
  glVertex3f(x0, y0, z);
  glVertex3f(x1, y0, z);
  glVertex3f(x1, y1, z);
  glVertex3f(x0, y1, z);
  glEnd();
}

TEST(OffscreenContextTest, DrawsWithDepthAndReadsRowsTopFirst) {
  [[maybe_unused]] MesaLeakPause pause;
  std::string error;
  auto context = OffscreenContext::create(64, 48, &error);
  ASSERT_NE(context, nullptr) << error;
  EXPECT_FALSE(context->renderer().empty());
  // Made as Mesa's GLX makes the viewer's GLUT_DOUBLE | GLUT_DEPTH window: no alpha, the
  // deepest depth buffer Mesa offers.
  GLint alphaBits = -1, depthBits = -1;
  glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  EXPECT_EQ(alphaBits, 0);
  EXPECT_EQ(depthBits, 32);

  glClearColor(0.6f, 0.6f, 0.6f, 0.6f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  // Blue near, over the top half; red farther, over everything: red may only show below.
  glColor3f(0.0f, 0.0f, 1.0f);
  quad(-1, 0, 1, 1, -0.5f);
  glColor3f(1.0f, 0.0f, 0.0f);
  quad(-1, -1, 1, 1, 0.5f);
  // A green pixel-sized mark at the left of the bottom row tells the width from height.
  glDisable(GL_DEPTH_TEST);
  glColor3f(0.0f, 1.0f, 0.0f);
  quad(-1, -1, -1 + 2.0f / 64, -1 + 2.0f / 48, 0);

  const std::vector<std::uint8_t> rgb = context->readRgb();
  ASSERT_EQ(rgb.size(), 64u * 48u * 3u) << "three bytes a pixel: no alpha";
  auto pixel = [&](int x, int y) {
    const std::uint8_t* p = &rgb[3 * (size_t(y) * 64 + x)];
    return std::vector<int>{p[0], p[1], p[2]};
  };
  EXPECT_EQ(pixel(10, 0), (std::vector<int>{0, 0, 255})) << "the top row comes first";
  EXPECT_EQ(pixel(63, 23), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(pixel(10, 47), (std::vector<int>{255, 0, 0})) << "the depth test kept blue on top";
  EXPECT_EQ(pixel(0, 47), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(pixel(1, 47), (std::vector<int>{255, 0, 0}));
}

TEST(OffscreenContextTest, RefusesSizesItCannotMake) {
  [[maybe_unused]] MesaLeakPause pause;
  std::string error;
  EXPECT_EQ(OffscreenContext::create(0, 10, &error), nullptr);
  EXPECT_EQ(error, "offscreen OpenGL: size 0x10 is not positive");
  EXPECT_EQ(OffscreenContext::create(1 << 20, 8, &error), nullptr);
  EXPECT_NE(error.find("exceeds the largest framebuffer"), std::string::npos) << error;
}

}  // namespace
}  // namespace orvex::offscreen
