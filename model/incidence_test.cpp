#include "model/incidence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

namespace orvex::model {
namespace {

// The tesseract: vertex i has coordinate k equal to +0.5 when bit k of i is set.
void tesseractVertices(Vec4List* v) {
  v->resize(16);
  for (int i = 0; i < 16; ++i) {
    for (int k = 0; k < 4; ++k) (*v)[i][k] = (i >> k & 1) ? 0.5 : -0.5;
  }
}

void axisNormals(Vec4List* n, double length) {
  n->resize(8);
  for (int k = 0; k < 4; ++k) {
    (*n)[2 * k][k] = length;
    (*n)[2 * k + 1][k] = -length;
  }
}

// The 24 squares, each in boundary order.
void tesseractSquares(IndexListArray* polygons) {
  std::ostringstream text;
  text << 24 << "\n";
  for (int i = 0; i < 4; ++i) {
    for (int j = i + 1; j < 4; ++j) {
      int k = -1, l = -1;
      for (int a = 0; a < 4; ++a) {
        if (a == i || a == j) continue;
        (k < 0 ? k : l) = a;
      }
      for (int fixed = 0; fixed < 4; ++fixed) {
        int base = ((fixed & 1) << i) | ((fixed >> 1) << j);
        int cycle[4] = {base, base | 1 << k, base | 1 << k | 1 << l, base | 1 << l};
        text << 4;
        for (int c : cycle) text << " " << c + 1;
        text << "\n";
      }
    }
  }
  std::istringstream in(text.str());
  polygons->read(in);
}

std::vector<int> numbers(const IndexList& l) { return {l.data.get(), l.data.get() + l.count}; }

TEST(IncidenceTest, SupportSetIsTheFaceInAscendingOrderWhateverTheNormalLength) {
  Vec4List v;
  tesseractVertices(&v);
  EXPECT_EQ(supportValue(Vec4(1, 0, 0, 0), v), 0.5);
  EXPECT_EQ(supportValue(Vec4(2, 0, 0, 0), v), 1.0);
  const std::vector<int> xFace = {1, 3, 5, 7, 9, 11, 13, 15};
  EXPECT_EQ(numbers(supportSet(Vec4(1, 0, 0, 0), v)), xFace);
  EXPECT_EQ(numbers(supportSet(Vec4(2, 0, 0, 0), v)), xFace);
  EXPECT_EQ(supportSet(Vec4(1, 0, 0, 0), v).capacity, 8);

  Vec4List none;
  EXPECT_EQ(supportSet(Vec4(1, 0, 0, 0), none).count, 0);
}

TEST(IncidenceTest, ToleranceIsStrictAndAbsolute) {
  Vec4List v;
  v.resize(3);
  v[0] = Vec4(1, 0, 0, 0);
  v[1] = Vec4(1 - 0.000005, 0.3, 0, 0);
  v[2] = Vec4(1 - 0.00002, -0.3, 0, 0);
  EXPECT_EQ(numbers(supportSet(Vec4(1, 0, 0, 0), v)), (std::vector<int>{0, 1}));
  // Ten times the normal's length makes the same gap ten times larger.
  EXPECT_EQ(numbers(supportSet(Vec4(10, 0, 0, 0), v)), (std::vector<int>{0}));
}

TEST(IncidenceTest, TesseractCellsHaveEightVerticesAndSixSquaresEachSquareInTwoCells) {
  Vec4List v, normals;
  IndexListArray polygons, cellVertices, cellPolygons;
  tesseractVertices(&v);
  axisNormals(&normals, 1.0);
  tesseractSquares(&polygons);
  deriveCellVertices(normals, v, &cellVertices);
  deriveCellPolygons(polygons, cellVertices, 0, &cellPolygons);
  ASSERT_EQ(cellVertices.count, 8);
  ASSERT_EQ(cellPolygons.count, 8);
  std::vector<int> cellsOfPolygon(24, 0);
  for (int c = 0; c < 8; ++c) {
    EXPECT_EQ(cellVertices[c].count, 8);
    ASSERT_EQ(cellPolygons[c].count, 6);
    EXPECT_EQ(cellPolygons[c].capacity, 6);
    for (int j = 0; j < 6; ++j) {
      if (j > 0) {
        EXPECT_LT(cellPolygons[c][j - 1], cellPolygons[c][j]);
      }
      ++cellsOfPolygon[cellPolygons[c][j]];
    }
  }
  for (int k = 0; k < 24; ++k) EXPECT_EQ(cellsOfPolygon[k], 2) << "polygon " << k;

  // Every cube closes up; without one square, or with one square twice, it does not.
  EXPECT_EQ(closedCells(cellPolygons, polygons), std::vector<bool>(8, true));
  IndexList cube = cellPolygons[0];
  IndexList open(5), doubled(7);
  for (int j = 0; j < 5; ++j) open[j] = cube[j + 1];
  for (int j = 0; j < 7; ++j) doubled[j] = cube[j % 6];
  EXPECT_FALSE(isClosedCell(open, polygons));
  EXPECT_FALSE(isClosedCell(doubled, polygons));
}

TEST(IncidenceTest, PolygonOffTheCellOrOutsideTheMarksIsNotTaken) {
  IndexListArray cellVertices, polygons, result;
  std::istringstream cells("1 3 1 2 3");
  cellVertices.read(cells);
  // The second polygon has vertex 4 off the cell; the third names vertex 9, beyond the
  // marks, which must count as off the cell rather than be read out of bounds.
  // The fourth has no vertices and so lies on every cell; the fifth starts on the cell
  // but leaves it.
  std::istringstream text("5 3 1 2 3 3 1 2 4 3 1 2 9 0 3 3 2 4");
  polygons.read(text);
  deriveCellPolygons(polygons, cellVertices, 0, &result);
  ASSERT_EQ(result.count, 1);
  EXPECT_EQ(numbers(result[0]), (std::vector<int>{0, 3}));
}

// deriveCellVertices skips groups of vertices by a bound on their products; it must find
// exactly the sets of the plain pass over every vertex (supportSet), also where rounding,
// ties at the tolerance, overflow, NaN products and coordinates that are not finite
// could tell them apart.
TEST(IncidenceTest, GroupedSearchFindsThePlainPassSetsOnHardClouds) {
  std::mt19937 random(7);
  std::normal_distribution<double> gauss;
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  auto sphere = [&](int count, double radius) {
    std::vector<Vec4> points;
    for (int i = 0; i < count; ++i) {
      Vec4 v(gauss(random), gauss(random), gauss(random), gauss(random));
      points.push_back((radius / length(v)) * v);
    }
    return points;
  };
  std::vector<std::pair<std::string, std::vector<Vec4>>> clouds;
  clouds.push_back({"sphere", sphere(3000, 1.0)});
  // Layers a tolerance apart and a hair either side of it along the first axis: the
  // strict comparison at the tolerance decides, in doubles.
  std::vector<Vec4> layers = sphere(600, 1.0);
  for (int i = 0; i < 200; ++i) {
    const double off = kIncidenceTolerance * (i % 5) * 0.5;
    double shift = 1.0 - off;
    if (i % 7 == 0) shift = std::nextafter(shift, 0.0);
    if (i % 7 == 1) shift = std::nextafter(shift, 2.0);
    layers.push_back(Vec4(shift, 1e-3 * unit(random), 1e-3 * unit(random), 1e-3 * unit(random)));
  }
  clouds.push_back({"layers", layers});
  std::vector<Vec4> repeated(300, Vec4(0.5, -0.5, 0.25, 1.0));
  for (int i = 0; i < 300; i += 3) repeated[i] = Vec4(0, 0, 0, 0);
  clouds.push_back({"repeated", repeated});
  clouds.push_back({"huge", sphere(500, 1e300)});
  clouds.push_back({"subnormal", sphere(500, 1e-310)});
  std::vector<Vec4> infinite = sphere(400, 1.0);
  infinite[0].y = std::numeric_limits<double>::infinity();  // NaN product at vertex 0
  infinite[123].w = -std::numeric_limits<double>::infinity();
  clouds.push_back({"infinite", infinite});

  for (const auto& [name, points] : clouds) {
    Vec4List vertices;
    vertices.resize(static_cast<int>(points.size()));
    for (size_t i = 0; i < points.size(); ++i) vertices[static_cast<int>(i)] = points[i];
    // Normals along the points and at random, of lengths from 1e-6 to 1e12, a few
    // along the axes, and one with a zero and a huge component.
    Vec4List normals;
    normals.resize(160);
    for (int c = 0; c < 160; ++c) {
      Vec4 d = c < 80 ? points[(c * 37) % points.size()]
                      : Vec4(gauss(random), gauss(random), gauss(random), gauss(random));
      if (!(length(d) > 0.0) || !std::isfinite(length(d))) d = Vec4(1, 0, 0, 0);
      if (c % 10 == 0) d = Vec4(c % 20 == 0 ? 1 : -1, 0, 0, 0);
      normals[c] = (std::pow(10.0, c % 19 - 6) / length(d)) * d;
    }
    normals[159] = Vec4(0, 1e200, 0, 1);
    IndexListArray derived;
    deriveCellVertices(normals, vertices, &derived);
    for (int c = 0; c < normals.count; ++c) {
      EXPECT_EQ(numbers(derived[c]), numbers(supportSet(normals[c], vertices)))
          << name << ", cell " << c;
    }
  }
}

class CountingArray : public IndexListArray {
 public:
  int progress(int percent) override {
    calls.push_back(percent);
    return calls.size() == static_cast<size_t>(stopAtCall) ? 1 : 0;
  }
  std::vector<int> calls;
  int stopAtCall = 0;
};

TEST(IncidenceTest, ProgressIsAskedEveryHundredCellsAndCanStop) {
  Vec4List v, normals;
  v.resize(2);
  v[0] = Vec4(1, 0, 0, 0);
  v[1] = Vec4(-1, 0, 0, 0);
  normals.resize(250);
  for (int c = 0; c < 250; ++c) normals[c] = Vec4(1, 0, 0, 0);

  CountingArray cellVertices;
  deriveCellVertices(normals, v, &cellVertices);
  EXPECT_EQ(cellVertices.calls, (std::vector<int>{0, 40, 80}));
  EXPECT_EQ(cellVertices[249].count, 1);

  CountingArray stopped;
  stopped.stopAtCall = 2;
  deriveCellVertices(normals, v, &stopped);
  EXPECT_EQ(stopped.count, 250);
  EXPECT_EQ(stopped[99].count, 1);
  EXPECT_EQ(stopped[100].count, 0);
  EXPECT_EQ(stopped[249].count, 0);

  IndexListArray polygons;
  CountingArray cellPolygons;
  cellPolygons.stopAtCall = 3;
  deriveCellPolygons(polygons, cellVertices, 0, &cellPolygons);
  EXPECT_EQ(cellPolygons.calls, (std::vector<int>{0, 40, 80}));
  EXPECT_EQ(cellPolygons.count, 250);
}

}  // namespace
}  // namespace orvex::model
