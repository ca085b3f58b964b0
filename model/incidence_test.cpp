#include "model/incidence.h"

#include <gtest/gtest.h>

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
