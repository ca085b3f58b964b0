#include "model/loader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/regular_file.h"
#include "tests/temp_dir.h"

namespace orvex::model {
namespace {

using orvex::testing::TempDir;

// A tetrahedral pyramid-like 4-simplex: vertex 0 on the x axis, so scaling is easy to see.
const char kVertices[] =
    "5 0\n"
    "2 0 0 0\n"
    "0 4 0 0\n"
    "0 0 4 0\n"
    "0 0 0 4\n"
    "-1 -1 -1 -1\n"
    "simplex.nor\n";
const char kPolygons[] = "3\n3 1 2 3\n3 1 2 4\n3 2 3 4\n";
const char kNormals[] = "2 0\n0 0 0 3\n1 0 0 0\n";

struct Loaded {
  Model model;
  Vec3List projected;
  std::string error;
  bool ok = false;
};

void load(const TempDir& dir, const std::string& name, Loaded* out) {
  out->ok = loadModel(dir.path(), name, &out->model, &out->projected, &out->error);
}

TEST(LoaderTest, ScalesVerticesAndNormalsAfterDerivingIncidenceFromTheNormalsAsWritten) {
  TempDir dir;
  dir.write("s.poi", kVertices);
  dir.write("fs.cel", kPolygons);
  dir.write("simplex.nor", kNormals);
  Loaded l;
  load(dir, "s", &l);
  ASSERT_TRUE(l.ok) << l.error;
  const Vec4Table& v = *l.model.vertices;
  ASSERT_EQ(v.count, 5);
  EXPECT_EQ(v[0].x, 1.0);
  EXPECT_EQ(v[1].y, 2.0);
  EXPECT_EQ(v[4].w, -0.5);

  ASSERT_EQ(l.projected.count, 5);
  EXPECT_EQ(l.projected[4].z, 0.0);
  ASSERT_EQ(l.model.cellVertices->count, 2);
  ASSERT_EQ(l.model.cellPolygons->count, 2);

  // The normal (0, 0, 0, 3) is unit after loading, but found its vertex with length 3.
  EXPECT_EQ((*l.model.cellNormals)[0].w, 1.0);
  ASSERT_EQ((*l.model.cellVertices)[0].count, 1);
  EXPECT_EQ((*l.model.cellVertices)[0][0], 3);
  ASSERT_EQ((*l.model.cellVertices)[1].count, 1);
  EXPECT_EQ((*l.model.cellVertices)[1][0], 0);
  // No polygon has all its vertices on a single vertex.
  EXPECT_EQ((*l.model.cellPolygons)[0].count, 0);
}

TEST(LoaderTest, ToleranceSeesTheNormalLengthAsWritten) {
  TempDir dir;
  // Vertex 1 lies 5e-6 below vertex 0 along w: on the cell for a unit normal, off it for
  // the same direction written three times longer.
  dir.write("t.poi", "3 0\n0 0 0 1\n0.5 0 0 0.999995\n0 0 0 -1\nt.nor\n");
  dir.write("ft.cel", "0\n");
  dir.write("t.nor", "2 0\n0 0 0 1\n0 0 0 3\n");
  Loaded l;
  load(dir, "t", &l);
  ASSERT_TRUE(l.ok) << l.error;
  EXPECT_EQ((*l.model.cellVertices)[0].count, 2);
  EXPECT_EQ((*l.model.cellVertices)[1].count, 1);
}

TEST(LoaderTest, LineBreaksMayFallAnywhereAndTheNormalsFileComesFromTheVertexFile) {
  TempDir dir;
  std::string spread;
  for (char c : std::string(kPolygons)) spread += c == ' ' ? '\n' : c;
  dir.write("a.poi", kVertices);
  dir.write("fa.cel", kPolygons);
  dir.write("b.poi", kVertices);
  dir.write("fb.cel", spread);
  dir.write("simplex.nor", kNormals);
  Loaded a, b;
  load(dir, "a", &a);
  load(dir, "b", &b);
  ASSERT_TRUE(a.ok && b.ok) << a.error << b.error;
  ASSERT_EQ(a.model.polygons->count, b.model.polygons->count);
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i < 3; ++i) EXPECT_EQ((*a.model.polygons)[k][i], (*b.model.polygons)[k][i]);
  }
  EXPECT_EQ(b.model.cellNormals->count, 2);
}

TEST(LoaderTest, OpenFailuresNameThePathTriedWithNothingBetween) {
  TempDir dir;
  Loaded none;
  load(dir, "c8", &none);
  EXPECT_FALSE(none.ok);
  EXPECT_EQ(none.error, "Cannot open file" + dir.path() + "/c8.poi");

  dir.write("s.poi", kVertices);
  Loaded noPolygons;
  load(dir, "s", &noPolygons);
  EXPECT_EQ(noPolygons.error, "Cannot open file" + dir.path() + "/fs.cel");
  // The vertex file was read before the failure and stays.
  ASSERT_NE(noPolygons.model.vertices, nullptr);
  EXPECT_EQ(noPolygons.model.vertices->count, 5);

  dir.write("fs.cel", kPolygons);
  Loaded noNormals;
  load(dir, "s", &noNormals);
  EXPECT_EQ(noNormals.error, "Cannot open file" + dir.path() + "/simplex.nor");

  // A directory opens but cannot be read as a file.
  std::filesystem::create_directory(dir.path() + "/d.poi");
  Loaded directory;
  load(dir, "d", &directory);
  EXPECT_EQ(directory.error, "Cannot open file" + dir.path() + "/d.poi");
}

