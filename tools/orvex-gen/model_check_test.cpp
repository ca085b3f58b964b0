#include "tools/orvex-gen/model_check.h"

#include <gtest/gtest.h>

#include <sstream>

#include "model/loader.h"
#include "tools/orvex-gen/geometry.h"
#include "tools/orvex-gen/model_writer.h"
#include "tools/orvex-gen/test_support.h"

namespace orvex::gen {
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
  ModelReport report;
  EXPECT_TRUE(checkModel(scratch.path(), "t", &report, &error)) << error;
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
}  // namespace orvex::gen
