#include "tools/gen/library.h"

#include <gtest/gtest.h>

#include "tools/gen/model_check.h"
#include "tools/gen/model_writer.h"
#include "tools/gen/test_support.h"

namespace orvex::gen {
namespace {

const std::string kTable = std::string(ORVEX_SOURCE_DIR) + "/data/polytopes.tsv";

std::vector<LibraryEntry> tableRows() {
  std::vector<LibraryEntry> rows;
  std::string error;
  if (!readLibraryTable(kTable, &rows, &error)) ADD_FAILURE() << error;
  return rows;
}

void expectCounts(const LibraryEntry& row, const ModelReport& report) {
  EXPECT_EQ(report.vertices, row.vertices);
  EXPECT_EQ(report.edges, row.edges);
  EXPECT_EQ(report.polygons, row.polygons);
  EXPECT_EQ(report.cells, row.cells);
}

class LibraryRowTest : public ::testing::TestWithParam<LibraryEntry> {};

// The library the build generated is what the viewer opens: each row must be there,
// pass every check and have the table's counts. Rows up to a few thousand vertices are
// also built afresh here, so a wrong count shows even before the library is rebuilt.
TEST_P(LibraryRowTest, GeneratesTheTableCountsAndPassesCheck) {
  const LibraryEntry& row = GetParam();
  ModelReport shipped;
  std::string error;
  ASSERT_TRUE(checkModel(ORVEX_MODELS_DIR, row.name, &shipped, &error)) << error;
  expectCounts(row, shipped);
  EXPECT_GE(shipped.smallestMargin, kRequiredMargin);

  if (row.vertices > 2400) return;
  testing::ScratchDir scratch;
  Polytope built;
  ASSERT_TRUE(buildLibraryEntry(row, tableRows(), nullptr, &built, &error)) << error;
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
  EXPECT_EQ(error, scratch.file("t.tsv") +
                       ":2: expected name, family, construction and four counts, tab-separated");

  Polytope p;
  LibraryEntry e{"x", "uniform", "wythoff Q4 1000", 0, 0, 0, 0};
  EXPECT_FALSE(buildLibraryEntry(e, {}, nullptr, &p, &error));
  EXPECT_EQ(error, "x: unknown group 'Q4'");
  e.construction = "hull: something";
  EXPECT_FALSE(buildLibraryEntry(e, {}, nullptr, &p, &error));
  EXPECT_EQ(error, "x: no point set of that name for its hull");
  e.construction = "{2}×{5}";
  EXPECT_FALSE(buildLibraryEntry(e, {}, nullptr, &p, &error));
  EXPECT_EQ(error, "x: unknown construction '{2}×{5}'");
}

}  // namespace
}  // namespace orvex::gen
