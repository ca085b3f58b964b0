#include "tools/orvex-gen/cli.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "polytope/model_writer.h"
#include "polytope/off4.h"
#include "polytope/test_support.h"

namespace orvex::gen {
using namespace ::orvex::polytope;
namespace {

using polytope::testing::runGen;
using polytope::testing::ScratchDir;

// The prism over a polyhedron as 4OFF: its corners at w = -1 and w = 1, its faces at both
// ends, each edge swept into a square, and a cell for each end and each face.
Off4 prismOver(const std::vector<std::array<double, 3>>& corners,
               const std::vector<std::vector<int>>& faces) {
  const int n = static_cast<int>(corners.size()), f = static_cast<int>(faces.size());
  Off4 off;
  for (double w : {-1.0, 1.0}) {
    for (const auto& c : corners) off.vertices.emplace_back(c[0], c[1], c[2], w);
  }
  off.cells.resize(2);
  for (int end = 0; end < 2; ++end) {
    for (int i = 0; i < f; ++i) {
      std::vector<int> face = faces[i];
      for (int& v : face) v += end * n;
      off.cells[end].push_back(static_cast<int>(off.polygons.size()));
      off.polygons.push_back(face);
    }
  }
  std::map<std::pair<int, int>, int> sides;
  for (int i = 0; i < f; ++i) {
    std::vector<int> cell = {i, f + i};
    for (size_t k = 0; k < faces[i].size(); ++k) {
      const int a = faces[i][k], b = faces[i][(k + 1) % faces[i].size()];
      auto side = sides.emplace(std::minmax(a, b), static_cast<int>(off.polygons.size()));
      if (side.second) off.polygons.push_back({a, b, b + n, a + n});
      cell.push_back(side.first->second);
    }
    off.cells.push_back(cell);
  }
  return off;
}

const std::vector<std::array<double, 3>> kCube = {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1},
                                                  {1, 1, -1},   {-1, -1, 1}, {1, -1, 1},
                                                  {-1, 1, 1},   {1, 1, 1}};
const std::vector<std::vector<int>> kCubeFaces = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                                  {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};

TEST(CliTest, HelpNamesEverySubcommand) {
  ScratchDir scratch;
  auto r = runGen({"--help"}, scratch);
  EXPECT_EQ(r.exitStatus, 0);
  for (const char* sub :
       {"wythoff GROUP RINGS NAME", "duoprism P Q NAME", "antiprism-prism P NAME",
        "hull [--map FILE] [--keep-coordinates] POINTS-FILE NAME", "import FILE.4off NAME",
        "export NAME FILE.4off", "check [--uniform] [--json] NAME", "info [--json] NAME",
        "dual NAME NEWNAME", "list [--json]", "library TABLE"}) {
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
  orvex::testing::writeText(scratch.file("p.txt"),
                     "6\n1 0 0 0\n-1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n0 0 0 -1\n");
  ASSERT_EQ(runGen({"-d", d, "hull", scratch.file("p.txt"), "h"}, scratch).exitStatus, 0);
  // The longest name that fits: the temporaries must not be longer.
  const std::string longest(250, 'n');
  ASSERT_EQ(runGen({"-d", d, "wythoff", "A4", "1000", longest}, scratch).exitStatus, 0);
  orvex::testing::writeText(scratch.file("cube.4off"), formatOff4(prismOver(kCube, kCubeFaces)));
  r = runGen({"-d", d, "import", scratch.file("cube.4off"), "i"}, scratch);
  EXPECT_EQ(r.out, "wrote i to " + d + ": 16 vertices, 24 polygons, 8 cells\n") << r.err;

  r = runGen({"-d", d, "check", "dp"}, scratch);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find("; incidence")),
            "dp: V 40, E 80, F 54, C 14; cells: 12 pentagonal prisms, 2 dodecahedra");
  r = runGen({"-d", d, "check", "ap"}, scratch);  // the triangular antiprism is an octahedron
  EXPECT_NE(r.out.find("cells: 8 triangular prisms, 2 octahedra"), std::string::npos) << r.out;

  // The files are what the viewer reads: the vertex file ends with the normals' name.
  const std::string poi = orvex::testing::readText(d + "/dp.poi");
  EXPECT_EQ(poi.substr(poi.size() - 7), "dp.nor\n");

  r = runGen({"-d", d, "check", "--uniform", "dp"}, scratch);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.out.find("; uniform: edge spread "), std::string::npos) << r.out;
  // A simplex stacked on one cell has no centre of symmetry, so its dual is only convex
  // if the poles are taken about an inside point: 6, 14, 16, 8 turn into 8, 16, 14, 6.
  orvex::testing::writeText(scratch.file("s.txt"),
                     "6\n0 0 0 0\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n0.4 0.4 0.4 0.4\n");
  ASSERT_EQ(runGen({"-d", d, "hull", scratch.file("s.txt"), "s"}, scratch).exitStatus, 0);
  r = runGen({"-d", d, "dual", "s", "ds"}, scratch);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "wrote ds to " + d + ": 8 vertices, 14 polygons, 6 cells\n");
  r = runGen({"-d", d, "check", "ds"}, scratch);
  EXPECT_EQ(r.out.substr(0, r.out.find("; incidence")),
            "ds: V 8, E 16, F 14, C 6; cells: 4 triangular prisms, 2 tetrahedra")
      << r.err;

  r = runGen({"-d", d, "check", "--json", "--uniform", "dp"}, scratch);
  EXPECT_EQ(r.out.substr(0, r.out.find(", \"incidence_margin\"")),
            "{\"name\": \"dp\", \"vertices\": 40, \"edges\": 80, \"faces\": 54, \"cells\": 14, "
            "\"cell_kinds\": [{\"kind\": \"pentagonal prism\", \"count\": 12}, "
            "{\"kind\": \"dodecahedron\", \"count\": 2}]")
      << r.err;
  EXPECT_NE(r.out.find("\"uniform\": {\"edge_spread\": "), std::string::npos) << r.out;

  r = runGen({"-d", d, "list"}, scratch);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.out.find("dp                                        40      80      54      14"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("8 models in " + d), std::string::npos) << r.out;
  r = runGen({"-d", d, "list", "--json"}, scratch);
  EXPECT_NE(r.out.find("{\"name\": \"dp\", \"vertices\": 40, \"edges\": 80, \"faces\": 54, "
                       "\"cells\": 14}"),
            std::string::npos)
      << r.out;
}

