// orvex-render's 3D models and vector figures, written by the real binary and read back
// by readers that did not write them: Assimp's importers, lib3mf's reader, admesh (a
// slicer's mesh check), librsvg and poppler (rasterising the figures).
#include <Model/COM/NMR_DLLInterfaces.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <numeric>
#include <set>

#include "offscreen/png_io.h"
#include "tools/orvex-render/test_support.h"

namespace orvex::render_tool {
namespace {

using testing::renderBinary;
using testing::runProgram;
using testing::TempDir;

using Point = std::array<float, 3>;
struct Triangle {
  std::array<Point, 3> corners;
  std::array<float, 3> colour{-1.0f, -1.0f, -1.0f};  // none when the format holds none
};

// Every triangle of the file as Assimp reads it, node transforms applied, each with its
// material's diffuse colour or (PLY) its first corner's vertex colour.
std::vector<Triangle> readWithAssimp(const std::string& path,
                                     std::vector<std::string>* meshNodes = nullptr) {
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(path, 0);
  EXPECT_NE(scene, nullptr) << path << ": " << importer.GetErrorString();
  std::vector<Triangle> triangles;
  if (scene == nullptr) return triangles;
  std::vector<std::pair<const aiNode*, aiMatrix4x4>> nodes = {{scene->mRootNode, {}}};
  while (!nodes.empty()) {
    const auto [node, parent] = nodes.back();
    nodes.pop_back();
    const aiMatrix4x4 transform = parent * node->mTransformation;
    for (unsigned c = 0; c < node->mNumChildren; ++c) nodes.push_back({node->mChildren[c], transform});
    if (meshNodes != nullptr && node->mNumMeshes > 0) meshNodes->push_back(node->mName.C_Str());
    for (unsigned k = 0; k < node->mNumMeshes; ++k) {
      const aiMesh* mesh = scene->mMeshes[node->mMeshes[k]];
      aiColor4D diffuse(-1.0f, -1.0f, -1.0f, 1.0f);
      const bool hasMaterialColour = aiGetMaterialColor(scene->mMaterials[mesh->mMaterialIndex],
                                                        AI_MATKEY_COLOR_DIFFUSE,
                                                        &diffuse) == AI_SUCCESS;
      for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        EXPECT_EQ(face.mNumIndices, 3u) << path;
        Triangle t;
        for (int i = 0; i < 3; ++i) {
          const aiVector3D p = transform * mesh->mVertices[face.mIndices[i]];
          t.corners[i] = {p.x, p.y, p.z};
        }
        if (mesh->HasVertexColors(0)) {
          const aiColor4D& c = mesh->mColors[0][face.mIndices[0]];
          t.colour = {c.r, c.g, c.b};
        } else if (hasMaterialColour) {
          t.colour = {diffuse.r, diffuse.g, diffuse.b};
        }
        triangles.push_back(t);
      }
    }
  }
  return triangles;
}

// The 3MF as lib3mf reads it: every mesh object, each triangle with its base material's
// display colour. (Assimp 5.2's importer finds only a model part named 3D/3DModel.model;
// lib3mf names it 3D/3dmodel.model, as the format lets it.)
std::vector<Triangle> readWith3mfReader(const std::string& path) {
  using namespace NMR;
  // lib3mf 1.8's reader leaks libzip's buffers (3 of 160 bytes a file), whatever is released.
  [[maybe_unused]] testing::MesaLeakPause libraryLeaks;
  std::vector<Triangle> triangles;
  PLib3MFModel* model = nullptr;
  PLib3MFModelReader* reader = nullptr;
  EXPECT_EQ(lib3mf_createmodel(&model), LIB3MF_OK);
  EXPECT_EQ(lib3mf_model_queryreader(model, "3mf", &reader), LIB3MF_OK);
  EXPECT_EQ(lib3mf_reader_readfromfileutf8(reader, path.c_str()), LIB3MF_OK) << path;
  PLib3MFModelResourceIterator* objects = nullptr;
  EXPECT_EQ(lib3mf_model_getmeshobjects(model, &objects), LIB3MF_OK);
  BOOL more = false;
  while (lib3mf_resourceiterator_movenext(objects, &more) == LIB3MF_OK && more) {
    PLib3MFModelResource* object = nullptr;
    lib3mf_resourceiterator_getcurrent(objects, &object);
    DWORD vertexCount = 0, triangleCount = 0;
    lib3mf_meshobject_getvertexcount(object, &vertexCount);
    lib3mf_meshobject_gettrianglecount(object, &triangleCount);
    std::vector<MODELMESHVERTEX> vertices(vertexCount);
    std::vector<MODELMESHTRIANGLE> faces(triangleCount);
    lib3mf_meshobject_getvertices(object, vertices.data(), vertexCount, nullptr);
    lib3mf_meshobject_gettriangleindices(object, faces.data(), triangleCount, nullptr);
    PLib3MFPropertyHandler* properties = nullptr;
    lib3mf_meshobject_createpropertyhandler(object, &properties);
    for (DWORD f = 0; f < triangleCount; ++f) {
      Triangle t;
      for (int i = 0; i < 3; ++i) {
        const FLOAT* p = vertices[faces[f].m_nIndices[i]].m_fPosition;
        t.corners[i] = {p[0], p[1], p[2]};
      }
      DWORD group = 0, index = 0;
      if (lib3mf_propertyhandler_getbasematerial(properties, f, &group, &index) == LIB3MF_OK) {
        PLib3MFModelBaseMaterial* materials = nullptr;
        lib3mf_model_getbasematerialbyid(model, group, &materials);
        BYTE r = 0, g = 0, b = 0, a = 0;
        lib3mf_basematerial_getdisplaycolor(materials, index, &r, &g, &b, &a);
        EXPECT_EQ(a, 255) << "opaque";
        t.colour = {r / 255.0f, g / 255.0f, b / 255.0f};
        lib3mf_release(materials);
      }
      triangles.push_back(t);
    }
    lib3mf_release(properties);
    lib3mf_release(object);
  }
  lib3mf_release(objects);
  lib3mf_release(reader);
  lib3mf_release(model);
  return triangles;
}

std::vector<Triangle> readBack(const std::string& path) {
  return path.size() > 4 && path.compare(path.size() - 4, 4, ".3mf") == 0 ? readWith3mfReader(path)
                                                                          : readWithAssimp(path);
}

// What a printer needs of a triangle soup: corners at one point are one vertex; the parts
// are the sets of triangles joined through edges, as admesh joins them; each part is closed (every edge in
// exactly two triangles), wound alike (each edge run once each way) and encloses a
// positive volume (so wound counter-clockwise from outside).
struct Parts {
  int count = 0;
  int open = 0, unalike = 0, inward = 0;  // parts failing each check
  float longestSide = 0.0f;
};

Parts partsOf(const std::vector<Triangle>& triangles) {
  std::map<Point, int> index;
  std::vector<std::array<int, 3>> faces;
  Point lo = {1e30f, 1e30f, 1e30f}, hi = {-1e30f, -1e30f, -1e30f};
  for (const Triangle& t : triangles) {
    std::array<int, 3> face;
    for (int i = 0; i < 3; ++i) {
      face[i] = index.emplace(t.corners[i], static_cast<int>(index.size())).first->second;
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], t.corners[i][k]);
        hi[k] = std::max(hi[k], t.corners[i][k]);
      }
    }
    faces.push_back(face);
  }
  std::vector<int> root(faces.size());
  std::iota(root.begin(), root.end(), 0);
  std::function<int(int)> find = [&](int t) { return root[t] == t ? t : root[t] = find(root[t]); };
  std::map<std::pair<int, int>, int> firstOnEdge;
  for (size_t t = 0; t < faces.size(); ++t) {
    for (int i = 0; i < 3; ++i) {
      const int a = faces[t][i], b = faces[t][(i + 1) % 3];
      const auto [at, added] = firstOnEdge.emplace(std::make_pair(std::min(a, b), std::max(a, b)),
                                                   static_cast<int>(t));
      if (!added) root[find(static_cast<int>(t))] = find(at->second);
    }
  }
  std::vector<Point> points(index.size());
  for (const auto& [p, i] : index) points[i] = p;
  struct Part {
    std::map<std::pair<int, int>, int> directed;
    double volume = 0.0;
  };
  std::map<int, Part> parts;
  for (size_t t = 0; t < faces.size(); ++t) {
    const std::array<int, 3>& f = faces[t];
    Part& part = parts[find(static_cast<int>(t))];
    for (int i = 0; i < 3; ++i) ++part.directed[{f[i], f[(i + 1) % 3]}];
    const Point &a = points[f[0]], &b = points[f[1]], &c = points[f[2]];
    part.volume += a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
                   a[2] * (b[0] * c[1] - b[1] * c[0]);
  }
  Parts result;
  result.count = static_cast<int>(parts.size());
  result.longestSide = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]});
  for (const auto& [root, part] : parts) {
    bool closed = true, alike = true;
    for (const auto& [edge, uses] : part.directed) {
      const auto back = part.directed.find({edge.second, edge.first});
      const int reverse = back == part.directed.end() ? 0 : back->second;
      closed = closed && uses + reverse == 2;
      alike = alike && uses == 1 && reverse == 1;
    }
    result.open += !closed;
    result.unalike += !alike;
    result.inward += !(part.volume > 0.0);
  }
  return result;
}

