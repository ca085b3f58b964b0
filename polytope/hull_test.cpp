#include "polytope/hull.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <tuple>

#include "polytope/geometry.h"
#include "polytope/model_check.h"
#include "polytope/model_writer.h"
#include "polytope/point_file.h"
#include "polytope/test_support.h"

namespace orvex::polytope {
namespace {

std::set<std::vector<int>> vertexSets(const std::vector<std::vector<int>>& lists) {
  std::set<std::vector<int>> sets;
  for (std::vector<int> l : lists) {
    std::sort(l.begin(), l.end());
    sets.insert(l);
  }
  return sets;
}

bool contains(const std::vector<Vec4>& list, const Vec4& v) {
  return std::any_of(list.begin(), list.end(), [&](const Vec4& u) {
    return u.x == v.x && u.y == v.y && u.z == v.z && u.w == v.w;
  });
}

// The hull of points must contain every point, have only given points as vertices, and
// pass the model check when written; the writer runs that check.
void expectValidHull(const std::vector<Vec4>& points, const Polytope& hull,
                     const std::string& what) {
  double scale = 0.0;
  for (const Vec4& p : points) scale = std::max(scale, length(p));
  for (const Vec4& v : hull.vertices) {
    EXPECT_TRUE(contains(points, v)) << what;
  }
  for (int c = 0; c < hull.cells(); ++c) {
    const Vec4& n = hull.normals[c];
    ASSERT_FALSE(hull.cellVertices[c].empty()) << what;
    const double h = dot(n, hull.vertices[hull.cellVertices[c][0]]);
    for (const Vec4& p : points) ASSERT_LE(dot(n, p), h + 1e-9 * scale) << what << " cell " << c;
  }
  testing::ScratchDir scratch;
  std::string error;
  EXPECT_TRUE(writeModel(scratch.path(), "h", hull, &error)) << what << ": " << error;
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
      EXPECT_LT(length(h.normals[c] - w.normals[same - w.cellVertices.begin()]), 1e-9);
    }
  }
}