// The number after "key": in one line of JSON; NaN when the key is missing.
double jsonValue(const std::string& json, const std::string& key) {
  const size_t at = json.find("\"" + key + "\": ");
  return at == std::string::npos ? NAN : std::strtod(json.c_str() + at + key.size() + 4, nullptr);
}

// The parallelotope spanned by unit vectors with the given inner products, as rows of
// points: every edge has length 1, so only the angles tell its symmetries.
std::string parallelotope(const double gram[4][4]) {
  double u[4][4] = {};  // rows: the vectors, from the Cholesky factor of the Gram matrix
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j <= i; ++j) {
      double sum = gram[i][j];
      for (int k = 0; k < j; ++k) sum -= u[i][k] * u[j][k];
      u[i][j] = i == j ? std::sqrt(sum) : sum / u[j][j];
    }
  }
  std::ostringstream rows;
  rows.precision(17);
  for (int subset = 0; subset < 16; ++subset) {
    for (int k = 0; k < 4; ++k) {
      double x = 0.0;
      for (int i = 0; i < 4; ++i) x += (subset >> i & 1) ? u[i][k] : 0.0;
      rows << x << (k < 3 ? ' ' : '\n');
    }
  }
  return rows.str();
}

// The group counts isometries, not the symmetries of the incidences: a tesseract
// stretched along one axis keeps 2 x 48 of the 384, an equilateral parallelotope with
// equal angles 2 x 24, one with unequal angles only the central inversion. Measures are
// in the file's units, and a model named like a library row names no dual unless it is
// that row's polytope.
TEST(CliTest, InfoCountsOnlyIsometriesInTheFilesOwnUnits) {
  ScratchDir scratch;
  const std::string d = scratch.path();
  std::string box;
  for (int i = 0; i < 16; ++i) {
    for (int k = 0; k < 4; ++k)
      box += std::string(i >> k & 1 ? "" : "-") + (k < 3 ? "0.5 " : "1\n");
  }
  const double equal[4][4] = {{1, .3, .3, .3}, {.3, 1, .3, .3}, {.3, .3, 1, .3}, {.3, .3, .3, 1}};
  const double unequal[4][4] = {
      {1, .1, .2, .3}, {.1, 1, -.15, .25}, {.2, -.15, 1, .05}, {.3, .25, .05, 1}};
  orvex::testing::writeText(scratch.file("box.txt"), box);
  orvex::testing::writeText(scratch.file("equal.txt"), parallelotope(equal));
  orvex::testing::writeText(scratch.file("unequal.txt"), parallelotope(unequal));
  for (const char* name : {"box", "equal", "unequal"}) {
    const std::string points = scratch.file(std::string(name) + ".txt");
    ASSERT_EQ(runGen({"-d", d, "hull", "--keep-coordinates", points, name}, scratch).exitStatus, 0);
  }
  // Named like the shipped tesseract, with its counts, but not its symmetry.
  ASSERT_EQ(runGen({"-d", d, "hull", "--keep-coordinates", scratch.file("box.txt"), "c8"}, scratch)
                .exitStatus,
            0);

  auto r = runGen({"-d", d, "info", "c8"}, scratch);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out,
            "c8: 16 vertices, 32 edges, 24 polygons, 8 cells; V - E + F - C = 0\n"
            "cells: 8 cubes\n"
            "polygons: 12 quadrilaterals, 12 squares\n"
            "around a vertex: 4 cubes (16 vertices)\n"
            "edge lengths: 1 (24); 2 (8)\n"
            "circumradius 1.32287565553, inradius 0.5, volume 2, surface 14\n"
            "cell volumes: cube 1 (2); cube 2 (6)\n"
            "dihedral angles: 90° between cube and cube (24)\n"
            "symmetry: order 96; 1 orbit of vertices, 2 of edges, 2 of polygons, 2 of cells\n"
            "uniform: no\n"
            "dual: not in the library\n");
  r = runGen({"info", "--json", "c8"}, scratch);  // the shipped one
  EXPECT_EQ(jsonValue(r.out, "symmetry_order"), 384) << r.err;
  EXPECT_NE(r.out.find("\"uniform\": true, \"unit_edge\": {\"volume\": 1, "), std::string::npos);
  EXPECT_NE(r.out.find("\"dual\": \"c16\"}"), std::string::npos) << r.out;

  // The volume of a parallelotope is the root of its vectors' Gram determinant.
  const double equalVolume = std::sqrt(0.7 * 0.7 * 0.7 * (0.7 + 4 * 0.3));
  r = runGen({"-d", d, "info", "--json", "equal"}, scratch);
  EXPECT_EQ(jsonValue(r.out, "symmetry_order"), 48) << r.err;
  EXPECT_NEAR(jsonValue(r.out, "volume"), equalVolume, 1e-12);
  EXPECT_NE(r.out.find("\"edge_lengths\": [{\"length\": 1, \"count\": 32}]"), std::string::npos);
  r = runGen({"-d", d, "info", "--json", "unequal"}, scratch);
  EXPECT_EQ(jsonValue(r.out, "symmetry_order"), 2) << r.err;
  EXPECT_EQ(jsonValue(r.out, "vertex_orbits"), 8);
}

