#include "render/schlegel.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "model/loader.h"
#include "render/cell_walk.h"
#include "render/recording_sink.h"
#include "render/scene.h"

namespace orvex::render {
namespace {

TEST(SchlegelTest, TheOuterCellEnclosesEveryOtherAndEveryCellIsDrawn) {
  for (const char* name : {"c8", "c24", "c120", "truncated-5-cell"}) {
    if (!std::filesystem::exists(std::string(ORVEX_MODELS_DIR) + "/" + name + ".poi")) continue;
    SCOPED_TRACE(name);
    model::Model m;
    model::Vec3List projected;
    std::string error;
    ASSERT_TRUE(model::loadModel(ORVEX_MODELS_DIR, name, &m, &projected, &error)) << error;
    view4d::OrthoProjector rotation;
    view4d::PlaneAngles turn;
    turn[1] = 0.3, turn[3] = 0.5, turn[4] = 0.2;
    rotation.rotate(turn);
    const int pole = cellFacingViewer(m, rotation);
    ASSERT_GE(pole, 0);
    SchlegelProjector view;
    assignSchlegelView(m, pole, rotation, &view);
    for (int i = 0; i < m.vertices->count; ++i) projected[i] = view.project((*m.vertices)[i]);

    // Every vertex lies on the inner side of each polygon of the pole cell: that cell's
    // picture holds all the others.
    const model::IndexList& shell = (*m.cellPolygons)[pole];
    model::Vec3 middle;
    for (int i = 0; i < m.vertices->count; ++i) middle = middle + projected[i];
    middle = (1.0 / m.vertices->count) * middle;
    double size = 0.0;
    for (int i = 0; i < m.vertices->count; ++i) {
      size = std::max(size, model::length(projected[i] - middle));
    }
    for (int j = 0; j < shell.count; ++j) {
      const model::IndexList& polygon = (*m.polygons)[shell[j]];
      const model::Vec3& a = projected[polygon[0]];
      model::Vec3 n = model::cross(projected[polygon[1]] - a, projected[polygon[2]] - a);
      n = (1.0 / model::length(n)) * n;
      if (model::dot(middle - a, n) > 0.0) n = -1.0 * n;
      for (int i = 0; i < m.vertices->count; ++i) {
        EXPECT_LE(model::dot(projected[i] - a, n), 1e-9 * size) << "vertex " << i;
      }
    }

    DrawSettings settings;
    settings.allCells = true;
    settings.extendRate = 0.0;
    RecordingSink sink;
    drawCells(m, view, kEye, settings, &projected, &sink);
    size_t polygons = 0;
    for (int c = 0; c < m.cellPolygons->count; ++c) polygons += (*m.cellPolygons)[c].count;
    EXPECT_EQ(sink.primitives.size(), polygons) << "every polygon of every cell";
  }
}

TEST(SchlegelTest, StereographicLeavesOutOnlyTheCellsThroughItsPole) {
  model::Model m;
  model::Vec3List projected;
  std::string error;
  ASSERT_TRUE(model::loadModel(ORVEX_MODELS_DIR, "c8", &m, &projected, &error)) << error;
  view4d::OrthoProjector view;
  // The pole straight through the middle of the cube at w = -1: that cube alone.
  std::vector<char> through = cellsThroughPole(m, view);
  for (int c = 0; c < m.cellNormals->count; ++c) {
    EXPECT_EQ(through[c] != 0, (*m.cellNormals)[c].w < -0.5) << c;
  }
  // Turned half way between two cubes, the pole leaves through their common square.
  view4d::PlaneAngles turn;
  turn[3] = M_PI / 4;
  view.rotate(turn);
  through = cellsThroughPole(m, view);
  EXPECT_EQ(std::count(through.begin(), through.end(), 1), 2);
  // turnPoleThrough puts the pole through the cell asked for.
  view4d::OrthoProjector rotation;
  turnPoleThrough(m, 2, &rotation);
  view4d::OrthoProjector turned;
  turned.assignTranspose(rotation);
  through = cellsThroughPole(m, turned);
  EXPECT_EQ(through[2], 1);
  EXPECT_EQ(std::count(through.begin(), through.end(), 1), 1);
}

}  // namespace
}  // namespace orvex::render