TEST(LoaderTest, RefusesUnsafeFilesWithOneLineNamingFileAndProblem) {
  struct Case {
    const char* file;  // which of the three files is replaced
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"s.poi", "", "the file ends before the vertex count"},
      {"s.poi", "-5 0\n", "negative vertex count -5"},
      {"s.poi", "0 0\nx.nor\n", "no vertices"},
      {"s.poi", "2000000 0\n1 0 0 0\n",
       "the vertex count 2000000 is larger than the rest of the file could hold"},
      {"s.poi", "2 0\n1 0 0 0\n0 1\n", "expected 2 vertices, but the file ends after 1"},
      {"s.poi", "2 0\n1 0 0 0\n0 1 zero 0\nn\n", "'zero' on line 3 is not a number (a coordinate)"},
      {"s.poi", "1 0\n0 0 0 0\nn.nor\n", "vertex 0 is at the origin"},
      {"s.poi", "1 0\n1 0 0 0\n", "the normals file name is missing after the vertices"},
      {"s.poi", "5 0\n1e-200 0 0 0\n0 4 0 0\n0 0 4 0\n0 0 0 4\n-1 -1 -1 -1\nsimplex.nor\n",
       "vertex 0 is at the origin or too far from it to scale"},
      // A NUL ends a number for the stream reader, which then reads garbage: any byte
      // that is neither white space nor part of a number is refused, in every file.
      {"s.poi", std::string("5\0 0\n", 6), "'5\\x00' on line 1 is not an integer (vertex count)"},
      {"s.poi", std::string(kVertices).insert(11, "\x01"),
       "'0\\x01' on line 2 is not a number (a coordinate)"},
      {"s.poi", std::string(kVertices).insert(std::string(kVertices).size() - 1, "\0x", 2),
       "the normals file name 'simplex.nor\\x00x' holds a NUL byte"},
      {"s.poi", "5 0\n1e-10 0 0 0\n0 4 0 0\n0 0 1e300 0\n0 0 0 4\n-1 -1 -1 -1\nsimplex.nor\n",
       "vertex 2 is too far from the origin to scale by the length of vertex 0"},
      // Finite once scaled, but beyond what GL's floats can draw, turned any way.
      {"s.poi", "5 0\n2 0 0 0\n0 4e100 0 0\n0 0 4 0\n0 0 0 4\n-1 -1 -1 -1\nsimplex.nor\n",
       "vertex 1 is too far from the origin to scale by the length of vertex 0"},
      {"s.poi",
       "5 0\n1 0 0 0\n0 4 0 0\n0 0 -576460752303423616 0\n0 0 0 4\n-1 -1 -1 -1\nsimplex.nor\n",
       "vertex 2 is too far from the origin to scale by the length of vertex 0"},
      {"fs.cel", std::string("1\n3 1\0 2 3\n", 11),
       "'1\\x00' on line 2 is not an integer (vertex 0 of polygon 0)"},
      {"fs.cel", "1\n99999 1 2 3\n",
       "the vertex count of polygon 0 99999 is larger than the rest of the file could hold"},
      {"fs.cel", "2\n3 1 2 3\n",
       "the polygon count 2 is larger than the rest of the file could hold"},
      {"fs.cel", "2\n3    1    2    3\n", "the file ends before the vertex count of polygon 1"},
      {"fs.cel", "1\n2 1 2\n", "polygon 0 has 2 vertices; a polygon needs at least 3"},
      {"fs.cel", "1\n3 1 2 6\n", "vertex 2 of polygon 0 is 6, but vertices are numbered 1 to 5"},
      {"fs.cel", "1\n3 0 1 2\n", "vertex 0 of polygon 0 is 0, but vertices are numbered 1 to 5"},
      {"fs.cel", "1\n3 1 2 3.5\n", "'3.5' on line 2 is not an integer (vertex 2 of polygon 0)"},
      {"simplex.nor", "2 0\n1 0 0 0\n0 0 0 0\n", "cell 1 has a zero-length normal"},
      {"simplex.nor", "2 0\n1 0 0 0\n",
       "the cell count 2 is larger than the rest of the file could hold"},
      {"simplex.nor", "2 0\n1.000000 0.000000 0 0\n",
       "expected 2 normals, but the file ends after 1"},
      {"simplex.nor", std::string("2 0\n1 0 0 0\n0 0 1\0 0\n", 21),
       "'1\\x00' on line 3 is not a number (a coordinate)"},
      {"simplex.nor", "2 0\n1 0 0 0\nnan 0 0 1\n",
       "'nan' on line 3 is not a number (a coordinate)"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.write("s.poi", kVertices);
    dir.write("fs.cel", kPolygons);
    dir.write("simplex.nor", kNormals);
    std::string path = dir.write(c.file, c.text);
    Loaded l;
    load(dir, "s", &l);
    EXPECT_FALSE(l.ok) << c.file << ": " << c.text;
    EXPECT_EQ(l.error, path + ": " + c.message);
  }

  // The size limit: a normals file of exactly base::kMaxInputBytes (or one byte less) is read,
  // its tail of NULs after the last normal ignored; one byte more is refused unread.
  // The files are sparse, so the test takes no disk.
  for (const size_t size : {base::kMaxInputBytes - 1, base::kMaxInputBytes, base::kMaxInputBytes + 1}) {
    TempDir dir;
    dir.write("s.poi", kVertices);
    dir.write("fs.cel", kPolygons);
    const std::string path = dir.write("simplex.nor", kNormals);
    std::filesystem::resize_file(path, size);
    Loaded l;
    load(dir, "s", &l);
    EXPECT_EQ(l.ok, size <= base::kMaxInputBytes) << size << ": " << l.error;
    EXPECT_EQ(l.error, size <= base::kMaxInputBytes ? ""
                                              : path +
                                                    ": larger than 256 MiB, the most a model "
                                                    "file may hold; not read");
  }
  // A byte-order mark before the first number is no part of it.
  {
    TempDir dir;
    dir.write("s.poi", "\xef\xbb\xbf" + std::string(kVertices));
    dir.write("fs.cel", "\xef\xbb\xbf" + std::string(kPolygons));
    dir.write("simplex.nor", "\xef\xbb\xbf" + std::string(kNormals));
    Loaded l;
    load(dir, "s", &l);
    EXPECT_TRUE(l.ok) << l.error;
  }
}