// Points typed in or exported by other programs carry six digits; each cell must still
// come out whole rather than as many slightly tilted pieces.
// Points as a 15-digit file gives them are coplanar to rounding: each cell stays whole.
TEST(HullTest, KeepsCellsWholeForPointsRoundedToFifteenDigits) {
  for (auto [group, rings, cells] :
       {std::tuple{"H4", "1000", 120}, {"H4", "0001", 600}, {"F4", "1001", 240}}) {
    std::vector<Vec4> rounded;
    for (Vec4 v : testing::wythoffOf(group, rings).vertices) {
      v = (1.0 / length(v)) * v;
      for (int k = 0; k < 4; ++k) {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%.15g", v[k]);
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
  // Off the middle of an edge by less than a merge sees: the cells a merge makes keep it
  // among their points, but it is no corner.
  points.emplace_back(-1 - 1e-12, 0, 1 + 1e-12, 1 + 1e-12);
  Polytope p;
  std::string error;
  ASSERT_TRUE(convexHull(points, &p, &error)) << error;
  ASSERT_EQ(p.vertices.size(), corners);
  for (size_t i = 0; i < corners; ++i) EXPECT_LT(length(p.vertices[i] - points[i]), 1e-15);
  EXPECT_EQ(p.polygons.size(), 24u);
  EXPECT_EQ(p.cells(), 8);
  for (const auto& polygon : p.polygons) {
    ASSERT_EQ(polygon.size(), 4u);
    // Boundary order: consecutive corners differ in exactly one coordinate.
    for (int i = 0; i < 4; ++i) {
      EXPECT_DOUBLE_EQ(length(p.vertices[polygon[i]] - p.vertices[polygon[(i + 1) % 4]]), 2.0);
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

// Scaling must neither overflow nor underflow, and a point closer to a corner than the
// viewer can see must not leave a sliver behind.
TEST(HullTest, HullsSimplicesAtAnyScaleAndWithANearTwin) {
  const std::vector<Vec4> unit = {
      {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  for (double scale : {1e300, 1.7e308, 1e-300, 1e-310}) {
    std::vector<Vec4> points;
    for (const Vec4& v : unit) points.push_back(scale * v);
    Polytope p;
    std::string error;
    ASSERT_TRUE(convexHull(points, &p, &error)) << scale << ": " << error;
    EXPECT_EQ(p.vertices.size(), 5u) << scale;
    EXPECT_EQ(p.polygons.size(), 10u) << scale;
    expectValidHull(points, p, "simplex scaled by " + std::to_string(scale));
  }
  for (double offset : {-1e-9, 1e-9}) {  // just outside, just inside corner 0
    std::vector<Vec4> points = unit;
    points.emplace_back(offset, offset, offset, offset);
    Polytope p;
    std::string error;
    ASSERT_TRUE(convexHull(points, &p, &error)) << offset << ": " << error;
    EXPECT_EQ(p.vertices.size(), 5u) << offset;
    expectValidHull(points, p, "simplex with a twin " + std::to_string(offset) + " off a corner");
  }
}

// A cloud of one kind: on the 3-sphere, in the ball, in a cube, gaussian, sphere points
// mixed with interior ones, or a uniform polytope's vertices jittered by `jitter`.
std::vector<Vec4> cloud(const std::string& kind, int n, int seed, double jitter = 0.0) {
  std::mt19937 random(seed);
  std::normal_distribution<double> gauss;
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  auto onSphere = [&] {
    Vec4 v(gauss(random), gauss(random), gauss(random), gauss(random));
    return (1.0 / length(v)) * v;
  };
  std::vector<Vec4> points;
  if (kind == "jittered") {
    for (const Vec4& v : testing::wythoffOf("F4", n == 24 ? "1000" : "0100").vertices) {
      points.push_back((1.0 / length(v)) * v + jitter * onSphere());
    }
    return points;
  }
  for (int i = 0; i < n; ++i) {
    Vec4 v = onSphere();
    if (kind == "ball") v = std::pow(0.5 * (uniform(random) + 1.0), 0.25) * v;
    if (kind == "cube")
      v = Vec4(uniform(random), uniform(random), uniform(random), uniform(random));
    if (kind == "gaussian") v = Vec4(gauss(random), gauss(random), gauss(random), gauss(random));
    if (kind == "mixed" && i % 5 == 0) v = 0.99 * (0.5 * (uniform(random) + 1.0)) * v;
    if (kind == "offset") v = Vec4(1e15, -1e15, 1e15, 3e15) + 1000.0 * v;
    points.push_back(v);
  }
  return points;
}

// Every kind of cloud, at several sizes and seeds, and uniform polytopes jittered by any
// amount, give a hull the model check passes: near-coplanar cells stay apart with long
// normals, coplanar ones merge.
TEST(HullTest, HullsEveryKindOfCloudAndPassesTheCheck) {
  for (const char* kind : {"sphere", "ball", "cube", "gaussian", "mixed", "offset"}) {
    for (auto [n, seeds] : {std::pair{6, 6}, {40, 3}, {400, 1}}) {
      for (int seed = 1; seed <= seeds; ++seed) {
        const std::vector<Vec4> points = cloud(kind, n, seed);
        const std::string what =
            std::string(kind) + " " + std::to_string(n) + " seed " + std::to_string(seed);
        Polytope p;
        std::string error;
        ASSERT_TRUE(convexHull(points, &p, &error)) << what << ": " << error;
        if (std::string(kind) == "sphere") {
          EXPECT_EQ(p.vertices.size(), points.size()) << what;
        }
        expectValidHull(points, p, what);
      }
    }
  }
  // The 24-cell (cells meet at an angle) and the rectified 24-cell (many near-flat
  // angles once jittered), from rounding noise to coarse noise.
  for (int n : {24, 96}) {
    for (double jitter : {0.0, 1e-15, 1e-12, 1e-9, 1e-7, 1e-5, 1e-3, 1e-1}) {
      for (int seed = 1; seed <= 3; ++seed) {
        const std::vector<Vec4> points = cloud("jittered", n, seed, jitter);
        const std::string what = std::to_string(n) + " vertices jittered by " + shortReal(jitter) +
                                 ", seed " + std::to_string(seed);
        Polytope p;
        std::string error;
        ASSERT_TRUE(convexHull(points, &p, &error)) << what << ": " << error;
        if (jitter == 0.0) {
          EXPECT_EQ(p.cells(), n == 24 ? 24 : 48) << what;
        }
        expectValidHull(points, p, what);
      }
    }
  }
}

TEST(HullTest, ReadsPointFilesAndNamesTheirFaults) {
  testing::ScratchDir scratch;
  std::vector<Vec4> points;
  std::string error;
  // Numbers as strtod reads them, a '+' and hex included; the last line without its end.
  testing::writeText(scratch.file("ok.txt"), "3\n1 +2 3 4\n-1e-3 0 .5 7\n1e-310 0 0x1p-2 0");
  ASSERT_TRUE(readPointsFile(scratch.file("ok.txt"), &points, &error)) << error;
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].y, 2);
  EXPECT_EQ(points[2].z, 0.25);
  EXPECT_EQ(points[1].x, -1e-3);
  EXPECT_EQ(points[1].w, 7);
  EXPECT_EQ(points[2].x, 1e-310);

  testing::writeText(scratch.file("off.4off"),
                     "4OFF\n# comment\n2 0 0 0\n1 0 0 0\n0 0 0 1 7 7 7\n");
  ASSERT_TRUE(readPointsFile(scratch.file("off.4off"), &points, &error)) << error;
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[1].w, 1);

  struct Bad {
    const char* text;
    const char* message;
  };
  // Rows without a count, with commas, tabs, a header line and CR line ends; qhull's form.
  for (const char* text :
       {"1 2 3 4\n5 6 7 8\n", "x,y,z,w\r\n1,2,3,4\r\n5,6,7,8\r\n", "1\t2\t3\t4\n\n5 6\t7,8\n",
        "4 rbox\n2\n1 2 3 4\n5 6 7 8\n", "2\n1 2 3 4\n5 6 7 8\n",
        // A byte-order mark is no header: the first row stays a row.
        "\xef\xbb\xbf"
        "1 2 3 4\n5 6 7 8\n"}) {
    testing::writeText(scratch.file("rows.txt"), text);
    ASSERT_TRUE(readPointsFile(scratch.file("rows.txt"), &points, &error)) << text << error;
    ASSERT_EQ(points.size(), 2u) << text;
    EXPECT_EQ(points[1].x, 5) << text;
    EXPECT_EQ(points[1].w, 8) << text;
  }

  const Bad kBad[] = {
      {"3\n1 2 3 4\n5 6 7 8\n",
       ": line 3: the file ends after 2 rows, but the count line states 3"},
      {"1\n1 2 3 4\n5 6 7 8\n", ": line 3: more rows than the 1 the count line states"},
      {"4\n1\n1 2 3 4\n5 6 7 8\n", ": line 4: more rows than the 1 the count line states"},
      {"3\n2\n1 2 3\n", ": line 1: the points have 3 coordinates; a hull needs 4"},
      {"1\n1 2 x 4\n", ": line 2: 'x' is not a number"},
      {"1 2 3 4\n1 2 3\n", ": line 2: expected a row of four numbers, found 3 words"},
      {"1\n1 2 1e999 4\n", ": line 2: '1e999' is too large for a double"},
      // An empty field is no gap to close up, and makes no first row a header.
      {"1,,0,0,0\n0,1,0,0\n", ": line 1: expected a row of four numbers, found 5 words"},
      {"x,y,z,w\n1, ,0,0\n", ": line 2: field 2 is empty"},
  };
  for (const Bad& b : kBad) {
    testing::writeText(scratch.file("bad.txt"), b.text);
    EXPECT_FALSE(readPointsFile(scratch.file("bad.txt"), &points, &error)) << b.text;
    EXPECT_EQ(error, scratch.file("bad.txt") + b.message);
  }
  EXPECT_FALSE(readPointsFile(scratch.file("none.txt"), &points, &error));
  EXPECT_EQ(error, "Cannot open " + scratch.file("none.txt"));
  EXPECT_FALSE(readPointsFile(scratch.path(), &points, &error));
  EXPECT_EQ(error, "Cannot open " + scratch.path() + ": not a regular file");
}

}  // namespace
}  // namespace orvex::polytope
