#include "render/cell_walk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "model/incidence.h"
#include "render/recording_sink.h"
#include "render/scene.h"

namespace orvex::render {
namespace {

using model::Vec3;
using model::Vec4;

template <typename List>
std::unique_ptr<List> listFrom(const std::string& text) {
  auto list = std::make_unique<List>();
  std::istringstream in(text);
  list->read(in);
  return list;
}

// A model given directly by its text forms, incidence included (not derived).
// The scene's camera (perspective of 40 degrees from kEye) on a 300-pixel window.
ScreenTransform sceneWindow() {
  ScreenTransform t;
  const double f = 1.0 / std::tan(kFieldOfView / 2.0 * M_PI / 180.0);
  const double n = kNearPlane, far = kFarPlane;
  // Column-major: the perspective times the look-at's shift by -kEye.z.
  t.matrix[0] = f;
  t.matrix[5] = f;
  t.matrix[10] = (far + n) / (n - far);
  t.matrix[11] = -1.0;
  t.matrix[14] = 2.0 * far * n / (n - far) - kEye.z * t.matrix[10];
  t.matrix[15] = kEye.z;
  t.viewport[2] = t.viewport[3] = 300.0;
  return t;
}

struct TestModel {
  model::Model m;
  model::Vec3List projected;
  TestModel(const std::string& vertices, const std::string& polygons, const std::string& normals,
            const std::string& cellPolygons) {
    m.vertices = listFrom<model::Vec4Table>(vertices);
    m.polygons = listFrom<model::IndexListArray>(polygons);
    m.cellNormals = listFrom<model::Vec4Table>(normals);
    m.cellPolygons = listFrom<model::IndexListArray>(cellPolygons);
    m.cellClosed = model::closedCells(*m.cellPolygons, *m.polygons);
    projected.resize(m.vertices->count);
  }
  RecordingSink draw(const DrawSettings& settings, const view4d::Transform4& view,
                     const Vec3& eye = kEye) {
    RecordingSink sink;
    sink.window = sceneWindow();
    drawCells(m, view, eye, settings, &projected, &sink);
    return sink;
  }
  RecordingSink draw(const DrawSettings& settings) {
    return draw(settings, view4d::OrthoProjector());
  }
};

// The unit square in the z = 0 plane, as one polygon of several one-polygon cells.
const char kSquare[] = "4 0  0 0 0 0  1 0 0 0  1 1 0 0  0 1 0 0";

void expectVec3(const Vec3& v, double x, double y, double z) {
  EXPECT_NEAR(v.x, x, 1e-12);
  EXPECT_NEAR(v.y, y, 1e-12);
  EXPECT_NEAR(v.z, z, 1e-12);
}

TEST(CellWalkTest, DrawsOnlyCellsFacingPositiveWWithTheirProjectedOffset) {
  TestModel t(kSquare, "1 4 1 2 3 4", "4 0  0.6 0 0 0.8  0.6 0 0 -0.8  1 0 0 0  0 0 0 1",
              "4 1 1 1 1 1 1 1 1");
  RecordingSink sink = t.draw(DrawSettings());
  // Cell 0 drawn with offset 0.06·(0.6, 0, 0); cell 1 faces away, cell 2 has w = 0
  // exactly; cell 3 is drawn with a zero offset.
  ASSERT_EQ(sink.primitives.size(), 2u);
  expectVec3(sink.primitives[0].vertices[0], 0.036, 0, 0);
  expectVec3(sink.primitives[0].vertices[2], 1.036, 1, 0);
  expectVec3(sink.primitives[1].vertices[0], 0, 0, 0);
  // Both cells have one polygon: the material is sent once.
  EXPECT_EQ(sink.calls, "mnbenbe");
  EXPECT_EQ(sink.materials[0], (std::vector<float>{0.87f, 0.87f, 0.3f, 1.0f}));

  // Every vertex is projected, used or not, even with nothing to draw.
  TestModel empty("2 0  1 2 3 4  5 6 7 8", "0", "0 0", "0");
  view4d::OrthoProjector swapXw;
  view4d::PlaneAngles quarter;
  quarter[3] = 1.5707963267948966;
  swapXw.rotate(quarter);
  RecordingSink none = empty.draw(DrawSettings(), swapXw);
  EXPECT_TRUE(none.calls.empty());
  // Row 0 of the turned identity is the w axis, so x takes the w coordinate.
  expectVec3(empty.projected[1], 8, 6, 7);
}

TEST(CellWalkTest, MaterialChangesOnlyWithThePolygonCountAndHidePolySkipsCells) {
  // Five cells with 1, 1, 2, 13, 2 polygons (13 shares class 2 with 2 polygons).
  std::string cells = "5  1 1  1 1  2 1 1  13";
  for (int i = 0; i < 13; ++i) cells += " 1";
  cells += "  2 1 1";
  TestModel t(kSquare, "1 4 1 2 3 4", "5 0  0 0 0 1  0 0 0 1  0 0 0 1  0 0 0 1  0 0 0 1", cells);
  RecordingSink sink = t.draw(DrawSettings());
  ASSERT_EQ(sink.materials.size(), 4u);
  EXPECT_EQ(sink.materials[0][0], cellColors[1][0]);
  EXPECT_EQ(sink.materials[1], (std::vector<float>{0.3f, 1.0f, 1.0f, 1.0f}));
  EXPECT_EQ(sink.materials[2], sink.materials[1]);
  EXPECT_EQ(sink.primitives.size(), 1u + 1 + 2 + 13 + 2);

  DrawSettings hide;
  hide.hidePoly = 2;
  RecordingSink hidden = t.draw(hide);
  EXPECT_EQ(hidden.primitives.size(), 1u + 1 + 13);
  EXPECT_EQ(hidden.materials.size(), 2u);
}

TEST(CellWalkTest, SolidFansFollowTheBoundaryAndFillTypeOneDrawsClosedBands) {
  TestModel t(kSquare, "1 4 1 2 3 4", "1 0 0 0 0 1", "1 1 1");
  for (int fillType : {0, 2, -1}) {
    DrawSettings solid;
    solid.fillType = fillType;
    RecordingSink sink = t.draw(solid);
    ASSERT_EQ(sink.primitives.size(), 1u);
    EXPECT_EQ(sink.primitives[0].kind, Primitive::kTriangleFan);
    ASSERT_EQ(sink.primitives[0].vertices.size(), 4u);
    expectVec3(sink.primitives[0].vertices[2], 1, 1, 0);
  }

  DrawSettings frames;
  frames.fillType = 1;
  RecordingSink band = t.draw(frames);
  ASSERT_EQ(band.primitives.size(), 1u);
  EXPECT_EQ(band.primitives[0].kind, Primitive::kTriangleStrip);
  const std::vector<Vec3>& v = band.primitives[0].vertices;
  const double expected[10][2] = {{0, 0}, {0.175, 0.175}, {1, 0}, {0.825, 0.175},
                                  {1, 1}, {0.825, 0.825}, {0, 1}, {0.175, 0.825},
                                  {0, 0}, {0.175, 0.175}};
  ASSERT_EQ(v.size(), 10u);
  for (int i = 0; i < 10; ++i) expectVec3(v[i], expected[i][0], expected[i][1], 0);
  expectVec3(band.primitives[0].normal, 0, 0, 1);

  // A triangle is a strip of 8 whose last pair repeats its first, offset included.
  TestModel tri("3 0  0 0 0 0  1 0 0 0  0 1 0 0", "1 3 1 2 3", "1 0 1 0 0 1", "1 1 1");
  RecordingSink ring = tri.draw(frames);
  const std::vector<Vec3>& r = ring.primitives[0].vertices;
  ASSERT_EQ(r.size(), 8u);
  expectVec3(r[6], r[0].x, r[0].y, r[0].z);
  expectVec3(r[7], r[1].x, r[1].y, r[1].z);
  expectVec3(r[0], 0.06 * 1, 0, 0);
}

void expectSamePrimitives(const RecordingSink& a, const RecordingSink& b, const char* what) {
  ASSERT_EQ(a.primitives.size(), b.primitives.size()) << what;
  for (size_t i = 0; i < a.primitives.size(); ++i) {
    ASSERT_EQ(a.primitives[i].vertices.size(), b.primitives[i].vertices.size()) << what;
    for (size_t v = 0; v < a.primitives[i].vertices.size(); ++v) {
      const Vec3& p = b.primitives[i].vertices[v];
      expectVec3(a.primitives[i].vertices[v], p.x, p.y, p.z);
    }
  }
  EXPECT_EQ(a.calls, b.calls) << what;
}

TEST(CellWalkTest, SolidCellsSkipPolygonsFacingAwayOnlyWhereTheirCellProvablyHidesThem) {
  // A box x in [-0.99, 0.01], |y|, |z| <= 0.5, its faces wound either way, in a cell
  // whose offset (-0.036, 0, 0) moves its +x face from just right of the eye's axis,
  // where the eye sees it from behind, to just left of it, where the eye sees its front.
  const char kBox[] =
      "8 0  -0.99 -0.5 -0.5 0  0.01 -0.5 -0.5 0  0.01 0.5 -0.5 0  -0.99 0.5 -0.5 0"
      "  -0.99 -0.5 0.5 0  0.01 -0.5 0.5 0  0.01 0.5 0.5 0  -0.99 0.5 0.5 0";
  const char kFaces[] = "6  4 1 2 3 4  4 8 7 6 5  4 1 4 8 5  4 2 3 7 6  4 1 2 6 5  4 8 7 3 4";
  TestModel t(kBox, kFaces, "1 0  -0.6 0 0 0.8", "1 6 1 2 3 4 5 6");
  RecordingSink solid = t.draw(DrawSettings());
  ASSERT_EQ(solid.primitives.size(), 2u) << "only the +z and the +x face can be seen";
  expectVec3(solid.primitives[0].vertices[0], -1.026, 0.5, 0.5);
  expectVec3(solid.primitives[1].vertices[0], -0.026, -0.5, -0.5);
  expectVec3(solid.primitives[1].vertices[2], -0.026, 0.5, 0.5);
  EXPECT_EQ(solid.calls, "mnbenbe");

  // Everything is sent when the skip is off: the reference the other cases must match.
  DrawSettings noSkip;
  noSkip.skipHidden = false;
  const RecordingSink all = t.draw(noSkip);
  ASSERT_EQ(all.primitives.size(), 6u);

  // A sink that cannot say where its window lies gets every face: nothing is proven.
  RecordingSink blind;
  drawCells(t.m, view4d::OrthoProjector(), kEye, DrawSettings(), &t.projected, &blind);
  expectSamePrimitives(blind, all, "no window");

  // Any nonzero clip value turns the plane on, which may open the box: 2 and -1 send
  // what 1 sends, every face.
  for (int clip : {1, 2, -1}) {
    DrawSettings clipped;
    clipped.clip = clip;
    expectSamePrimitives(t.draw(clipped), all, ("clip " + std::to_string(clip)).c_str());
  }
  DrawSettings frames;
  frames.fillType = 1;
  EXPECT_EQ(t.draw(frames).primitives.size(), 6u);

  // The near plane cuts the box when the eye comes within 1 of it (here 0.7), and an
  // eye inside it sees every face from within.
  expectSamePrimitives(t.draw(DrawSettings(), view4d::OrthoProjector(), Vec3(0, 0, 1.2)), all,
                       "near plane");
  expectSamePrimitives(t.draw(DrawSettings(), view4d::OrthoProjector(), Vec3(-0.5, 0, 0)), all,
                       "eye inside");
  // The tool's perspective bends cells; it keeps every face.
  EXPECT_EQ(t.draw(DrawSettings(), view4d::PerspectiveProjector()).primitives.size(), 6u);

  // Without its -z face the box is open, and the eye looks into it.
  TestModel open(kBox, kFaces, "1 0  -0.6 0 0 0.8", "1 5 2 3 4 5 6");
  EXPECT_EQ(open.draw(DrawSettings()).primitives.size(), 5u);
}

TEST(FaceNormalTest, PointsToTheEyeWhateverTheWindingAndNeverNaN) {
  const Vec3 o(0, 0, 0), x(1, 0, 0), y(0, 1, 0);
  expectVec3(faceNormal(o, x, y, kEye), 0, 0, 1);
  expectVec3(faceNormal(o, y, x, kEye), 0, 0, 1);
  // Seen from behind the plane the normal turns away from +z.
  expectVec3(faceNormal(o, x, y, Vec3(0, 0, -2)), 0, 0, -1);

  // Edge-on and coincident vertices: the unit vector towards the eye.
  const Vec3 collinear = faceNormal(o, x, Vec3(2, 0, 0), kEye);
  expectVec3(collinear, 0, 0, 1);
  const Vec3 fromSide = faceNormal(Vec3(3.5, 0, 0), Vec3(3.5, 1, 0), Vec3(3.5, 1, 0), kEye);
  EXPECT_NEAR(std::hypot(fromSide.x, fromSide.z), 1.0, 1e-12);
  EXPECT_LT(fromSide.x, 0.0);
  EXPECT_FALSE(std::isnan(faceNormal(kEye, kEye, kEye, kEye).x));
}

}  // namespace
}  // namespace orvex::render
