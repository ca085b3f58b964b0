#include "polytope/model_check.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <sstream>

#include "model/loader.h"
#include "polytope/dual.h"
#include "polytope/geometry.h"
#include "polytope/hull.h"
#include "polytope/model_writer.h"
#include "polytope/test_support.h"

namespace orvex::polytope {
namespace {

// Writes the tesseract, lets edit spoil one file's text, and checks the spoiled model.
class SpoiledTesseract {
 public:
  SpoiledTesseract() {
    std::string error;
    EXPECT_TRUE(writeModel(scratch_.path(), "t", testing::wythoffOf("B4", "1000"), &error));
  }
  std::string path(const char* which) const {
    return which == std::string("poi")   ? model::vertexFilePath(scratch_.path(), "t")
           : which == std::string("cel") ? model::polygonFilePath(scratch_.path(), "t")
                                         : model::normalsFilePath(scratch_.path(), "t.nor");
  }
  // Replaces the first occurrence of from in the file by to.
  void edit(const char* which, const std::string& from, const std::string& to) {
    std::string text = testing::readText(path(which));
    size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    testing::writeText(path(which), text.replace(at, from.size(), to));
  }
  std::string line(const char* which, int n) const {
    std::istringstream in(testing::readText(path(which)));
    std::string l;
    for (int i = 0; i <= n; ++i) std::getline(in, l);
    return l;
  }
  // The check's message, or "ok".
  std::string check(ModelReport* report = nullptr) const {
    ModelReport r;
    std::string error;
    return checkModel(scratch_.path(), "t", report ? report : &r, &error) ? "ok" : error;
  }

