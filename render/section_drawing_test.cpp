#include "render/section_drawing.h"

#include <gtest/gtest.h>

#include "model/loader.h"
#include "render/recording_sink.h"
#include "render/scene.h"

namespace orvex::render {
namespace {

using model::Vec3;

TEST(SectionDrawingTest, FacesAreLitTowardsTheEyeInTheirCellsColourWithoutOffset) {
  model::Model m;
  model::Vec3List projected;
  std::string error;
  ASSERT_TRUE(model::loadModel(ORVEX_MODELS_DIR, "c8", &m, &projected, &error)) << error;
  view4d::PlaneAngles turn;
  turn[1] = 0.4;
  turn[2] = -0.3;
  turn[3] = 0.5;
  view4d::OrthoProjector rotation, view;
  rotation.rotate(turn);
  view.assignTranspose(rotation);
  const Section s = computeSection(m, view, 0.1);
  ASSERT_GE(s.faceCount(), 6);

  DrawSettings solid;
  solid.extendRate = 0.5;  // must not move anything: the section is one solid
  RecordingSink fans;
  drawSection(s, m, kEye, solid, &fans);
  // Every cell is a cube: one colour, set once, class 6.
  ASSERT_EQ(fans.materials.size(), 1u);
  EXPECT_EQ(fans.materials[0],
            (std::vector<float>{cellColors[6][0], cellColors[6][1], cellColors[6][2], 1.0f}));
  ASSERT_EQ(fans.primitives.size(), s.faces.size());
  for (size_t i = 0; i < s.faces.size(); ++i) {
    const RecordingSink::Primitive& p = fans.primitives[i];
    EXPECT_EQ(p.kind, Primitive::kTriangleFan);
    ASSERT_EQ(p.vertices.size(), s.faces[i].corners.size());
    for (size_t k = 0; k < p.vertices.size(); ++k) {
      EXPECT_EQ(model::length(p.vertices[k] - s.points[s.faces[i].corners[k]]), 0.0);
    }
    EXPECT_NEAR(model::length(p.normal), 1.0, 1e-12);
    EXPECT_GE(model::dot(kEye - p.vertices[0], p.normal), 0.0) << "turned away from the eye";
    EXPECT_NEAR(model::dot(p.vertices[2] - p.vertices[0], p.normal), 0.0, 1e-12);
  }

  DrawSettings frames = solid;
  frames.fillType = 1;
  RecordingSink bands;
  drawSection(s, m, kEye, frames, &bands);
  ASSERT_EQ(bands.primitives.size(), s.faces.size());
  for (size_t i = 0; i < s.faces.size(); ++i) {
    const std::vector<Vec3>& strip = bands.primitives[i].vertices;
    EXPECT_EQ(bands.primitives[i].kind, Primitive::kTriangleStrip);
    ASSERT_EQ(strip.size(), 2 * fans.primitives[i].vertices.size() + 2);
    EXPECT_EQ(model::length(strip[strip.size() - 2] - strip[0]), 0.0) << "ring not closed";
    EXPECT_EQ(model::length(strip[0] - fans.primitives[i].vertices[0]), 0.0);
    EXPECT_EQ(bands.primitives[i].normal.x, fans.primitives[i].normal.x);
  }

  DrawSettings hidden = solid;
  hidden.hidePoly = 6;
  RecordingSink none;
  drawSection(s, m, kEye, hidden, &none);
  EXPECT_TRUE(none.calls.empty()) << none.calls;
}

}  // namespace
}  // namespace orvex::render