std::vector<std::string> render(std::vector<std::string> args) {
  args.insert(args.begin(), renderBinary());
  return args;
}

void useModels(const TempDir& dir, const std::string& extra = "") {
  testing::writeText(dir.file("orvex.cfg"),
                     "DataDir " + std::string(ORVEX_MODELS_DIR) + "\n" + extra);
}

TEST(SceneExportTest, EveryFormatReadsBackAsClosedOutwardSolidsOfThePrintSize) {
  // Three cubes face the viewer in this turn; the strut model is the whole tesseract,
  // its 32 edges and 16 vertices each once although eight cells draw them; the section
  // is one heptahedron.
  const std::vector<std::string> turned = {"c8", "--turn", "0,0,0,0.4,0.3,0"};
  struct Case {
    std::string output;
    std::vector<std::string> args;
    std::string config;
    int parts;
    size_t triangles;
    float size;  // the longest side in millimetres
    bool coloured;
  };
  const std::vector<Case> cases = {
      {"cells.stl", turned, "", 3, 36, 100.0f, false},
      {"cells.obj", turned, "", 3, 36, 100.0f, true},
      {"cells.ply", turned, "", 3, 36, 100.0f, true},
      {"cells.glb", turned, "", 3, 36, 100.0f, true},
      {"cells.3mf", {"c8", "--turn", "0,0,0,0.4,0.3,0", "--print-size", "42.5"}, "", 3, 36, 42.5f,
       true},
      {"struts.stl", {"c8", "--cells", "all", "--struts", "--turn", "0,0.3,0.2,0.4,0.3,0"},
       "ExtendRate 0\n", 48, 32 * 48 + 16 * 320, 100.0f, false},
      {"struts.glb", {"c8", "--cells", "all", "--struts", "--strut-radius", "2", "--turn",
                      "0,0.3,0.2,0.4,0.3,0"}, "ExtendRate 0\n", 48, 32 * 48 + 16 * 320, 100.0f,
       true},
      {"section.ply", {"c8", "--section", "0.3", "--turn", "0,0.3,0.2,0.4,0.3,0"}, "", 1, 16,
       100.0f, true},
  };
  const std::array<float, 3> cubeColour = {1.0f, 0.8f, 0.4f};  // class 6 of the viewer's
  for (const Case& c : cases) {
    TempDir dir;
    useModels(dir, c.config);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", c.output});
    const testing::RunResult r = runProgram(render(args), dir.path());
    ASSERT_EQ(r.status, 0) << c.output << ": " << r.err;
    const std::vector<Triangle> triangles = readBack(dir.file(c.output));
    EXPECT_EQ(triangles.size(), c.triangles) << c.output;
    const Parts parts = partsOf(triangles);
    EXPECT_EQ(parts.count, c.parts) << c.output;
    EXPECT_EQ(parts.open, 0) << c.output;
    EXPECT_EQ(parts.unalike, 0) << c.output;
    EXPECT_EQ(parts.inward, 0) << c.output;
    EXPECT_NEAR(parts.longestSide, c.size, 0.01f * c.size) << c.output;
    std::set<std::array<float, 3>> colours;
    for (const Triangle& t : triangles) colours.insert(t.colour);
    if (c.coloured && c.output.rfind("struts", 0) != 0) {
      ASSERT_EQ(colours.size(), 1u) << c.output << ": every face of a cube in the cubes' colour";
      for (int k = 0; k < 3; ++k) EXPECT_NEAR((*colours.begin())[k], cubeColour[k], 0.5f / 255);
    } else if (c.coloured) {
      EXPECT_EQ(colours.size(), 1u) << c.output;
      EXPECT_GE((*colours.begin())[0], 0.0f) << c.output << " holds a colour";
    }
    if (c.output == "section.ply") {
      EXPECT_EQ(r.out, "section w=0.3: 10 vertices, 15 edges, 7 faces\n");
    }
    if (c.output.size() > 4 && c.output.compare(c.output.size() - 4, 4, ".glb") == 0) {
      // Every part a node of its own name, as a viewer lists them: "cell 7", "strut 3", "ball 2".
      std::vector<std::string> names;
      readWithAssimp(dir.file(c.output), &names);
      EXPECT_EQ(static_cast<int>(names.size()), c.parts) << c.output;
      EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size()) << c.output;
      for (const std::string& name : names) {
        EXPECT_TRUE(name.rfind("cell ", 0) == 0 || name.rfind("strut ", 0) == 0 ||
                    name.rfind("ball ", 0) == 0)
            << name;
      }
    }
    if (c.output == "cells.obj") {
      EXPECT_EQ(dir.entries(), (std::vector<std::string>{"cells.mtl", "cells.obj", "orvex.cfg"}));
    }
  }

  // A slicer's mesh check finds nothing to mend in a strut model's STL.
  TempDir dir;
  useModels(dir, "ExtendRate 0\n");
  ASSERT_EQ(runProgram(render({"c8", "--cells", "all", "--struts", "--turn", "0,0.3,0.2,0.4,0.3,0",
                               "-o", "s.stl"}),
                       dir.path())
                .status,
            0);
  const testing::RunResult check = runProgram({"/usr/bin/admesh", "s.stl"}, dir.path());
  ASSERT_EQ(check.status, 0) << check.err;
  for (const char* line :
       {"Number of parts       :    48", "Degenerate facets     :     0", "Edges fixed           :     0",
        "Facets removed        :     0", "Facets added          :     0",
        "Facets reversed       :     0", "Backwards edges       :     0",
        "Normals fixed         :     0"}) {
    EXPECT_NE(check.out.find(line), std::string::npos) << line << " in\n" << check.out;
  }
}