 private:
  testing::ScratchDir scratch_;
};

TEST(ModelCheckTest, PassesTheTesseractAndReportsItsCounts) {
  SpoiledTesseract t;
  ModelReport r;
  ASSERT_EQ(t.check(&r), "ok");
  EXPECT_EQ(r.vertices, 16);
  EXPECT_EQ(r.edges, 32);
  EXPECT_EQ(r.polygons, 24);
  EXPECT_EQ(r.cells, 8);
  EXPECT_EQ(r.cellKinds, "8 cubes");
  EXPECT_NEAR(r.smallestMargin, 1.0, 1e-12);  // unit normals, cube cells of edge 1
}

TEST(ModelCheckTest, FindsEachKindOfFault) {
  {
    SpoiledTesseract t;  // a polygon dropped: the boundary has a hole
    t.edit("cel", "24\n" + t.line("cel", 1) + "\n", "23\n");
    EXPECT_EQ(t.check(), "t: V - E + F - C = 16 - 32 + 23 - 8 is not 0");
  }
  {
    SpoiledTesseract t;  // the same polygon twice
    const std::string first = t.line("cel", 1);
    t.edit("cel", "24\n", "25\n" + first + "\n");
    EXPECT_EQ(t.check(), "t: polygon 1 repeats polygon 0");
  }
  {
    SpoiledTesseract t;  // a polygon again at the end, its corners the other way round
    std::istringstream in(t.line("cel", 6));
    int n, a, b, c, d;
    in >> n >> a >> b >> c >> d;
    const std::string reversed = "4 " + std::to_string(d) + " " + std::to_string(c) + " " +
                                 std::to_string(b) + " " + std::to_string(a) + "\n";
    t.edit("cel", "24\n", "25\n");
    t.edit("cel", t.line("cel", 24) + "\n", t.line("cel", 24) + "\n" + reversed);
    EXPECT_EQ(t.check(), "t: polygon 24 repeats polygon 5");
  }
  {
    SpoiledTesseract t;  // corners out of boundary order
    std::istringstream in(t.line("cel", 1));
    int n, a, b, c, d;
    in >> n >> a >> b >> c >> d;
    std::ostringstream crossed;
    crossed << "4 " << a << ' ' << c << ' ' << b << ' ' << d << ' ';
    t.edit("cel", t.line("cel", 1), crossed.str());
    EXPECT_EQ(t.check(), "t: polygon 0 is not convex in boundary order");
  }
  {
    SpoiledTesseract t;  // a normal tilted by less than the viewer's tolerance
    std::istringstream in(t.line("nor", 1));
    Vec4 n;
    in >> n.x >> n.y >> n.z >> n.w;
    // Any direction across n: the cell's vertices then sit at slightly different heights.
    Vec4 across(1, 0, 0, 0);
    across = across - dot(across, n) * n;
    if (length(across) < 0.5) across = Vec4(0, 1, 0, 0) - n.y * n;
    Vec4 tilted = n + (9.5e-6 / length(across)) * across;
    std::ostringstream text;
    text.precision(17);
    text << tilted.x << ' ' << tilted.y << ' ' << tilted.z << ' ' << tilted.w;
    t.edit("nor", t.line("nor", 1), text.str());
    EXPECT_EQ(t.check().substr(0, 61),
              "t: cell 0: the viewer's incidence rule finds 8 vertices, but ");
  }
  {
    SpoiledTesseract t;  // a normal flipped inward picks the opposite cell a second time
    const std::string n = t.line("nor", 1);
    std::istringstream in(n);
    double x, y, z, w;
    in >> x >> y >> z >> w;
    std::ostringstream flipped;
    flipped << formatReal(-x) << ' ' << formatReal(-y) << ' ' << formatReal(-z) << ' '
            << formatReal(-w);
    t.edit("nor", n, flipped.str());
    EXPECT_EQ(t.check(), "t: polygon 0 lies in 1 cell, not 2");
  }
  {
    SpoiledTesseract t;  // short normals shrink the margin the viewer's rule works with
    for (int c = 1; c <= 8; ++c) {
      std::istringstream in(t.line("nor", c));
      double x, y, z, w;
      in >> x >> y >> z >> w;
      std::ostringstream shorter;
      shorter << x * 1.5e-5 << ' ' << y * 1.5e-5 << ' ' << z * 1.5e-5 << ' ' << w * 1.5e-5;
      t.edit("nor", t.line("nor", c), shorter.str());
    }
    EXPECT_EQ(t.check(),
              "t: cell 0: vertex 6 lies only 1.5e-05 from its hyperplane; the viewer's incidence "
              "rule needs 2e-05");
  }
  {
    SpoiledTesseract t;  // one square split into two triangles: a face cut in its own plane
    std::istringstream in(t.line("cel", 1));
    int n, a, b, c, d;
    in >> n >> a >> b >> c >> d;
    std::ostringstream split;
    split << "3 " << a << ' ' << b << ' ' << c << "\n3 " << a << ' ' << c << ' ' << d;
    t.edit("cel", "24\n" + t.line("cel", 1), "25\n" + split.str());
    const std::string found = t.check();
    EXPECT_NE(found.find(": polygons 0 and 1 meet at edge "), std::string::npos) << found;
    EXPECT_NE(found.find(" in one plane, so they are one face split"), std::string::npos) << found;
  }
  {
    SpoiledTesseract t;  // a missing file is the loader's own message
    std::remove(t.path("nor").c_str());
    EXPECT_EQ(t.check(), "Cannot open file" + t.path("nor"));
  }
}

// The writer loads and checks the model in memory first: a model the check rejects is
// not written, and an existing model of that name keeps every byte.
TEST(ModelCheckTest, WriterWritesOnlyWhatPassesAndKeepsTheOldModelOnRefusal) {
  testing::ScratchDir scratch;
  std::string error;
  ASSERT_TRUE(writeModel(scratch.path(), "t", testing::wythoffOf("B4", "1000"), &error)) << error;
  const std::vector<std::string> files = scratch.entries();
  std::vector<std::string> before;
  for (const std::string& f : files) before.push_back(testing::readText(scratch.file(f)));

  Polytope crossed = testing::wythoffOf("B4", "1000");
  std::swap(crossed.polygons[3][1], crossed.polygons[3][2]);
  Polytope holed = testing::wythoffOf("B4", "1000");
  holed.polygons.pop_back();
  Polytope flipped = testing::wythoffOf("B4", "1000");
  flipped.normals[2] = -1.0 * flipped.normals[2];
  const std::pair<const Polytope*, std::string> kRefused[] = {
      {&crossed, "not writing t: polygon 3 is not convex in boundary order"},
      {&holed, "not writing t: V - E + F - C = 16 - 32 + 23 - 8 is not 0"},
      {&flipped, "not writing t: cell 2: "},
  };
  for (const auto& [polytope, message] : kRefused) {
    EXPECT_FALSE(writeModel(scratch.path(), "t", *polytope, &error)) << message;
    EXPECT_EQ(error.substr(0, message.size()), message);
    ASSERT_EQ(scratch.entries(), files) << message;
    for (size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(testing::readText(scratch.file(files[i])), before[i]) << files[i];
    }
  }
  // The writer refuses a name that is no plain file name itself, not only the command line.
  EXPECT_FALSE(writeModel(scratch.path(), "../t", testing::wythoffOf("B4", "1000"), &error));
  EXPECT_EQ(error.substr(0, 29), "model name '../t' must be a p");
  EXPECT_EQ(scratch.entries(), files);
  ModelReport report;
  EXPECT_TRUE(checkModel(scratch.path(), "t", &report, &error)) << error;
}

// The check measures with the normals as written, as the viewer's rule does: a vertex
// 4e-05 from a cell it is not on clears the rule with unit normals, but with normals of
// length 0.3 it lies only 1.2e-05 below, inside the margin.
TEST(ModelWriterTest, FormatsRealsAsTheShortestOfPrintfsFifteenToSeventeenDigits) {
  auto printfs = [](double v) {
    char text[40];
    for (int digits = 15; digits <= 17; ++digits) {
      std::snprintf(text, sizeof text, "%.*g", digits, v);
      if (std::strtod(text, nullptr) == v) break;
    }
    return std::string(v == 0.0 ? "0" : text);
  };
  // Short decimals either side of %g's switch to exponents, both ends of the normal
  // range and past them, and doubles next to powers of two (whose lower neighbour is
  // nearer), then random bit patterns and random coordinates.
  std::vector<double> values = {0.1,     -0.5,   1.0,     123456789012345.0, 1e15,    1e14,
                                9.99e14, 1e-4,   9.9e-5,  1e-5,              0.00012, 1e22,
                                1e-300,  1e300,  DBL_MIN, DBL_MAX,           4.9e-324, 2.2e-310,
                                -0.0,    1.0 / 3, 2.0 / 3, 0.3,
                                // Exact decimals one digit past the shortest's, ending in 5:
                                // ties that the nearest 16 or 17 digits could break either way.
                                0.123455047607421875, 8.0000152587890625, 123456789012345.125,
                                1000000000000000.25, std::ldexp(1.0, -70), std::ldexp(1.0, -1000)};
  for (int e = -60; e <= 60; ++e) {
    values.push_back(std::ldexp(1.0, e));
    values.push_back(std::nextafter(std::ldexp(1.0, e), 0.0));
    values.push_back(std::nextafter(std::ldexp(1.0, e), 1e300));
    values.push_back(std::pow(10.0, e / 3));
  }
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int i = 0; i < 20000; ++i) {
    const uint64_t bits = random();
    double v = 0.0;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) values.push_back(v);
    values.push_back(unit(random));
    values.push_back(std::round(unit(random) * 1e6) / 1e6);
  }
  for (double v : values) EXPECT_EQ(formatReal(v), printfs(v)) << std::hexfloat << v;
}