TEST(LoaderTest, TrailingContentIsIgnoredAndDenormalsAreNumbers) {
  TempDir dir;
  std::string vertices = std::string(kVertices) + "anything at all 1 2 3\n";
  vertices.replace(vertices.find("-1 -1 -1 -1"), 2, "1e-310");
  dir.write("s.poi", vertices);
  dir.write("fs.cel", std::string(kPolygons) + "7 7 7\n");
  dir.write("simplex.nor", std::string(kNormals) + "junk");
  Loaded l;
  load(dir, "s", &l);
  EXPECT_TRUE(l.ok) << l.error;
  EXPECT_EQ(l.model.polygons->count, 3);
  EXPECT_GT((*l.model.vertices)[4].x, 0.0);

  // The farthest drawable coordinate, 2^59 times vertex 0's length, still loads.
  {
    std::string far = kVertices;
    far.replace(far.find("0 0 4 0"), 7, "0 0 -1152921504606846976 0");
    TempDir farDir;
    farDir.write("s.poi", far);
    farDir.write("fs.cel", kPolygons);
    farDir.write("simplex.nor", kNormals);
    Loaded f;
    load(farDir, "s", &f);
    EXPECT_TRUE(f.ok) << f.error;
  }

  // A vertex whose squared length underflows still scales to a finite point.
  vertices.replace(vertices.find("1e-310"), 6, "1e-200");
  dir.write("s.poi", vertices);
  Loaded tiny;
  load(dir, "s", &tiny);
  EXPECT_TRUE(tiny.ok) << tiny.error;
  EXPECT_EQ((*tiny.model.vertices)[4].x, 1e-200 / 2);
  dir.write("s.poi",
            "5 0\n1e100 0 0 0\n0 1e-300 0 0\n0 0 4 0\n0 0 0 4\n-1 -1 -1 -1\nsimplex.nor\n");
  Loaded underflow;
  load(dir, "s", &underflow);
  EXPECT_TRUE(underflow.ok) << underflow.error;
  EXPECT_EQ((*underflow.model.vertices)[1].y, 0.0);

  // A leading '+' and a number that underflows read as strtod reads them; one that
  // overflows is refused.
  dir.write("s.poi", "5 0\n1 0 0 0\n0 +0.5 0 0\n0 0 4 1e-400\n0 0 0 4\n-1 -1 -1 -1\nsimplex.nor\n");
  Loaded signs;
  load(dir, "s", &signs);
  EXPECT_TRUE(signs.ok) << signs.error;
  EXPECT_EQ((*signs.model.vertices)[1].y, 0.5);
  EXPECT_EQ((*signs.model.vertices)[2].w, 0.0);
  dir.write("s.poi", "5 0\n1 0 0 0\n0 1e400 0 0\n0 0 4 0\n0 0 0 4\n-1 -1 -1 -1\nsimplex.nor\n");
  Loaded huge;
  load(dir, "s", &huge);
  EXPECT_FALSE(huge.ok);
  EXPECT_NE(huge.error.find("'1e400' on line 3 is not a number"), std::string::npos) << huge.error;
}

}  // namespace
}  // namespace orvex::model