// The vertices of a written model, exactly as its vertex file holds them.
std::vector<Vec4> writtenVertices(const std::string& dir, const std::string& name) {
  std::istringstream in(orvex::testing::readText(dir + "/" + name + ".poi"));
  int count;
  double header;
  in >> count >> header;
  std::vector<Vec4> vertices(count);
  for (Vec4& v : vertices) in >> v.x >> v.y >> v.z >> v.w;
  return vertices;
}

// Numbers at the edges and the ways back to the input: a hull keeps the input rows
// (--map) and coordinates (--keep-coordinates), centres a cloud 1e15 away to the last
// bit, vertex 0 is a farthest vertex, import scales first as the hull does, and dual
// finds a shipped model and writes where -d says, or names a directory it cannot use.
TEST(CliTest, HullMapsRowsKeepsCoordinatesAndEveryScaleImports) {
  ScratchDir scratch;
  const std::string d = scratch.path();
  // An inside point first, so the rows of the vertices are not just their numbers.
  const std::vector<Vec4> rows = {{1.25, 2, 0.5, 0}, {1, 2, 0, 0},   {4, 2, 0, 0},
                                  {1, 5, 0, 0},      {1, 2, 3.5, 0}, {1, 2, 0, 3}};
  std::string text = "x,y,z,w\n";
  for (const Vec4& v : rows) {
    text += formatReal(v.x) + "," + formatReal(v.y) + "," + formatReal(v.z) + "," +
            formatReal(v.w) + "\n";
  }
  orvex::testing::writeText(scratch.file("rows.csv"), text);
  auto r = runGen({"-d", d, "hull", "--keep-coordinates", "--map", scratch.file("map.txt"),
                   scratch.file("rows.csv"), "k"},
                  scratch);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  const std::vector<Vec4> kept = writtenVertices(d, "k");
  std::istringstream map(orvex::testing::readText(scratch.file("map.txt")));
  ASSERT_EQ(kept.size(), 5u);
  for (const Vec4& v : kept) {
    size_t row = 0;
    ASSERT_TRUE(map >> row);
    ASSERT_GE(row, 1u);
    ASSERT_LT(row, rows.size());
    EXPECT_TRUE(v.x == rows[row].x && v.y == rows[row].y && v.z == rows[row].z &&
                v.w == rows[row].w)
        << row;
    EXPECT_LE(length(v), length(kept[0])) << "vertex 0 must be a farthest";
  }

  // 1e15 away and 1000 across: the model is centred to rounding of its own size.
  std::string far = "400\n";
  for (int i = 0; i < 400; ++i) {
    const double a = 0.1 * i, b = 0.37 * i, c = 0.73 * i;
    const Vec4 u(std::cos(a) * std::cos(b), std::cos(a) * std::sin(b), std::sin(a) * std::cos(c),
                 std::sin(a) * std::sin(c));
    const Vec4 p = Vec4(1e15, -2e15, 1e15, 3e15) + 1000.0 * u;
    far += formatReal(p.x) + " " + formatReal(p.y) + " " + formatReal(p.z) + " " + formatReal(p.w) +
           "\n";
  }
  orvex::testing::writeText(scratch.file("far.txt"), far);
  r = runGen({"-d", d, "hull", scratch.file("far.txt"), "far"}, scratch);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  Vec4 sum;
  const std::vector<Vec4> centred = writtenVertices(d, "far");
  for (const Vec4& v : centred) sum = sum + v;
  EXPECT_LT(length((1.0 / centred.size()) * sum), 1e-12);

  for (double scale : {1e155, 1e-200}) {
    Off4 cube = prismOver(kCube, kCubeFaces);
    for (Vec4& v : cube.vertices) v = scale * v;
    // A long comment first: the word 4OFF is cut by the start the first line is judged
    // from, and must then be read whole.
    orvex::testing::writeText(scratch.file("s.4off"),
                       "#" + std::string(4092, 'c') + "\n" + formatOff4(cube));
    r = runGen({"-d", d, "import", scratch.file("s.4off"), "s"}, scratch);
    EXPECT_EQ(r.out, "wrote s to " + d + ": 16 vertices, 24 polygons, 8 cells\n") << r.err;
  }

  r = runGen({"-d", d, "dual", "c8", "c8-dual"}, scratch);  // c8 is a shipped model
  EXPECT_EQ(r.out, "wrote c8-dual to " + d + ": 8 vertices, 32 polygons, 16 cells\n") << r.err;
  r = runGen({"-d", "/proc/self/models", "dual", "c8", "c8-dual"}, scratch);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err.rfind("orvex-gen: /proc/self/models: cannot write models there ("), 0u) << r.err;
  EXPECT_NE(r.err.find("); choose another directory with -d DIR\n"), std::string::npos) << r.err;
}