TEST(SceneExportTest, WhatIsNoSolidIsRefusedInOneLine) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      // Six of the tesseract's cells are seen edge-on at the start-up view: flat, no solid.
      {{"c8", "--cells", "all"}, "orvex-render: c8: cell 1 encloses no volume (it is seen edge-on)\n"},
      {{"c8", "--section", "5"},
       "orvex-render: c8: the section is not a solid (0 vertices, 0 edges, 0 faces), so there "
       "is nothing to export\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    useModels(dir);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", "out.stl"});
    const testing::RunResult r = runProgram(render(args), dir.path());
    EXPECT_EQ(r.status, 1) << c.message;
    EXPECT_EQ(r.err.substr(0, c.message.size()), c.message);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"orvex.cfg"});
  }
}

offscreen::RgbImage readPicture(const std::string& path) {
  offscreen::RgbImage image;
  std::string error;
  EXPECT_TRUE(offscreen::readPng(path, &image, &error)) << error;
  return image;
}

// How two rasterisations of one view agree away from boundaries. Both antialias, but
// differently (and the picture's lines are drawn by other rules than the figure's
// strokes), so every edge and outline differs a little. Inside the polygons, where the
// picture is smooth, nothing may: a polygon painted in the wrong order, lit or fogged
// wrongly, or out of place shows there.
struct InteriorDifference {
  long interior = 0;  // pixels whose 5 x 5 neighbourhood in the picture is smooth
  long differing = 0;  // of them, pixels with a channel more than 8 levels apart
  int largest = 0;
};