TEST(ModelCheckTest, MeasuresIncidenceWithTheNormalsAsWritten) {
  std::vector<Vec4> points = testing::wythoffOf("B4", "1000").vertices;
  const double half = std::fabs(points[0].x);
  points.emplace_back(half + 2e-5 * 2 * half, 0, 0, 0);  // a low pyramid on one cube
  Polytope hull;
  std::string error;
  ASSERT_TRUE(convexHull(points, &hull, &error)) << error;
  testing::ScratchDir scratch;
  ASSERT_TRUE(writeModel(scratch.path(), "p", hull, &error)) << error;
  ModelReport report;
  ASSERT_TRUE(checkModel(scratch.path(), "p", &report, &error)) << error;
  const double unitMargin = report.smallestMargin;
  EXPECT_NEAR(unitMargin, 4e-5, 4e-6);

  const std::string normals = model::normalsFilePath(scratch.path(), "p.nor");
  std::istringstream in(testing::readText(normals));
  int count;
  double header;
  in >> count >> header;
  std::ostringstream shorter;
  shorter.precision(17);
  shorter << count << " 0\n";
  for (int c = 0; c < count; ++c) {
    Vec4 n;
    in >> n.x >> n.y >> n.z >> n.w;
    n = (0.3 / length(n)) * n;
    shorter << n.x << ' ' << n.y << ' ' << n.z << ' ' << n.w << '\n';
  }
  testing::writeText(normals, shorter.str());
  EXPECT_FALSE(checkModel(scratch.path(), "p", &report, &error));
  const size_t at = error.find(" lies only ");
  ASSERT_NE(at, std::string::npos) << error;
  EXPECT_NEAR(std::atof(error.c_str() + at + 11), 0.3 * unitMargin, 1e-7) << error;
  EXPECT_NE(error.find(" from its hyperplane; the viewer's incidence rule needs 2e-05"),
            std::string::npos)
      << error;

  // The check's search reaches below each cell only as far as it must: its smallest
  // margin is still exactly the one over every cell and every vertex, on a hull whose
  // cells' margins all differ and some of whose normals are written longer.
  std::mt19937 random(7);
  std::normal_distribution<double> gauss;
  std::vector<Vec4> cloud;
  for (int i = 0; i < 400; ++i) {
    const Vec4 v(gauss(random), gauss(random), gauss(random), gauss(random));
    cloud.push_back((1.0 / length(v)) * v);
  }
  ASSERT_TRUE(convexHull(cloud, &hull, &error)) << error;
  ASSERT_TRUE(writeModel(scratch.path(), "cloud", hull, &error)) << error;
  ASSERT_TRUE(checkModel(scratch.path(), "cloud", &report, &error)) << error;
  model::Model m;
  model::Vec3List projected;
  ASSERT_TRUE(model::loadModel(scratch.path(), "cloud", &m, &projected, &error)) << error;
  model::Vec4Table written;
  std::istringstream text(testing::readText(model::normalsFilePath(scratch.path(), "cloud.nor")));
  written.read(text);
  double smallest = INFINITY;
  bool lengthened = false;
  for (int c = 0; c < written.count; ++c) {
    const Vec4& n = written[c];
    lengthened = lengthened || length(n) > 1.0 + 1e-9;
    double h = -INFINITY, next = -INFINITY;
    for (int i = 0; i < m.vertices->count; ++i) h = std::max(h, dot(n, (*m.vertices)[i]));
    for (int i = 0; i < m.vertices->count; ++i) {
      const double d = dot(n, (*m.vertices)[i]);
      if (d <= h - 0.5 * model::kIncidenceTolerance) next = std::max(next, d);
    }
    smallest = std::min(smallest, h - next);
  }
  EXPECT_TRUE(lengthened);
  EXPECT_EQ(report.smallestMargin, smallest);
}