// Every fault a user can make: exit status 1 and exactly one line on stderr, saying what.
TEST(CliTest, EachBadInputGivesOneLineAndStatusOne) {
  ScratchDir scratch;
  const std::string d = scratch.path();
  orvex::testing::writeText(scratch.file("flat.txt"), "5\n0 0 0 0\n1 0 0 0\n0 1 0 0\n0 0 1 0\n1 1 1 0\n");
  orvex::testing::writeText(scratch.file("nan.txt"), "5\n0 0 0 0\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 nan 1\n");
  orvex::testing::writeText(scratch.file("bad.4off"), "4OFF\n1 0 0 0\n1 2 3\n");
  orvex::testing::writeText(scratch.file("spoiled.poi"), "3 0\n1 0 0 0\n");
  // A simplex and a point 1e308 away; a simplex 1e154 across, as given.
  orvex::testing::writeText(scratch.file("far.txt"),
                     "0 0 0 0\n1 0 0 0\n0 1 0 0\n0 0 1 0\n"
                     "0 0 0 1\n1e308 0 0 0\n");
  orvex::testing::writeText(scratch.file("huge.txt"),
                     "0 0 0 0\n1e154 1e154 0 0\n0 1e154 0 0\n"
                     "0 0 1e154 0\n0 0 0 1e154\n");
  // Sparse: a byte over the limit, taking no disk.
  for (const char* big : {"big.txt", "big.4off"}) {
    orvex::testing::writeText(scratch.file(big), big[4] == 't' ? "1 2 3 4\n" : "4OFF\n");
    std::filesystem::resize_file(scratch.file(big), (size_t{256} << 20) + 1);
  }
  // A tesseract with one coordinate moved by 1e-9: it passes check, but is not uniform.
  std::string error;
  ASSERT_TRUE(writeModel(d, "bent", polytope::testing::wythoffOf("B4", "1000"), &error)) << error;
  std::string bent = orvex::testing::readText(d + "/bent.poi");
  bent.replace(bent.find("0.5"), 3, "0.500000001");
  orvex::testing::writeText(d + "/bent.poi", bent);
  // A table whose uniform row is the dual of a uniform polychoron, which is not.
  orvex::testing::writeText(scratch.file("t.tsv"),
                     "r\tuniform\twythoff A4 0100\t10\t30\t30\t10\n"
                     "d\tuniform\tdual r\t10\t30\t30\t10\n");
  ASSERT_EQ(runGen({"-d", d, "wythoff", "B4", "1000", "t"}, scratch).exitStatus, 0);
  const std::string flat = scratch.file("flat.txt"), nan = scratch.file("nan.txt"),
                    off = scratch.file("bad.4off"), none = scratch.file("none");
  // 4OFF files that parse but describe no valid model, or whose rows and counts disagree.
  std::map<std::string, std::string> imports;
  {
    auto dented = kCube;
    auto faces = kCubeFaces;
    dented.push_back({0, 0, 0.2});  // the top face pushed in as four triangles
    faces[1] = {4, 5, 8};
    faces.insert(faces.end(), {{5, 7, 8}, {7, 6, 8}, {6, 4, 8}});
    imports["dented"] = formatOff4(prismOver(dented, faces));
    const Off4 cube = prismOver(kCube, kCubeFaces);
    Off4 repeats = cube, crossed = cube, short_ = cube;
    repeats.polygons[0][2] = repeats.polygons[0][0];
    std::swap(crossed.polygons[0][1], crossed.polygons[0][2]);
    short_.cells.pop_back();
    imports["repeats"] = formatOff4(repeats);
    imports["crossed"] = formatOff4(crossed);
    imports["fewer"] = formatOff4(short_) + "6 2 8 10 11 12 13\n";  // one row more than counted
    std::string more = formatOff4(cube);
    more.replace(more.find("\n16 24 32 8\n"), 13, "\n16 24 32 9\n");
    imports["more"] = more;
  }
  for (const auto& [name, text] : imports) orvex::testing::writeText(scratch.file(name + ".4off"), text);
  auto offFile = [&](const char* name) { return scratch.file(std::string(name) + ".4off"); };
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case kCases[] = {
      {{}, "no subcommand given (see --help)"},
      {{"frobnicate"}, "unknown subcommand 'frobnicate' (see --help)"},
      {{"--verbose", "list"}, "unknown option '--verbose' (see --help)"},
      {{"list", "-d"}, "-d needs a directory"},
      {{"list", "x"}, "list takes [--json] (see --help)"},
      {{"info", "--json"}, "info takes [--json] NAME (see --help)"},
      {{"wythoff", "B4", "1000"}, "wythoff takes GROUP RINGS NAME (see --help)"},
      {{"wythoff", "E6", "1000", "x"}, "unknown group 'E6' (known: A4 B4 D4 F4 H4 A3A1 B3A1 H3A1)"},
      {{"wythoff", "B4", "0000", "x"},
       "ring pattern '0000' leaves a part of the B4 diagram without a ring, so the result is flat"},
      {{"wythoff", "B4", "10x0", "x"}, "ring pattern '10x0' is not four digits 0 or 1"},
      {{"wythoff", "B4", "1000", "a/b"},
       "model name 'a/b' must be a plain file name (no '/', no spaces, not starting with '-', "
       "not . or ..)"},
      {{"wythoff", "B4", "1000", ".."}, "model name '..' must be a plain file name"},
      {{"duoprism", "3", "4", "."}, "model name '.' must be a plain file name"},
      {{"wythoff", "B4", "1000", std::string(251, 'n')},
       "model name 'nnnnnnnnnnnnnnnnnnnn...' is 251 bytes long; at most 250 fit a file name"},
      {{"duoprism", "2", "5", "x"}, "P must be a whole number from 3 to 1000, got '2'"},
      {{"duoprism", "3", "5x", "x"}, "Q must be a whole number from 3 to 1000, got '5x'"},
      {{"antiprism-prism", "99999999999", "x"},
       "P must be a whole number from 3 to 1000, got '99999999999'"},
      {{"hull", none, "x"}, "Cannot open " + none},
      {{"hull", flat, "x"},
       flat + ": all points lie in one hyperplane, so they bound no 4D polytope"},
      {{"hull", nan, "x"}, nan + ": point 4 has a coordinate that is not finite"},
      {{"hull", off, "x"}, off + ":3: vertex 0 is not four finite numbers"},
      {{"import", off, "x"}, off + ":3: vertex 0 is not four finite numbers"},
      {{"import", none, "x"}, "Cannot open " + none},
      {{"import", offFile("dented"), "x"},
       offFile("dented") +
           ": not writing x: cell 3: vertex 6 lies above the cell's own vertices, so it is not "
           "convex there"},
      {{"import", offFile("repeats"), "x"},
       offFile("repeats") + ": not writing x: polygon 0 repeats a vertex"},
      {{"import", offFile("crossed"), "x"},
       offFile("crossed") + ": not writing x: polygon 0 is not convex in boundary order"},
      {{"import", offFile("fewer"), "x"},
       offFile("fewer") + ":51: a row after the last of the 7 cells the counts announce"},
      {{"import", offFile("more"), "x"}, offFile("more") + ":51: cell 8 is missing"},
      {{"points", "snub-24-cell", "/dev/full"},
       "/dev/full is a device, not a regular file; refusing to replace it"},
      {{"export", "t", "/dev/full"},
       "/dev/full is a device, not a regular file; refusing to replace it"},
      {{"export", "missing", scratch.file("o.4off")}, "Cannot open file" + d + "/missing.poi"},
      {{"check", "missing"}, "Cannot open file" + d + "/missing.poi"},
      {{"check", "spoiled"}, d + "/spoiled.poi: "},
      {{"check", "--uniform"}, "check takes [--uniform] [--json] NAME (see --help)"},
      {{"check", "--uniform", "bent"}, "bent: not uniform: vertex 0 lies "},
      {{"dual", "bent"}, "dual takes NAME NEWNAME (see --help)"},
      {{"dual", "spoiled", "x"}, d + "/spoiled.poi: "},
      {{"dual", "bent", "a b"}, "model name 'a b' must be a plain file name"},
      {{"library", scratch.file("t.tsv")}, "d: not uniform: vertex "},
      {{"points", "pentagram", scratch.file("p")},
       "unknown point set 'pentagram' (known: snub-24-cell, grand-antiprism, snub-cubic-prism, "
       "snub-dodecahedral-prism)"},
      {{"library", none}, "Cannot open " + none},
      {{"hull", scratch.file("far.txt"), "x"},
       scratch.file("far.txt") + ": a hull needs at least 5 distinct points, got 2 (points "
                                 "closer than 1e-10 of the cloud's radius count as one)"},
      {{"hull", "--keep-coordinates", scratch.file("huge.txt"), "x"},
       scratch.file("huge.txt") + ": not writing x: its farthest vertex is too far from the "
                                  "origin for the viewer to scale by its length; write it "
                                  "without --keep-coordinates"},
      // Past the size limit, refused unread; a first line that is no 4OFF's, first.
      {{"hull", scratch.file("big.txt"), "x"},
       scratch.file("big.txt") + ": larger than 256 MiB, the most an input file may hold; "
                                 "not read"},
      {{"import", scratch.file("big.txt"), "x"},
       scratch.file("big.txt") + ":1: not a 4OFF file (the first line must be 4OFF)"},
      {{"import", scratch.file("big.4off"), "x"},
       scratch.file("big.4off") + ": larger than 256 MiB, the most an input file may hold; "
                                  "not read"},
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
  EXPECT_EQ(r.err, "orvex-gen: " + flat +
                       ": cannot write models there (Not a directory); choose another "
                       "directory with -d DIR\n");
}

}  // namespace
}  // namespace orvex::gen