InteriorDifference compareInteriors(const offscreen::RgbImage& picture,
                                    const offscreen::RgbImage& figure) {
  InteriorDifference d;
  const auto at = [](const offscreen::RgbImage& image, int x, int y, int k) {
    return static_cast<int>(image.pixels[3 * (static_cast<size_t>(y) * image.width + x) + k]);
  };
  for (int y = 2; y + 2 < picture.height; ++y) {
    for (int x = 2; x + 2 < picture.width; ++x) {
      bool smooth = true;
      for (int k = 0; k < 3 && smooth; ++k) {
        int lo = 255, hi = 0;
        for (int v = y - 2; v <= y + 2; ++v) {
          for (int u = x - 2; u <= x + 2; ++u) {
            lo = std::min(lo, at(picture, u, v, k));
            hi = std::max(hi, at(picture, u, v, k));
          }
        }
        // The fog's slope across a polygon stays well under this.
        smooth = hi - lo <= 12;
      }
      if (!smooth) continue;
      ++d.interior;
      int largest = 0;
      for (int k = 0; k < 3; ++k) {
        largest = std::max(largest, std::abs(at(picture, x, y, k) - at(figure, x, y, k)));
      }
      d.largest = std::max(d.largest, largest);
      d.differing += largest > 8;
    }
  }
  return d;
}

