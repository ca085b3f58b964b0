#include "tools/gen/hull.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <tuple>

#include "tools/gen/geometry.h"
#include "tools/gen/test_support.h"

namespace orvex::gen {
namespace {

std::set<std::vector<int>> vertexSets(const std::vector<std::vector<int>>& lists) {
  std::set<std::vector<int>> sets;
  for (std::vector<int> l : lists) {
    std::sort(l.begin(), l.end());
    sets.insert(l);
  }
  return sets;
}

// The hull keeps the points' order, so both constructions number the vertices alike and
// their cells and polygons must be the same vertex sets, with the same normals.
TEST(HullTest, AgreesWithWythoffOnTheSamePoints) {
  for (auto [group, rings] : {std::pair{"B4", "1011"},
                              {"F4", "0110"},
                              {"H4", "1000"},
                              {"A4", "1101"},
                              {"H3A1", "0111"}}) {
    Polytope w = testing::wythoffOf(group, rings);
    Polytope h;
    std::string error;
    ASSERT_TRUE(convexHull(w.vertices, &h, &error)) << error;
    ASSERT_EQ(h.vertices.size(), w.vertices.size()) << group << " " << rings;
    EXPECT_EQ(vertexSets(h.cellVertices), vertexSets(w.cellVertices)) << group << " " << rings;
    EXPECT_EQ(vertexSets(h.polygons), vertexSets(w.polygons)) << group << " " << rings;
    ASSERT_EQ(h.cells(), w.cells());
    for (int c = 0; c < h.cells(); ++c) {
      auto same = std::find(w.cellVertices.begin(), w.cellVertices.end(), h.cellVertices[c]);
      ASSERT_NE(same, w.cellVertices.end());
      EXPECT_LT(norm(h.normals[c] - w.normals[same - w.cellVertices.begin()]), 1e-9);
    }
  }
}

// Points typed in or exported by other programs carry six digits; each cell must still
// come out whole rather than as many slightly tilted pieces.
TEST(HullTest, KeepsCellsWholeForPointsRoundedToSixDigits) {
  for (auto [group, rings, cells] :
       {std::tuple{"H4", "1000", 120}, {"H4", "0001", 600}, {"F4", "1001", 240}}) {
    std::vector<Vec4> rounded;
    for (Vec4 v : testing::wythoffOf(group, rings).vertices) {
      v = (1.0 / norm(v)) * v;
      for (int k = 0; k < 4; ++k) {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%.6g", v[k]);
        v[k] = std::atof(digits);
      }
      rounded.push_back(v);
    }
    Polytope p;
    std::string error;
    ASSERT_TRUE(convexHull(rounded, &p, &error)) << error;
    EXPECT_EQ(p.vertices.size(), rounded.size()) << group << " " << rings;
    EXPECT_EQ(p.cells(), cells) << group << " " << rings;
  }
}

TEST(HullTest, DropsPointsThatAreNotCorners) {
  std::vector<Vec4> points;
  for (int i = 0; i < 16; ++i) {
    points.emplace_back(i & 1 ? 1 : -1, i & 2 ? 1 : -1, i & 4 ? 1 : -1, i & 8 ? 1 : -1);
  }
  const size_t corners = points.size();
  points.push_back(points[3]);            // a duplicate
  points.emplace_back(0, 0, 0, 0);        // inside
  points.emplace_back(1, 0, -1, -1);      // middle of an edge
  points.emplace_back(1, 0.5, 0.25, -1);  // inside a polygon
  points.emplace_back(1, 0.1, 0.2, 0.3);  // inside a cell
  Polytope p;
  std::string error;
  ASSERT_TRUE(convexHull(points, &p, &error)) << error;
  ASSERT_EQ(p.vertices.size(), corners);
  for (size_t i = 0; i < corners; ++i) EXPECT_LT(norm(p.vertices[i] - points[i]), 1e-15);
  EXPECT_EQ(p.polygons.size(), 24u);
  EXPECT_EQ(p.cells(), 8);
  for (const auto& polygon : p.polygons) {
    ASSERT_EQ(polygon.size(), 4u);
    // Boundary order: consecutive corners differ in exactly one coordinate.
    for (int i = 0; i < 4; ++i) {
      EXPECT_DOUBLE_EQ(norm(p.vertices[polygon[i]] - p.vertices[polygon[(i + 1) % 4]]), 2.0);
    }
  }
}

TEST(HullTest, RefusesDegenerateInput) {
  Polytope p;
  std::string error;
  std::vector<Vec4> four = {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  EXPECT_FALSE(convexHull(four, &p, &error));
  EXPECT_EQ(error, "a hull needs at least 5 distinct points, got 4");

  std::vector<Vec4> flat = four;
  flat.emplace_back(1, 1, 1, 0);
  flat.emplace_back(0.3, 0.2, 0.1, 0);
  EXPECT_FALSE(convexHull(flat, &p, &error));
  EXPECT_EQ(error, "all points lie in one hyperplane, so they bound no 4D polytope");

  std::vector<Vec4> bad = four;
  bad.emplace_back(0, 0, 0, 1);
  bad.emplace_back(0, NAN, 0, 1);
  EXPECT_FALSE(convexHull(bad, &p, &error));
  EXPECT_EQ(error, "point 5 has a coordinate that is not finite");

  std::vector<Vec4> repeated(7, Vec4(1, 2, 3, 4));
  EXPECT_FALSE(convexHull(repeated, &p, &error));
  EXPECT_EQ(error, "a hull needs at least 5 distinct points, got 1");
}

TEST(HullTest, ReadsPointFilesAndNamesTheirFaults) {
  testing::ScratchDir scratch;
  std::vector<Vec4> points;
  std::string error;
  testing::writeText(scratch.file("ok.txt"), "2\n1 2 3 4\n-1e-3 0 .5 7\n");
  ASSERT_TRUE(readPointsFile(scratch.file("ok.txt"), &points, &error)) << error;
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[1].x, -1e-3);
  EXPECT_EQ(points[1].w, 7);

  testing::writeText(scratch.file("off.4off"),
                     "4OFF\n# comment\n2 0 0 0\n1 0 0 0\n0 0 0 1 7 7 7\n");
  ASSERT_TRUE(readPointsFile(scratch.file("off.4off"), &points, &error)) << error;
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[1].w, 1);

  struct Bad {
    const char* text;
    const char* message;
  };
  const Bad kBad[] = {
      {"3\n1 2 3 4\n5 6 7 8\n", ": point 2 is missing (the count says 3)"},
      {"1\n1 2 x 4\n", ": point 0 has 'x', which is not a number"},
      {"points\n", ": expected a point count or 4OFF, found 'points'"},
      {"", ": expected a point count or 4OFF, found ''"},
      {"-2\n", ": expected a point count or 4OFF, found '-2'"},
  };
  for (const Bad& b : kBad) {
    testing::writeText(scratch.file("bad.txt"), b.text);
    EXPECT_FALSE(readPointsFile(scratch.file("bad.txt"), &points, &error)) << b.text;
    EXPECT_EQ(error, scratch.file("bad.txt") + b.message);
  }
  EXPECT_FALSE(readPointsFile(scratch.file("none.txt"), &points, &error));
  EXPECT_EQ(error, "Cannot open " + scratch.file("none.txt"));
  EXPECT_FALSE(readPointsFile(scratch.path(), &points, &error));
  EXPECT_EQ(error, "Cannot open " + scratch.path());
}

}  // namespace
}  // namespace orvex::gen