namespace orvex::gen {
namespace {

// Fine prisms have cells close to flat against their neighbours: every size up to 1000
// passes the full check (run before writing) with the counts of its faces, the finest
// through normals written longer than 1, the coarse ones with unit normals as before.
TEST(CliTest, BuildsPrismsOfEverySizeUpToAThousand) {
  ScratchDir scratch;
  const std::string d = scratch.path();
  auto wrote = [&](long v, long f, long c) {
    return "wrote x to " + d + ": " + std::to_string(v) + " vertices, " + std::to_string(f) +
           " polygons, " + std::to_string(c) + " cells\n";
  };
  auto longestNormal = [&] {
    std::istringstream normals(orvex::testing::readText(scratch.file("x.nor")));
    int count;
    double header, longest = 0.0;
    normals >> count >> header;
    for (int c = 0; c < count; ++c) {
      Vec4 n;
      normals >> n.x >> n.y >> n.z >> n.w;
      longest = std::max(longest, length(n));
    }
    return longest;
  };
  for (auto [p, q] : {std::pair{3, 1000}, {1000, 3}, {300, 200}, {12, 5}}) {
    auto r = runGen({"-d", d, "duoprism", std::to_string(p), std::to_string(q), "x"}, scratch);
    EXPECT_EQ(r.out, wrote(p * q, p * q + p + q, p + q)) << p << " " << q << ": " << r.err;
    const double longest = longestNormal();
    if (p * q < 100) {
      EXPECT_DOUBLE_EQ(longest, 1.0);
    } else {
      EXPECT_GT(longest, 1.0) << p << " " << q;
    }
  }
  auto r = runGen({"-d", d, "antiprism-prism", "1000", "x"}, scratch);
  EXPECT_EQ(r.out, wrote(4 * 1000, 8 * 1000 + 4, 2 * 1000 + 4)) << r.err;
  EXPECT_GT(longestNormal(), 1.0);
}

// A pipe or a device must never be read (it could wait forever) nor replaced by a model.
TEST(CliTest, NeverOpensOrReplacesWhatIsNotARegularFile) {
  ScratchDir scratch;
  const std::string d = scratch.path();
  const std::string pipe = scratch.file("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const char* command : {"hull", "import", "library"}) {
    std::vector<std::string> args = {"-d", d, command, pipe};
    if (command[0] != 'l') args.push_back("x");
    auto r = runGen(args, scratch);
    EXPECT_EQ(r.exitStatus, 1) << command;
    EXPECT_EQ(r.err, "orvex-gen: Cannot open " + pipe + ": not a regular file\n") << command;
  }
  // Nor is anything written into one, which would wait for a reader forever.
  orvex::testing::writeText(scratch.file("t.tsv"), "");
  const std::vector<std::vector<std::string>> writers = {
      {"points", "snub-24-cell", pipe},
      {"export", "c8", pipe},
      {"library", scratch.file("t.tsv"), "--readme", pipe},
  };
  for (const auto& command : writers) {
    std::vector<std::string> args = {"-d", ORVEX_MODELS_DIR};
    args.insert(args.end(), command.begin(), command.end());
    auto r = runGen(args, scratch);
    EXPECT_EQ(r.exitStatus, 1) << command[0];
    EXPECT_EQ(r.err,
              "orvex-gen: " + pipe + " is a FIFO, not a regular file; refusing to replace it\n");
  }
  ASSERT_EQ(runGen({"-d", d, "wythoff", "B4", "1000", "m"}, scratch).exitStatus, 0);
  ASSERT_EQ(mkfifo(scratch.file("q.poi").c_str(), 0600), 0);
  std::remove(scratch.file("m.nor").c_str());
  ASSERT_EQ(mkfifo(scratch.file("m.nor").c_str(), 0600), 0);
  auto r = runGen({"-d", d, "list"}, scratch);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.out.find("m                                         16      32      24       ?\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("q                                          ?       ?       ?       ?\n"),
            std::string::npos)
      << r.out;
  r = runGen({"-d", d, "wythoff", "B4", "1000", "m"}, scratch);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "orvex-gen: " + scratch.file("m.nor") +
                       " is a FIFO, not a regular file; refusing to replace it\n");
  struct stat s;
  ASSERT_EQ(stat(scratch.file("m.nor").c_str(), &s), 0);
  EXPECT_TRUE(S_ISFIFO(s.st_mode));
  // dual reads ./orvex.cfg as the viewer does: a FIFO there stops it with one line.
  ASSERT_EQ(mkfifo(scratch.file("orvex.cfg").c_str(), 0600), 0);
  r = runGen({"-d", d, "dual", "c8", "c8-dual"}, scratch);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "orvex-gen: orvex.cfg: not a regular file, so not read as settings\n");
}

