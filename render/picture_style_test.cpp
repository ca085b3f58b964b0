// The picture styles checked through the recording sink on real models: what is drawn,
// where, and in which colour.
#include "render/picture_style.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "model/loader.h"
#include "render/recording_sink.h"
#include "render/scene.h"

namespace orvex::render {
namespace {

struct Loaded {
  model::Model m;
  model::Vec3List projected;
  explicit Loaded(const std::string& name) {
    std::string error;
    EXPECT_TRUE(model::loadModel(ORVEX_MODELS_DIR, name, &m, &projected, &error)) << error;
  }
};

// Draws one frame's cells and outlines as orvex-render does, into a recording sink.
// Frames (fill type 1), so every polygon of a drawn cell is sent.
RecordingSink drawStyled(Loaded* t, const PictureStyle& style, const view4d::Transform4& view) {
  const StyledModel styled = prepareStyle(t->m, style);
  DrawSettings frames;
  frames.fillType = 1;
  const DrawSettings settings = styledSettings(frames, style, styled);
  RecordingSink sink;
  drawCells(t->m, view, kEye, settings, &t->projected, &sink);
  drawOutlines(t->m, view, settings, t->projected, styled.outlines, style.edges, style.vertices,
               &sink);
  return sink;
}

size_t countKind(const RecordingSink& sink, Primitive kind) {
  size_t vertices = 0;
  for (const auto& p : sink.primitives) vertices += p.kind == kind ? p.vertices.size() : 0;
  return vertices;
}

TEST(PictureStyleTest, EveryCellEdgeAndVertexIsDrawnOnceEachCellDrawsIt) {
  Loaded t("c8");
  view4d::OrthoProjector turned;
  view4d::PlaneAngles angles;
  angles[3] = 0.4;
  angles[4] = 0.3;
  turned.rotate(angles);
  PictureStyle style;
  style.colourBy = ColourBy::kCell;  // one material per drawn cell, so they can be counted
  style.edges = style.vertices = true;
  const RecordingSink facing = drawStyled(&t, style, turned);
  int facingCells = 0;
  for (int c = 0; c < 8; ++c) facingCells += turned.apply(3, (*t.m.cellNormals)[c]) > 0.0;
  ASSERT_GT(facingCells, 0);
  ASSERT_LT(facingCells, 8);
  // Each drawn cell: one material, 12 edges as 24 line ends and 8 corner dots; then the
  // outline colour once.
  EXPECT_EQ(facing.materials.size(), static_cast<size_t>(facingCells) + 1);
  EXPECT_EQ(countKind(facing, Primitive::kLines), 24u * facingCells);
  EXPECT_EQ(countKind(facing, Primitive::kPoints), 8u * facingCells);

  style.allCells = true;
  const RecordingSink all = drawStyled(&t, style, turned);
  EXPECT_EQ(all.materials.size(), 8u + 1);
  EXPECT_EQ(countKind(all, Primitive::kLines), 24u * 8);
  EXPECT_EQ(countKind(all, Primitive::kPoints), 8u * 8);
  // Edges sit where their cell is drawn: every line end is an outer corner of a band.
  std::set<std::vector<double>> corners;
  for (const auto& p : all.primitives) {
    if (p.kind != Primitive::kTriangleStrip) continue;
    for (const model::Vec3& v : p.vertices) corners.insert({v.x, v.y, v.z});
  }
  for (const auto& p : all.primitives) {
    if (p.kind != Primitive::kLines) continue;
    for (const model::Vec3& v : p.vertices) {
      EXPECT_EQ(corners.count({v.x, v.y, v.z}), 1u) << "a line end off its cell";
    }
  }
}

TEST(PictureStyleTest, KindsTellApartCellsOfOnePolygonCountAndCellsGetTheirOwnHue) {
  Loaded t("runcitruncated-5-cell");
  const std::vector<int> kinds = cellKinds(t.m);
  std::map<int, int> cellsOfKind;
  std::map<int, std::set<int>> polygonCounts;  // per kind
  for (size_t c = 0; c < kinds.size(); ++c) {
    ++cellsOfKind[kinds[c]];
    polygonCounts[kinds[c]].insert((*t.m.cellPolygons)[c].count);
  }
  // Cuboctahedra, truncated tetrahedra, hexagonal prisms and triangular prisms; the
  // middle two have eight polygons each.
  ASSERT_EQ(cellsOfKind.size(), 4u);
  std::multiset<std::pair<int, int>> seen;  // (cells, polygons)
  for (const auto& [kind, n] : cellsOfKind) seen.insert({n, *polygonCounts[kind].begin()});
  EXPECT_EQ(seen, (std::multiset<std::pair<int, int>>{{5, 14}, {5, 8}, {10, 8}, {10, 5}}));

  const CellPalette byKind = makeCellPalette(t.m, ColourBy::kKind);
  std::set<std::array<float, 3>> kindColours(byKind.colours.begin(), byKind.colours.end());
  EXPECT_EQ(kindColours.size(), 4u);
  for (size_t c = 0; c < kinds.size(); ++c) EXPECT_EQ(byKind.colourOf[c], kinds[c]);

  // Past the fixed colours the kinds take the spread hues: nine kinds, each a cell of one
  // polygon of 3 to 11 corners.
  model::Model nine;
  std::string polygons = "9\n", cells = "9\n";
  for (int k = 0; k < 9; ++k) {
    polygons += std::to_string(k + 3);
    for (int v = 1; v <= k + 3; ++v) polygons += " " + std::to_string(v);
    polygons += "\n";
    cells += "1 " + std::to_string(k + 1) + "\n";
  }
  nine.polygons = std::make_unique<model::IndexListArray>();
  nine.cellPolygons = std::make_unique<model::IndexListArray>();
  std::istringstream polygonText(polygons), cellText(cells);
  nine.polygons->read(polygonText);
  nine.cellPolygons->read(cellText);
  const CellPalette ofNine = makeCellPalette(nine, ColourBy::kKind);
  ASSERT_EQ(ofNine.colours.size(), 9u);
  EXPECT_NE(ofNine.colours[7], spreadHue(7)) << "the eighth still has a fixed colour";
  EXPECT_EQ(ofNine.colours[8], spreadHue(8));
  const std::set<std::array<float, 3>> distinct(ofNine.colours.begin(), ofNine.colours.end());
  EXPECT_EQ(distinct.size(), 9u);

  Loaded c600("c600");
  const std::vector<int> tetrahedra = cellKinds(c600.m);
  EXPECT_EQ(std::set<int>(tetrahedra.begin(), tetrahedra.end()).size(), 1u);
  const CellPalette byCell = makeCellPalette(c600.m, ColourBy::kCell);
  std::set<std::array<float, 3>> hues(byCell.colours.begin(), byCell.colours.end());
  EXPECT_EQ(hues.size(), 600u) << "every tetrahedron its own colour";
  // Neighbours in the sequence are far apart on the wheel.
  for (int i = 0; i + 1 < 600; ++i) {
    const auto a = spreadHue(i), b = spreadHue(i + 1);
    const float d = std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
    EXPECT_GT(d, 0.3f) << i;
  }
}

}  // namespace
}  // namespace orvex::render
