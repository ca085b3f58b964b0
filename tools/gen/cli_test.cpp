#include "tools/gen/cli.h"

#include <gtest/gtest.h>

#include "tools/gen/model_writer.h"
#include "tools/gen/test_support.h"

namespace orvex::gen {
namespace {

using testing::runGen;
using testing::ScratchDir;

TEST(CliTest, HelpNamesEverySubcommand) {
  ScratchDir scratch;
  auto r = runGen({"--help"}, scratch);
  EXPECT_EQ(r.exitStatus, 0);
  for (const char* sub : {"wythoff GROUP RINGS NAME", "duoprism P Q NAME", "antiprism-prism P NAME",
                          "hull POINTS-FILE NAME", "import FILE.4off NAME", "export NAME FILE.4off",
                          "check [--uniform] NAME", "dual NAME NEWNAME", "list", "library TABLE"}) {
    EXPECT_NE(r.out.find(sub), std::string::npos) << sub;
  }
  EXPECT_EQ(r.err, "");
}

TEST(CliTest, WritesChecksAndListsModels) {
  ScratchDir scratch;
  const std::string d = scratch.path();
  auto r = runGen({"-d", d, "wythoff", "H3A1", "1001", "dp"}, scratch);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "wrote dp to " + d + ": 40 vertices, 54 polygons, 14 cells\n");
  ASSERT_EQ(runGen({"duoprism", "3", "4", "dq", "--data-dir", d}, scratch).exitStatus, 0);
  ASSERT_EQ(runGen({"-d", d, "antiprism-prism", "3", "ap"}, scratch).exitStatus, 0);
  testing::writeText(scratch.file("p.txt"),
                     "6\n1 0 0 0\n-1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n0 0 0 -1\n");
  ASSERT_EQ(runGen({"-d", d, "hull", scratch.file("p.txt"), "h"}, scratch).exitStatus, 0);

  r = runGen({"-d", d, "check", "dp"}, scratch);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find("; incidence")),
            "dp: V 40, E 80, F 54, C 14; cells: 12 pentagonal prisms, 2 dodecahedra");
  r = runGen({"-d", d, "check", "ap"}, scratch);  // the triangular antiprism is an octahedron
  EXPECT_NE(r.out.find("cells: 8 triangular prisms, 2 octahedra"), std::string::npos) << r.out;

  // The files are what the viewer reads: the vertex file ends with the normals' name.
  const std::string poi = testing::readText(d + "/dp.poi");
  EXPECT_EQ(poi.substr(poi.size() - 7), "dp.nor\n");

  r = runGen({"-d", d, "check", "--uniform", "dp"}, scratch);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.out.find("; uniform: edge spread "), std::string::npos) << r.out;
  // A simplex stacked on one cell has no centre of symmetry, so its dual is only convex
  // if the poles are taken about an inside point: 6, 14, 16, 8 turn into 8, 16, 14, 6.
  testing::writeText(scratch.file("s.txt"),
                     "6\n0 0 0 0\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n0.4 0.4 0.4 0.4\n");
  ASSERT_EQ(runGen({"-d", d, "hull", scratch.file("s.txt"), "s"}, scratch).exitStatus, 0);
  r = runGen({"-d", d, "dual", "s", "ds"}, scratch);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "wrote ds to " + d + ": 8 vertices, 14 polygons, 6 cells\n");
  r = runGen({"-d", d, "check", "ds"}, scratch);
  EXPECT_EQ(r.out.substr(0, r.out.find("; incidence")),
            "ds: V 8, E 16, F 14, C 6; cells: 4 triangular prisms, 2 tetrahedra")
      << r.err;

  r = runGen({"-d", d, "list"}, scratch);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.out.find("dp                                        40      54      14"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("6 models in " + d), std::string::npos) << r.out;
}