// The files of a directory, by name, with their contents.
std::map<std::string, std::string> contentsOf(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    files[e.path().filename().string()] = orvex::testing::readText(e.path().string());
  }
  return files;
}

// export, points and the library's page never write over a model's own files, directly,
// through a symlink or through a hard link.
TEST(CliTest, TextFilesNeverReplaceAModelsOwnFiles) {
  ScratchDir scratch;
  const std::string d = scratch.file("models");
  ASSERT_EQ(runGen({"-d", d, "wythoff", "B4", "1000", "m"}, scratch).exitStatus, 0);
  std::filesystem::create_symlink("models/m.nor", scratch.file("link"));
  std::filesystem::create_hard_link(d + "/fm.cel", scratch.file("hard"));
  orvex::testing::writeText(scratch.file("t.tsv"), "");
  const auto before = contentsOf(d);
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"export", "m", d + "/m.poi"}, d + "/m.poi"},
      {{"export", "m", "link"}, d + "/m.nor"},
      {{"points", "snub-24-cell", "hard"}, d + "/fm.cel"},
      {{"library", "t.tsv", "--readme", d + "/m.nor"}, d + "/m.nor"},
  };
  for (const auto& [command, file] : refused) {
    std::vector<std::string> args = {"-d", d};
    args.insert(args.end(), command.begin(), command.end());
    auto r = runGen(args, scratch);
    EXPECT_EQ(r.exitStatus, 1) << command[0];
    EXPECT_EQ(r.err, "orvex-gen: " + command.back() + " is the model file " + file +
                         "; refusing to replace it\n");
    EXPECT_EQ(contentsOf(d), before) << command[0];
  }
  // --map is judged before anything is written: the model it would go with stays as it
  // was, and the points file is never its destination, by any path or link.
  runGen({"points", "snub-24-cell", scratch.file("in.txt")}, scratch);
  std::filesystem::create_symlink("in.txt", scratch.file("in-link"));
  const std::vector<std::pair<std::string, std::string>> maps = {
      {"/dev/full", "/dev/full is a device, not a regular file; refusing to replace it"},
      {"nodir/x.map", "nodir/x.map: cannot write: No such file or directory"},
      {"in.txt", "--map in.txt is the points file in.txt; refusing to replace it"},
      {"./in-link", "--map ./in-link is the points file in.txt; refusing to replace it"},
      {d + "/m.poi", d + "/m.poi is the model file " + d + "/m.poi; refusing to replace it"},
      {d + "/n.nor",
       "--map " + d + "/n.nor is the model file " + d + "/n.nor; refusing to replace it"},
  };
  const std::string points = orvex::testing::readText(scratch.file("in.txt"));
  for (const auto& [map, message] : maps) {
    const std::string name = map.back() == 'r' ? "n" : "m";
    auto r = runGen({"-d", d, "hull", "--map", map, "in.txt", name}, scratch);
    EXPECT_EQ(r.exitStatus, 1) << map;
    EXPECT_EQ(r.err, "orvex-gen: " + message + "\n");
    EXPECT_EQ(contentsOf(d), before) << map;
  }
  EXPECT_EQ(orvex::testing::readText(scratch.file("in.txt")), points);
  // A map whose rename fails leaves the model it goes with as it was.
  auto failed = orvex::testing::runProgram(std::string(ORVEX_BIN_DIR) + "/orvex-gen",
                                           {"-d", d, "hull", "--map", "rows.map", "in.txt", "m"},
                                           scratch.path(),
                                           orvex::testing::failing("RENAME", "rows.map"), 120);
  EXPECT_EQ(failed.err, "orvex-gen: rows.map: cannot write: Input/output error\n");
  EXPECT_EQ(contentsOf(d), before);
  // Any other file, through a link too, is written.
  std::filesystem::create_symlink("models/out.4off", scratch.file("out-link"));
  auto r = runGen({"-d", d, "export", "m", "out-link"}, scratch);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(orvex::testing::readText(d + "/out.4off").substr(0, 5), "4OFF\n");
  EXPECT_TRUE(std::filesystem::is_symlink(scratch.file("out-link")));
}