// Every writer gives each cell the vertices of its polygons under the viewer's own rule,
// measured here apart from the check: six points whose hull has a vertex 3.9e-06 from a
// cell of its dual, hulled, then dualised.
TEST(ModelCheckTest, WrittenModelsHaveExactlyTheirPolygonsVerticesOnEachCell) {
  const std::vector<Vec4> six = {
      {0.0014483872420678852, 0.003342119193639329, 0.0004553850973951948,
       -0.0013350967789113265},
      {0.0009935766391905912, 0.004696861719758633, -0.0001133802252426211,
       -0.0008404673766438068},
      {0.0006683298010335464, 0.002719674912378711, 0.0016052516077795821,
       -0.0015106461072010924},
      {-0.002859928024766471, -0.0024321173855392795, 0.0005670833929509907,
       0.0010178387913008077},
      {0.00018406157798207972, 7.829790429283632e-05, -0.002171079489071502,
       0.0006105645866570149},
      {1.0052979614625008, -0.0010683563308936516, 0.0018789139944762096,
       0.0010341763162941072}};
  testing::ScratchDir scratch;
  Polytope hull, dual;
  std::string error;
  ASSERT_TRUE(convexHull(six, &hull, &error)) << error;
  ASSERT_TRUE(writeModel(scratch.path(), "six", hull, &error)) << error;
  Polytope loaded;
  ASSERT_TRUE(loadPolytope(scratch.path(), "six", &loaded, &error)) << error;
  ASSERT_TRUE(dualPolytope(loaded, &dual, &error)) << error;
  ASSERT_TRUE(writeModel(scratch.path(), "dual", dual, &error)) << error;
  for (const char* name : {"six", "dual"}) {
    model::Model m;
    model::Vec3List projected;
    ASSERT_TRUE(model::loadModel(scratch.path(), name, &m, &projected, &error)) << error;
    for (int c = 0; c < m.cellNormals->count; ++c) {
      std::set<int> used;
      const model::IndexList& polygons = (*m.cellPolygons)[c];
      for (int i = 0; i < polygons.count; ++i) {
        const model::IndexList& p = (*m.polygons)[polygons[i]];
        used.insert(p.data.get(), p.data.get() + p.count);
      }
      const model::IndexList& own = (*m.cellVertices)[c];
      EXPECT_EQ(std::set<int>(own.data.get(), own.data.get() + own.count), used)
          << name << " cell " << c;
    }
  }
}

TEST(ModelCheckTest, NamesCellKindsByTheirPolygons) {
  auto name = [](std::initializer_list<std::pair<int, int>> sides) {
    int counts[16] = {};
    for (auto [k, n] : sides) counts[k] = n;
    return cellKindName(counts, 15);
  };
  EXPECT_EQ(name({{3, 4}}), "tetrahedron");
  EXPECT_EQ(name({{3, 8}}), "octahedron");
  EXPECT_EQ(name({{4, 6}}), "cube");
  EXPECT_EQ(name({{3, 2}, {4, 3}}), "triangular prism");
  EXPECT_EQ(name({{4, 12}, {12, 2}}), "12-gonal prism");
  EXPECT_EQ(name({{3, 10}, {5, 2}}), "pentagonal antiprism");
  EXPECT_EQ(name({{3, 32}, {4, 6}}), "snub cube");
  EXPECT_EQ(name({{4, 4}, {5, 2}}), "");  // a pentagonal prism short of a side
  EXPECT_EQ(name({{3, 4}, {4, 3}}), "");
}

}  // namespace
}  // namespace orvex::polytope