// Every fault a user can make: exit status 1 and exactly one line on stderr, saying what.
TEST(CliTest, EachBadInputGivesOneLineAndStatusOne) {
  ScratchDir scratch;
  const std::string d = scratch.path();
  testing::writeText(scratch.file("flat.txt"), "5\n0 0 0 0\n1 0 0 0\n0 1 0 0\n0 0 1 0\n1 1 1 0\n");
  testing::writeText(scratch.file("nan.txt"), "5\n0 0 0 0\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 nan 1\n");
  testing::writeText(scratch.file("bad.4off"), "4OFF\n1 0 0 0\n1 2 3\n");
  testing::writeText(scratch.file("spoiled.poi"), "3 0\n1 0 0 0\n");
  // A tesseract with one coordinate moved by 1e-9: it passes check, but is not uniform.
  std::string error;
  ASSERT_TRUE(writeModel(d, "bent", testing::wythoffOf("B4", "1000"), &error)) << error;
  std::string bent = testing::readText(d + "/bent.poi");
  bent.replace(bent.find("0.5"), 3, "0.500000001");
  testing::writeText(d + "/bent.poi", bent);
  // A table whose uniform row is the dual of a uniform polychoron, which is not.
  testing::writeText(scratch.file("t.tsv"),
                     "r\tuniform\twythoff A4 0100\t10\t30\t30\t10\n"
                     "d\tuniform\tdual r\t10\t30\t30\t10\n");
  const std::string flat = scratch.file("flat.txt"), nan = scratch.file("nan.txt"),
                    off = scratch.file("bad.4off"), none = scratch.file("none");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case kCases[] = {
      {{}, "no subcommand given (see --help)"},
      {{"frobnicate"}, "unknown subcommand 'frobnicate' (see --help)"},
      {{"--verbose", "list"}, "unknown option '--verbose' (see --help)"},
      {{"list", "-d"}, "-d needs a directory"},
      {{"wythoff", "B4", "1000"}, "wythoff takes GROUP RINGS NAME (see --help)"},
      {{"wythoff", "E6", "1000", "x"}, "unknown group 'E6' (known: A4 B4 D4 F4 H4 A3A1 B3A1 H3A1)"},
      {{"wythoff", "B4", "0000", "x"},
       "ring pattern '0000' leaves a part of the B4 diagram without a ring, so the result is flat"},
      {{"wythoff", "B4", "10x0", "x"}, "ring pattern '10x0' is not four digits 0 or 1"},
      {{"wythoff", "B4", "1000", "a/b"},
       "model name 'a/b' must be a plain file name (no '/', no spaces, not starting with '-')"},
      {{"duoprism", "2", "5", "x"}, "P must be a whole number from 3 to 1000, got '2'"},
      {{"duoprism", "3", "5x", "x"}, "Q must be a whole number from 3 to 1000, got '5x'"},
      {{"duoprism", "300", "200", "x"}, "P × Q must be at most 40000, got 60000"},
      {{"antiprism-prism", "99999999999", "x"},
       "P must be a whole number from 3 to 1000, got '99999999999'"},
      {{"hull", none, "x"}, "Cannot open " + none},
      {{"hull", flat, "x"},
       flat + ": all points lie in one hyperplane, so they bound no 4D polytope"},
      {{"hull", nan, "x"}, nan + ": point 4 has a coordinate that is not finite"},
      {{"hull", off, "x"}, off + ":3: vertex 0 is not four finite numbers"},
      {{"import", off, "x"}, off + ":3: vertex 0 is not four finite numbers"},
      {{"import", none, "x"}, "Cannot open " + none},
      {{"export", "missing", scratch.file("o.4off")}, "Cannot open file" + d + "/missing.poi"},
      {{"check", "missing"}, "Cannot open file" + d + "/missing.poi"},
      {{"check", "spoiled"}, d + "/spoiled.poi: "},
      {{"check", "--uniform"}, "check takes [--uniform] NAME (see --help)"},
      {{"check", "--uniform", "bent"}, "bent: not uniform: vertex 0 lies "},
      {{"dual", "bent"}, "dual takes NAME NEWNAME (see --help)"},
      {{"dual", "spoiled", "x"}, d + "/spoiled.poi: "},
      {{"dual", "bent", "a b"}, "model name 'a b' must be a plain file name"},
      {{"library", scratch.file("t.tsv")}, "d: not uniform: vertex "},
      {{"points", "pentagram", scratch.file("p")},
       "unknown point set 'pentagram' (known: snub-24-cell, grand-antiprism, snub-cubic-prism, "
       "snub-dodecahedral-prism)"},
      {{"library", none}, "Cannot open " + none},
  };
  for (const Case& c : kCases) {
    std::vector<std::string> args{"-d", d};
    args.insert(args.end(), c.args.begin(), c.args.end());
    auto r = runGen(args, scratch);
    std::string shown;
    for (const auto& a : c.args) shown += a + " ";
    EXPECT_EQ(r.exitStatus, 1) << shown;
    ASSERT_FALSE(r.err.empty()) << shown;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << shown << ": " << r.err;
    EXPECT_EQ(r.err.rfind("orvex-gen: " + c.message, 0), 0u) << shown << ": " << r.err;
    EXPECT_EQ(r.out, "") << shown;
  }
  auto r = runGen({"-d", scratch.file("flat.txt"), "wythoff", "A4", "1000", "x"}, scratch);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_NE(r.err.find(flat + ": cannot create the directory"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace orvex::gen