// Text saved with CRLF line ends reads as it would with LF, and names with line ends or
// terminal escapes are shown escaped, never raw.
TEST(CliTest, CarriageReturnsAreWhiteSpaceAndEscapesAreShownEscaped) {
  ScratchDir scratch;
  const std::string d = scratch.file("models");
  orvex::testing::writeText(scratch.file("p.txt"),
                     "6\r\n1 0 0 0\r\n-1 0 0 0\r\n0 1 0 0\r\n0 0 1 0\r\n0 0 0 1\r\n0 0 0 -1\r\n");
  auto r = runGen({"-d", d, "hull", scratch.file("p.txt"), "h"}, scratch);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  // The model files themselves with CRLF line ends.
  for (const std::string file : {"h.poi", "fh.cel", "h.nor"}) {
    std::string text, crlf = orvex::testing::readText(d + "/" + file);
    for (char c : crlf) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    orvex::testing::writeText(d + "/" + file, text);
  }
  r = runGen({"-d", d, "check", "h"}, scratch);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  orvex::testing::writeText(scratch.file("t.tsv"),
                     "# name\tfamily\r\nc5\tregular\twythoff A4 1000\t5\t10\t10\t5\r\n");
  r = runGen({"-d", d, "library", scratch.file("t.tsv")}, scratch);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "wrote 1 models to " + d + "\n");

  r = runGen({"-d", d, "wythoff", "B4", "1000", "x\x1b[31mred"}, scratch);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "wrote x\\x1b[31mred to " + d + ": 16 vertices, 24 polygons, 8 cells\n");
  const std::vector<std::vector<std::string>> refused = {
      {"wythoff", "B4", "1000", "x\ny"},
      {"wythoff", "B\x1b[2J", "1000", "x"},
      {"export", "x\x1b[31mred", "/no/such/dir/\x07.4off"},
      {"check", "no\rsuch"},
  };
  for (const auto& command : refused) {
    std::vector<std::string> args = {"-d", d};
    args.insert(args.end(), command.begin(), command.end());
    r = runGen(args, scratch);
    EXPECT_EQ(r.exitStatus, 1) << command[0];
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.find_first_of("\r\x1b\x07"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("\\x"), std::string::npos) << r.err;
  }
}

// Where no second thread can be started, each piece of work split in two is done whole on
// the one thread: the same models, byte for byte, and the same check.
TEST(CliTest, WithoutASecondThreadTheSameModelsAreWritten) {
  ScratchDir scratch;
  orvex::testing::writeText(scratch.file("p.txt"),
                     "6\n1 0 0 0\n-1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n0 0 0 -0.5\n");
  std::map<std::string, std::string> files[2];
  std::string checked[2];
  for (int threads = 0; threads < 2; ++threads) {
    const std::string run = scratch.file(std::to_string(threads)), d = "models";
    std::filesystem::create_directory(run);
    const std::vector<std::string> env =
        threads == 1 ? std::vector<std::string>{} : orvex::testing::failing("THREAD", "1");
    for (const auto& command : {std::vector<std::string>{"wythoff", "F4", "1000", "m"},
                                std::vector<std::string>{"hull", scratch.file("p.txt"), "h"},
                                std::vector<std::string>{"check", "m"}}) {
      std::vector<std::string> args = {"-d", d};
      args.insert(args.end(), command.begin(), command.end());
      const auto r = orvex::testing::runProgram(std::string(ORVEX_BIN_DIR) + "/orvex-gen", args,
                                                run, env, 120);
      ASSERT_EQ(r.exitStatus, 0) << command[0] << ": " << r.err;
      checked[threads] += r.out;
    }
    for (const auto& entry : std::filesystem::directory_iterator(run + "/" + d)) {
      files[threads][entry.path().filename()] = orvex::testing::readText(entry.path());
    }
  }
  EXPECT_EQ(files[0].size(), 6u);
  EXPECT_EQ(files[0], files[1]);
  EXPECT_EQ(checked[0], checked[1]);
}