TEST(SceneExportTest, RasterisedFiguresLookLikeThePictures) {
  const std::vector<std::vector<std::string>> cases = {
      {"c8", "--turn", "0,0,0,0.4,0.3,0", "--edges", "--vertices", "--fit", "--background", "white"},
      {"c120", "--edges", "--fit"},
      {"c120", "-h", "--fit"},
      {"c8", "-c", "--turn", "0,0.3,0.2,0.4,0.3,0"},
      {"c8", "--section", "0.3", "--turn", "0,0.3,0.2,0.4,0.3,0", "--zoom", "1.5"},
  };
  for (const auto& args : cases) {
    for (const char* format : {"svg", "pdf"}) {
      TempDir dir;
      // The clipped case on a plane of its own: the figure must take the settings' plane.
      const bool clipped = std::find(args.begin(), args.end(), "-c") != args.end();
      useModels(dir, clipped ? "ClipPlane 1 -0.4 -1 0.25\n" : "");
      const std::string figure = std::string("figure.") + format;
      std::vector<std::string> a = args;
      a.insert(a.end(), {"--size", "240"});
      std::vector<std::string> png = a, vector = a;
      png.insert(png.end(), {"--aa", "4", "-o", "picture.png"});
      vector.insert(vector.end(), {"-o", figure});
      ASSERT_EQ(runProgram(render(png), dir.path()).status, 0);
      const testing::RunResult made = runProgram(render(vector), dir.path());
      ASSERT_EQ(made.status, 0) << made.err;
      const testing::RunResult raster =
          format[0] == 's'
              ? runProgram({"/usr/bin/rsvg-convert", "-w", "240", "-h", "240", figure, "-o",
                            "figure.png"},
                           dir.path())
              : runProgram({"/usr/bin/pdftoppm", "-r", "72", "-singlefile", "-png", figure,
                            "figure"},
                           dir.path());
      ASSERT_EQ(raster.status, 0) << raster.err;
      const offscreen::RgbImage picture = readPicture(dir.file("picture.png"));
      const offscreen::RgbImage rasterised = readPicture(dir.file("figure.png"));
      ASSERT_EQ(rasterised.width, picture.width);
      ASSERT_EQ(rasterised.height, picture.height);
      const InteriorDifference d = compareInteriors(picture, rasterised);
      const std::string what = args[0] + " " + args[1] + " " + format + ": " +
                               std::to_string(d.differing) + " of " + std::to_string(d.interior) +
                               " interior pixels differ, largest " + std::to_string(d.largest);
      EXPECT_GT(d.interior, 240 * 240 / 4) << what;
      EXPECT_LE(d.differing, d.interior / 200) << what;
    }
  }
}

// --label writes the section's line into the figure's top left corner and nothing else.
TEST(SceneExportTest, LabelWritesTheSectionLineAtTheTopOnly) {
  TempDir dir;
  useModels(dir);
  const std::vector<std::string> section = {"c8", "--section", "0.3", "--size", "240", "--turn",
                                            "0,0.3,0.2,0.4,0.3,0"};
  std::vector<std::string> plain = section, labelled = section;
  plain.insert(plain.end(), {"-o", "plain.svg"});
  labelled.insert(labelled.end(), {"--label", "-o", "labelled.svg"});
  ASSERT_EQ(runProgram(render(plain), dir.path()).status, 0);
  const testing::RunResult r = runProgram(render(labelled), dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "section w=0.3: 10 vertices, 15 edges, 7 faces\n");
  for (const char* name : {"plain", "labelled"}) {
    ASSERT_EQ(runProgram({"/usr/bin/rsvg-convert", "-w", "240", "-h", "240",
                          std::string(name) + ".svg", "-o", std::string(name) + ".png"},
                         dir.path())
                  .status,
              0);
  }
  const offscreen::RgbImage a = readPicture(dir.file("plain.png"));
  const offscreen::RgbImage b = readPicture(dir.file("labelled.png"));
  long top = 0, below = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    if (a.pixels[i] == b.pixels[i]) continue;
    const size_t row = i / 3 / a.width;
    (row < 240 / 8 ? top : below)++;
  }
  EXPECT_GT(top, 100) << "the line is written";
  EXPECT_EQ(below, 0) << "and nothing else changes";
}

}  // namespace
}  // namespace orvex::render_tool
