#include "polytope/library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "polytope/dual.h"
#include "polytope/faces.h"
#include "polytope/geometry.h"
#include "polytope/model_check.h"
#include "polytope/model_writer.h"
#include "polytope/test_support.h"
#include "polytope/uniformity.h"

namespace orvex::polytope {
namespace {

using testing::tableRows;

void expectCounts(const LibraryEntry& row, const ModelReport& report) {
  EXPECT_EQ(report.vertices, row.vertices);
  EXPECT_EQ(report.edges, row.edges);
  EXPECT_EQ(report.polygons, row.polygons);
  EXPECT_EQ(report.cells, row.cells);
}

class LibraryRowTest : public ::testing::TestWithParam<LibraryEntry> {};

// Polygons as sorted vertex sets, in sorted order: the same faces whatever the order.
std::vector<std::vector<int>> faceSets(const Polytope& p) {
  std::vector<std::vector<int>> sets = p.polygons;
  for (auto& s : sets) std::sort(s.begin(), s.end());
  std::sort(sets.begin(), sets.end());
  return sets;
}

// The library the build generated is what the viewer opens: each row must be there,
// pass every check and have the table's counts, and a row of a uniform family must be
// uniform as written (counts alone once passed a snub with wrong coordinates). Rows up to
// a few thousand vertices and cells are also built afresh here, so a wrong count shows
// even before the library is rebuilt, and a dual row's dual is the original again.
TEST_P(LibraryRowTest, GeneratesTheTableCountsAndPassesCheck) {
  const LibraryEntry& row = GetParam();
  ModelReport shipped;
  std::string error;
  ASSERT_TRUE(checkModel(ORVEX_MODELS_DIR, row.name, &shipped, &error)) << error;
  expectCounts(row, shipped);
  EXPECT_GE(shipped.smallestMargin, kLibraryMargin);
  if (isUniformFamily(row.family)) {
    Polytope written;
    ASSERT_TRUE(loadPolytope(ORVEX_MODELS_DIR, row.name, &written, &error)) << error;
    EXPECT_TRUE(
        checkUniform(written.vertices, written.polygons, kUniformTolerance, nullptr, &error))
        << error;
  }

  if (std::max(row.vertices, row.cells) > 2400) return;
  testing::ScratchDir scratch;
  Polytope built;
  BuiltRows kept;
  ASSERT_TRUE(buildLibraryEntry(row, tableRows(), &kept, &built, &error)) << error;
  if (row.family == "dual") {
    Polytope original = kept.at(row.construction.substr(5)), twice;
    ASSERT_TRUE(dualPolytope(built, &twice, &error)) << error;
    normalize(&original);
    normalize(&twice);
    ASSERT_EQ(twice.vertices.size(), original.vertices.size());
    double apart = 0.0;
    for (size_t i = 0; i < original.vertices.size(); ++i) {
      apart = std::max(apart, length(twice.vertices[i] - original.vertices[i]));
    }
    EXPECT_LT(apart, 1e-12);
    EXPECT_EQ(faceSets(twice), faceSets(original));
  }
  ASSERT_TRUE(writeModel(scratch.path(), row.name, built, &error)) << error;
  ModelReport fresh;
  ASSERT_TRUE(checkModel(scratch.path(), row.name, &fresh, &error)) << error;
  expectCounts(row, fresh);
}

INSTANTIATE_TEST_SUITE_P(Table, LibraryRowTest, ::testing::ValuesIn(tableRows()),
                         [](const ::testing::TestParamInfo<LibraryEntry>& info) {
                           std::string name;
                           for (char c : info.param.name) name += std::isalnum(c) ? c : '_';
                           return name;
                         });

TEST(LibraryTest, TableCoversEveryFamilyAndReadmeListsEveryRow) {
  std::vector<LibraryEntry> rows = tableRows();
  std::map<std::string, int> families;
  for (const LibraryEntry& e : rows) ++families[e.family];
  EXPECT_EQ(families["regular"], 6);
  EXPECT_EQ(families["regular"] + families["uniform"], 47);
  EXPECT_EQ(families["prism"], 17);
  EXPECT_EQ(families["duoprism"], 35);  // 3 <= p <= q <= 10, less the tesseract
  EXPECT_EQ(families["antiprismatic-prism"], 7);
  EXPECT_EQ(families["dual"], families["uniform"]);
  // A dual row's counts are its original's turned round, and no original is left out.
  std::set<std::string> dualised;
  for (const LibraryEntry& d : rows) {
    if (d.family != "dual") continue;
    auto original = std::find_if(rows.begin(), rows.end(), [&](const LibraryEntry& e) {
      return "dual " + e.name == d.construction;
    });
    ASSERT_NE(original, rows.end()) << d.name;
    EXPECT_EQ(d.name, "dual-" + original->name);
    EXPECT_EQ(original->family, "uniform") << d.name;
    EXPECT_EQ(std::vector<int>({d.vertices, d.edges, d.polygons, d.cells}),
              std::vector<int>(
                  {original->cells, original->polygons, original->edges, original->vertices}))
        << d.name;
    dualised.insert(original->name);
  }
  EXPECT_EQ(dualised.size(), static_cast<size_t>(families["uniform"]));

  // The committed page must match the table it is made from.
  const std::string committed =
      testing::readText(std::string(ORVEX_SOURCE_DIR) + "/data/README.md");
  EXPECT_EQ(committed, libraryReadme(rows));
}

TEST(LibraryTest, RefusesMalformedTablesAndUnknownConstructions) {
  testing::ScratchDir scratch;
  std::vector<LibraryEntry> rows;
  std::string error;
  EXPECT_FALSE(readLibraryTable(scratch.file("none.tsv"), &rows, &error));
  EXPECT_EQ(error, "Cannot open " + scratch.file("none.tsv"));

  testing::writeText(scratch.file("t.tsv"),
                     "# header\nc5\tregular\twythoff A4 1000\t5\t10\tx\t5\n");
  EXPECT_FALSE(readLibraryTable(scratch.file("t.tsv"), &rows, &error));
  const std::string expected =
      ": expected name, family, construction and four counts, then optionally symmetry, "
      "volume, circumradius and dual ('-' where unknown), tab-separated";
  EXPECT_EQ(error, scratch.file("t.tsv") + ":2" + expected);
  // The measure columns come all four or not at all, each a number or '-'.
  for (const char* tail : {"\t120\t-\t-", "\t12x\t-\t-\t-", "\t120\t0\t-\t-",
                           "\t120\t-\t1e999\t-"}) {
    testing::writeText(scratch.file("t.tsv"),
                       std::string("c5\tregular\twythoff A4 1000\t5\t10\t10\t5") + tail + "\n");
    EXPECT_FALSE(readLibraryTable(scratch.file("t.tsv"), &rows, &error)) << tail;
    EXPECT_EQ(error, scratch.file("t.tsv") + ":1" + expected);
  }
  testing::writeText(scratch.file("t.tsv"), "c5\tregular\twythoff A4 1000\t5\t10\t10\t5\t120\t-"
                                            "\t0.5\tc5\n");
  ASSERT_TRUE(readLibraryTable(scratch.file("t.tsv"), &rows, &error)) << error;
  EXPECT_EQ(rows[0].symmetry, 120u);
  EXPECT_EQ(rows[0].unitVolume, 0.0);
  EXPECT_EQ(rows[0].unitCircumradius, 0.5);
  EXPECT_EQ(rows[0].dual, "c5");
  testing::writeText(scratch.file("t.tsv"), "c5\tregullar\twythoff A4 1000\t5\t10\t10\t5\n");
  EXPECT_FALSE(readLibraryTable(scratch.file("t.tsv"), &rows, &error));
  EXPECT_EQ(error, scratch.file("t.tsv") +
                       ":1: unknown family 'regullar' (known: regular uniform prism duoprism "
                       "antiprismatic-prism dual)");
  // Two rows of one name would write one model over the other.
  testing::writeText(scratch.file("t.tsv"),
                     "c5\tregular\twythoff A4 1000\t5\t10\t10\t5\r\n"
                     "# again\r\n\r\n"
                     "c5\tregular\twythoff A4 0001\t5\t10\t10\t5\r\n");
  EXPECT_FALSE(readLibraryTable(scratch.file("t.tsv"), &rows, &error));
  EXPECT_EQ(error, scratch.file("t.tsv") + ":4: the name 'c5' is already that of line 1");

  Polytope p;
  LibraryEntry e;
  e.name = "x";
  e.family = "uniform";
  e.construction = "wythoff Q4 1000";
  EXPECT_FALSE(buildLibraryEntry(e, {}, nullptr, &p, &error));
  EXPECT_EQ(error, "x: unknown group 'Q4'");
  e.construction = "hull: something";
  EXPECT_FALSE(buildLibraryEntry(e, {}, nullptr, &p, &error));
  EXPECT_EQ(error, "x: no point set of that name for its hull");
  e.construction = "{2}×{5}";
  EXPECT_FALSE(buildLibraryEntry(e, {}, nullptr, &p, &error));
  EXPECT_EQ(error, "x: unknown construction '{2}×{5}'");
  // A dual may name only an earlier row, so a chain of duals cannot loop.
  std::vector<LibraryEntry> table(2);
  table[0].name = "a";
  table[0].construction = "dual b";
  table[1].name = "b";
  table[1].construction = "dual a";
  for (LibraryEntry& row : table) row.family = "dual";
  EXPECT_FALSE(buildLibraryEntry(table[0], table, nullptr, &p, &error));
  EXPECT_EQ(error, "a: 'b' is not an earlier row of the table");
  EXPECT_FALSE(buildLibraryEntry(table[1], table, nullptr, &p, &error));
  EXPECT_EQ(error, "a: 'b' is not an earlier row of the table");
}

}  // namespace
}  // namespace orvex::polytope
