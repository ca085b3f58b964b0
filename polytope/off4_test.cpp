#include "polytope/off4.h"

#include <gtest/gtest.h>

#include "model/loader.h"
#include "polytope/geometry.h"
#include "polytope/model_writer.h"
#include "polytope/test_support.h"

namespace orvex::polytope {
namespace {

struct Loaded {
  model::Model model;
  model::Vec3List projected;
};

void load(const std::string& dir, const std::string& name, Loaded* out) {
  std::string error;
  ASSERT_TRUE(model::loadModel(dir, name, &out->model, &out->projected, &error)) << error;
}

void expectSameLists(const model::IndexListArray& a, const model::IndexListArray& b) {
  ASSERT_EQ(a.count, b.count);
  for (int i = 0; i < a.count; ++i) {
    ASSERT_EQ(a[i].count, b[i].count) << i;
    for (int k = 0; k < a[i].count; ++k) ASSERT_EQ(a[i][k], b[i][k]) << i;
  }
}

// Export and import run as the real binary on real files; the model that comes back
// must be the one that went out, down to the order of vertices, polygons and cells.
TEST(Off4Test, ExportThenImportGivesTheSameModel) {
  testing::ScratchDir scratch;
  for (const std::vector<std::string>& make :
       {std::vector<std::string>{"wythoff", "B4", "0110", "a"},
        std::vector<std::string>{"antiprism-prism", "5", "a"},
        std::vector<std::string>{"wythoff", "H3A1", "1011", "a"}}) {
    std::vector<std::string> args{"-d", scratch.path()};
    args.insert(args.end(), make.begin(), make.end());
    ASSERT_EQ(testing::runGen(args, scratch).exitStatus, 0);
    auto r =
        testing::runGen({"-d", scratch.path(), "export", "a", scratch.file("a.4off")}, scratch);
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    r = testing::runGen({"-d", scratch.path(), "import", scratch.file("a.4off"), "b"}, scratch);
    ASSERT_EQ(r.exitStatus, 0) << r.err;

    Loaded a, b;
    load(scratch.path(), "a", &a);
    load(scratch.path(), "b", &b);
    ASSERT_EQ(a.model.vertices->count, b.model.vertices->count);
    for (int i = 0; i < a.model.vertices->count; ++i) {
      EXPECT_LT(length((*a.model.vertices)[i] - (*b.model.vertices)[i]), 1e-12) << i;
    }
    expectSameLists(*a.model.polygons, *b.model.polygons);
    expectSameLists(*a.model.cellVertices, *b.model.cellVertices);
    expectSameLists(*a.model.cellPolygons, *b.model.cellPolygons);
    for (int c = 0; c < a.model.cellNormals->count; ++c) {
      EXPECT_LT(length((*a.model.cellNormals)[c] - (*b.model.cellNormals)[c]), 1e-9) << c;
    }
    // The exported text announces its counts, the edges taken from the polygons.
    Off4 off;
    std::string error;
    ASSERT_TRUE(readOff4File(scratch.file("a.4off"), &off, &error)) << error;
    EXPECT_EQ(off.cells.size(), static_cast<size_t>(a.model.cellNormals->count));
  }
}

TEST(Off4Test, ParsesCommentsAndColoursAndCountsEdges) {
  // A tetrahedral pyramid (the 5-cell's shape) with colours on some rows.
  const std::string text =
      "4OFF\n# a comment\n5 10 10 5\n"
      "1 1 1 -1\n1 -1 -1 -1\n-1 1 -1 -1\n-1 -1 1 -1\n0 0 0 3\n"
      "3 0 1 2 255 0 0\n3 0 1 3\n3 0 2 3\n3 1 2 3\n3 0 1 4\n3 0 2 4\n3 0 3 4\n"
      "3 1 2 4\n3 1 3 4\n3 2 3 4\n"
      "  # an indented comment\n"
      "4 0 1 2 3 0.5 0.5\n4 0 4 5 7\n4 1 4 6 8\n4 2 5 6 9\n4 3 7 8 9\n";
  Off4 off;
  std::string error;
  ASSERT_TRUE(parseOff4(text, "p.4off", &off, &error)) << error;
  ASSERT_EQ(off.vertices.size(), 5u);
  EXPECT_EQ(off.polygons[0], (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(off.cells[0], (std::vector<int>{0, 1, 2, 3}));
  EXPECT_NE(formatOff4(off).find("\n5 10 10 5\n"), std::string::npos);

  Polytope p;
  ASSERT_TRUE(polytopeFromOff4(off, "p.4off", &p, &error)) << error;
  ASSERT_EQ(p.cells(), 5);
  // Cell 0 is the base at w = -1: its outward normal points down w.
  EXPECT_LT(length(p.normals[0] - Vec4(0, 0, 0, -1)), 1e-12);
  EXPECT_EQ(p.cellVertices[4], (std::vector<int>{1, 2, 3, 4}));
}

TEST(Off4Test, NamesTheLineAndTheProblem) {
  const std::string head = "4OFF\n5 1 3 1\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n0 0 0 0\n";
  struct Bad {
    std::string text, message;
  };
  const Bad kBad[] = {
      {"OFF\n1 1 1\n", "p:1: not a 4OFF file (the first line must be 4OFF)"},
      {"", "p:1: not a 4OFF file (the first line must be 4OFF)"},
      {"4OFF\n5 1 x 1\n", "p:2: expected the counts 'V F E C'"},
      {"4OFF\n2 0 0 0\n1 2 3 4\n1 2 3\n", "p:4: vertex 1 is not four finite numbers"},
      {"4OFF\n2 0 0 0\n1 2 3 4\n1 2 3 nan\n", "p:4: vertex 1 is not four finite numbers"},
      {"4OFF\n2 0 0 0\n1 2 3 4\n", "p:3: vertex 1 is missing"},
      {head + "3 0 1 9\n", "p:8: polygon 0 refers to vertex '9', but there are 5"},
      {head + "3 0 1 -1\n", "p:8: polygon 0 refers to vertex '-1', but there are 5"},
      {head + "2 0 1\n", "p:8: polygon 0 must start with a count of at least 3"},
      {head + "4 0 1 2\n", "p:8: polygon 0 has fewer than the 4 entries it announces"},
      {head + "3 0 1 2\n", "p:8: cell 0 is missing"},
      {head + "3 0 1 2\n4 0 0 0 1\n", "p:9: cell 0 refers to polygon '1', but there are 1"},
  };
  for (const Bad& b : kBad) {
    Off4 off;
    std::string error;
    EXPECT_FALSE(parseOff4(b.text, "p", &off, &error)) << b.text;
    EXPECT_EQ(error, b.message);
  }
}

TEST(Off4Test, ImportRefusesCellsThatAreNotFlat) {
  Off4 off;
  std::string error;
  // A 5-cell whose first cell claims a polygon of another cell, making it bulge.
  const std::string text =
      "4OFF\n5 10 10 5\n"
      "1 1 1 -1\n1 -1 -1 -1\n-1 1 -1 -1\n-1 -1 1 -1\n0 0 0 3\n"
      "3 0 1 2\n3 0 1 3\n3 0 2 3\n3 1 2 3\n3 0 1 4\n3 0 2 4\n3 0 3 4\n"
      "3 1 2 4\n3 1 3 4\n3 2 3 4\n"
      "4 0 1 2 4\n4 0 4 5 7\n4 1 4 6 8\n4 2 5 6 9\n4 3 7 8 9\n";
  ASSERT_TRUE(parseOff4(text, "p", &off, &error)) << error;
  Polytope p;
  EXPECT_FALSE(polytopeFromOff4(off, "p", &p, &error));
  EXPECT_EQ(error, "p: cell 0 is not flat");
  off.cells[0] = {0, 1, 2, 3};
  off.vertices[4] = Vec4(0, 0, 0, -1);  // the apex onto the base's hyperplane
  EXPECT_FALSE(polytopeFromOff4(off, "p", &p, &error));
  EXPECT_EQ(error, "p: cell 0 has the polytope's centre on its plane");
}

}  // namespace
}  // namespace orvex::polytope