// A disk that fills, a close that reports a delayed write error or a rename that fails
// part-way while files are replaced must leave every old file as it was, loadable, and
// no temporaries behind.
TEST(CliTest, AFailedWriteCloseOrRenameLeavesEveryFileAsItWas) {
  ScratchDir scratch;
  const std::string d = scratch.file("models");
  ASSERT_EQ(runGen({"-d", d, "wythoff", "B4", "1000", "m"}, scratch).exitStatus, 0);
  orvex::testing::writeText(d + "/out.4off", "old\n");
  const auto before = contentsOf(d);
  // 256 KiB per file: the new normals fit, its polygons and vertices do not.
  auto r = orvex::testing::runProgram(
      "/bin/sh",
      {"-c", "ulimit -f 512; exec \"$0\" \"$@\"", std::string(ORVEX_BIN_DIR) + "/orvex-gen", "-d",
       d, "wythoff", "H4", "1111", "m"},
      scratch.path(), {}, 120);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "orvex-gen: " + d + "/fm.cel: cannot write: File too large\n");
  EXPECT_EQ(contentsOf(d), before);

  struct Fault {
    const char* call;
    std::string pathPart, message;
  };
  const std::string model = "orvex-gen: " + d + "/m";
  const Fault faults[] = {
      {"WRITE", "/.orvex-", model + ".nor: cannot write: No space left on device\n"},
      {"CLOSE", "/.orvex-", model + ".nor: cannot write: Disk quota exceeded\n"},
      // The normals and polygons are in place when the vertex file's rename fails.
      {"RENAME", "/m.poi", model + ".poi: cannot write: Input/output error\n"},
  };
  for (const Fault& f : faults) {
    r = orvex::testing::runProgram(std::string(ORVEX_BIN_DIR) + "/orvex-gen",
                                   {"-d", d, "duoprism", "5", "7", "m"}, scratch.path(),
                                   orvex::testing::failing(f.call, f.pathPart), 120);
    EXPECT_EQ(r.exitStatus, 1) << f.call;
    EXPECT_EQ(r.err, f.message) << f.call;
    EXPECT_EQ(contentsOf(d), before) << f.call;
  }
  // Where the file system has no hard links, copies of the old files put them back.
  std::vector<std::string> env = orvex::testing::failing("RENAME", "/m.poi");
  env.push_back(orvex::testing::failing("LINK", "/.orvex-")[1]);
  r = orvex::testing::runProgram(std::string(ORVEX_BIN_DIR) + "/orvex-gen",
                                 {"-d", d, "duoprism", "5", "7", "m"}, scratch.path(), env, 120);
  EXPECT_EQ(r.err, model + ".poi: cannot write: Input/output error\n");
  EXPECT_EQ(contentsOf(d), before);
  // The other files the generator writes: an old one stays whole.
  for (const char* call : {"WRITE", "CLOSE", "RENAME"}) {
    for (const auto& command :
         {std::vector<std::string>{"export", "m", d + "/out.4off"},
          std::vector<std::string>{"points", "snub-24-cell", d + "/out.4off"}}) {
      std::vector<std::string> args = {"-d", d};
      args.insert(args.end(), command.begin(), command.end());
      r = orvex::testing::runProgram(
          std::string(ORVEX_BIN_DIR) + "/orvex-gen", args, scratch.path(),
          orvex::testing::failing(call, call[0] == 'R' ? "/out.4off" : "/.orvex-"), 120);
      EXPECT_EQ(r.exitStatus, 1) << call << " " << command[0];
      EXPECT_EQ(r.err.rfind("orvex-gen: " + d + "/out.4off: cannot write: ", 0), 0u) << r.err;
      EXPECT_EQ(contentsOf(d), before) << call << " " << command[0];
    }
  }
  r = runGen({"-d", d, "check", "m"}, scratch);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
}

// Two writers of one model at once, a writer killed at any point, or one stopped by
// SIGINT or SIGTERM: the model is the old or the new one whole, and no temporary stays
// once the next run, or the signalled writer itself, has settled the batch.
TEST(CliTest, TwoWritersACrashOrASignalLeaveOneWholeModelAndNoTemporaries) {
  ScratchDir scratch;
  const std::string d = scratch.file("models");
  const std::string gen = std::string(ORVEX_BIN_DIR) + "/orvex-gen";
  auto write = [&](const char* p, const char* q, const std::vector<std::string>& env,
                   const std::string& cwd) {
    return orvex::testing::runProgram(gen, {"-d", d, "duoprism", p, q, "m"}, cwd, env, 120);
  };
  auto files = [&] {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(d)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  // "m: V n" when the model passes the check, else the check's complaint.
  auto checked = [&] {
    const auto r = runGen({"-d", d, "check", "m"}, scratch);
    return r.exitStatus == 0 ? r.out.substr(0, r.out.find(',')) : r.err;
  };
  const std::vector<std::string> whole = {"fm.cel", "m.nor", "m.poi"};
  ASSERT_EQ(write("3", "3", {}, scratch.path()).exitStatus, 0);

  // The second writer starts while the first, holding the lock, is between its renames.
  std::filesystem::create_directory(scratch.file("a"));
  std::filesystem::create_directory(scratch.file("b"));
  orvex::testing::ProgramResult first;
  std::thread slow([&] {
    std::vector<std::string> env = orvex::testing::failing("RENAME", "");
    env[1] = "ORVEX_SLOW_RENAME=/fm.cel";
    first = write("5", "5", env, scratch.file("a"));
  });
  for (int i = 0; i < 6000 && orvex::testing::readText(d + "/m.nor").rfind("10 0\n", 0) != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const auto second = write("4", "4", {}, scratch.file("b"));
  slow.join();
  EXPECT_EQ(first.exitStatus, 0) << first.err;
  EXPECT_EQ(second.exitStatus, 0) << second.err;
  EXPECT_EQ(checked(), "m: V 16") << "the later writer's model, whole";
  EXPECT_EQ(files(), whole);

  struct Stop {
    const char* call;
    int signal;
    const char* before;  // "m: V n": the model once settled
  };
  // Keeping copies of the old files comes before the first rename: a stop there undoes
  // the batch. A stop between renames finishes it.
  const Stop stops[] = {{"LINK", SIGKILL, "m: V 16"},
                        {"RENAME", SIGKILL, "m: V 20"},
                        {"LINK", SIGTERM, "m: V 20"},
                        {"RENAME", SIGINT, "m: V 30"},
                        {"RENAME", SIGTERM, "m: V 42"}};
  const char* sizes[][2] = {{"4", "5"}, {"4", "5"}, {"5", "6"}, {"5", "6"}, {"6", "7"}};
  for (size_t i = 0; i < std::size(stops); ++i) {
    const Stop& stop = stops[i];
    std::vector<std::string> env = orvex::testing::failing(stop.call, "");
    env[1] =
        "ORVEX_SIGNAL_" + std::string(stop.call) + "=" + std::to_string(stop.signal) + ":/fm.cel";
    const auto r = write(sizes[i][0], sizes[i][1], env, scratch.path());
    EXPECT_EQ(r.exitStatus, -1) << "ended by the signal " << stop.signal;
    if (stop.signal == SIGKILL) {
      EXPECT_NE(files(), whole) << "a crash leaves its journal for the next run";
    } else {
      EXPECT_EQ(files(), whole) << "a signalled writer settles its own batch";
    }
    EXPECT_EQ(checked(), stop.before) << stop.call << " " << stop.signal;
    EXPECT_EQ(files(), whole) << stop.call << " " << stop.signal;
  }
}

}  // namespace
}  // namespace orvex::gen
