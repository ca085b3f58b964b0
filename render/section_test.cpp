#include "render/section.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "model/loader.h"
#include "render/cell_colours.h"
#include "render/facing.h"
#include "render/recording_sink.h"
#include "render/scene.h"
#include "render/section_drawing.h"

namespace orvex::render {
namespace {

using Counts = std::array<int, 3>;  // vertices, edges, faces
Counts countsOf(const Section& s) { return {s.vertexCount(), s.edgeCount(), s.faceCount()}; }

void load(const std::string& name, model::Model* m) {
  model::Vec3List projected;
  std::string error;
  ASSERT_TRUE(model::loadModel(ORVEX_MODELS_DIR, name, m, &projected, &error)) << error;
}

// *view becomes the view after turning the start-up rotation by a, as the viewer turns it.
void turnView(const view4d::PlaneAngles& a, view4d::OrthoProjector* view) {
  view4d::OrthoProjector rotation;
  rotation.rotate(a);
  view->assignTranspose(rotation);
}

// Straight from the polytope: a face of the section is a face of the polytope that the
// hyperplane crosses (one dimension less) or contains (as it is).
Counts crossedFaces(const model::Model& m, const view4d::Transform4& view, double w) {
  std::vector<int> side;
  for (int v = 0; v < m.vertices->count; ++v) {
    const double d = view.apply(3, (*m.vertices)[v]) - w;  // equal but for rounding: on
    side.push_back(std::abs(d) <= 1e-9 ? 0 : d > 0 ? 1 : -1);
  }
  auto crosses = [&](const model::IndexList& face, int* contained) {
    int seen = 0;  // bit 0: below, 1: on, 2: above
    for (int i = 0; i < face.count; ++i) seen |= 1 << (side[face[i]] + 1);
    *contained += seen == 2;
    return seen & 1 && seen & 4 ? 1 : 0;
  };
  int vertices = static_cast<int>(std::count(side.begin(), side.end(), 0)), edges = 0, faces = 0;
  std::set<std::pair<int, int>> polytopeEdges;
  for (int k = 0; k < m.polygons->count; ++k) {
    const model::IndexList& p = (*m.polygons)[k];
    for (int i = 0; i < p.count; ++i) polytopeEdges.insert(std::minmax(p[i], p[(i + 1) % p.count]));
    edges += crosses(p, &faces);
  }
  for (const auto& [a, b] : polytopeEdges) {
    vertices += side[a] * side[b] < 0;
    edges += side[a] == 0 && side[b] == 0;
  }
  int cellsContained = 0;
  for (int k = 0; k < m.cellVertices->count; ++k) {
    faces += crosses((*m.cellVertices)[k], &cellsContained);
  }
  return {vertices, edges, faces};
}

TEST(SectionTest, CutsAnywhereAreThePolytopesCrossedFacesAndClosedPolyhedra) {
  int touches = 0;
  for (const char* name : {"c8", "c24", "c600", "cantellated-24-cell", "snub-24-cell"}) {
    if (!std::filesystem::exists(std::string(ORVEX_MODELS_DIR) + "/" + name + ".poi")) continue;
    model::Model m;
    model::Vec3List projected;
    std::string error;
    ASSERT_TRUE(model::loadModel(ORVEX_MODELS_DIR, name, &m, &projected, &error)) << error;
    // At rest, turned in all six planes, and turned so little that cells at rest parallel
    // to the cut are nearly so.
    view4d::OrthoProjector views[3];
    const double angles[2][6] = {{0.31, -0.52, 0.17, 0.73, -0.41, 0.29}, {0, 0, 0, 1e-5, 3e-6, 0}};
    for (int k = 0; k < 2; ++k) {
      view4d::OrthoProjector rotation;
      view4d::PlaneAngles turn;
      std::copy(angles[k], angles[k] + 6, turn.a);
      rotation.rotate(turn);
      views[k + 1].assignTranspose(rotation);
    }
    for (const view4d::OrthoProjector& view : views) {
      // Through vertices, halfway between levels, past them all, and so near a vertex that
      // the cut goes through it: there only the shape is checked. At most about a hundred
      // levels a view, each once.
      std::vector<double> levels, cuts{-1.5, 1.5}, near;
      for (int v = 0; v < m.vertices->count; ++v) levels.push_back(view.apply(3, (*m.vertices)[v]));
      std::sort(levels.begin(), levels.end());
      levels.erase(std::unique(levels.begin(), levels.end(),
                               [](double a, double b) { return b - a <= 1e-9; }),
                   levels.end());
      const size_t stride = levels.size() / 100 + 1;
      for (size_t i = 0; i < levels.size(); i += stride) {
        cuts.push_back(levels[i]);
        near.push_back(levels[i] + 0.7 * kSectionTolerance);
        if (i + 1 < levels.size() && levels[i + 1] - levels[i] > 2 * kSectionTolerance) {
          cuts.push_back((levels[i] + levels[i + 1]) / 2);
        }
      }
      const size_t exact = cuts.size();
      cuts.insert(cuts.end(), near.begin(), near.end());
      for (size_t c = 0; c < cuts.size(); ++c) {
        const double w = cuts[c];
        SCOPED_TRACE(std::string(name) + " at w = " + std::to_string(w));
        const Section s = computeSection(m, view, w);
        if (c < exact) {
          ASSERT_EQ(countsOf(s), crossedFaces(m, view, w));
        } else {
          // Moved onto the nearest vertex: every point where the cut through that vertex
          // puts it, the crossings of edges too, not a tolerance away.
          double nearest = levels[0];
          for (double h : levels) nearest = std::abs(h - w) < std::abs(nearest - w) ? h : nearest;
          const Section level = computeSection(m, view, nearest);
          ASSERT_EQ(s.points.size(), level.points.size());
          for (size_t i = 0; i < s.points.size(); ++i) {
            ASSERT_LT(model::length(s.points[i] - level.points[i]), 1e-9) << "point " << i;
          }
        }
        // A solid has Euler characteristic 2; a vertex, edge or polygon merely touched, 1.
        const bool solid = s.faceCount() >= 4;
        touches += !solid && s.vertexCount() > 0;
        EXPECT_EQ(s.vertexCount() - s.edgeCount() + s.faceCount(), solid ? 2 : s.vertexCount() > 0);
        // Corners in boundary order: every side of a face is an edge, in a solid of two faces.
        std::map<std::pair<int, int>, int> sides;
        for (const auto& e : s.edges) sides[e] = 0;
        for (const Section::Face& face : s.faces) {
          for (size_t i = 0, n = face.corners.size(); i < n; ++i) {
            const auto side = std::minmax(face.corners[i], face.corners[(i + 1) % n]);
            ASSERT_TRUE(sides.count(side)) << "corners out of order";
            ++sides[side];
          }
        }
        for (const auto& [edge, faces] : sides) ASSERT_TRUE(!solid || faces == 2);
      }
    }
  }
  EXPECT_GT(touches, 0) << "cuts through the extreme vertices only touch";
}

TEST(SectionTest, TesseractCutThroughACellIsTheCellAndThroughVerticesHasEachOnce) {
  model::Model m;
  model::Vec3List projected;
  std::string error;
  ASSERT_TRUE(model::loadModel(ORVEX_MODELS_DIR, "c8", &m, &projected, &error)) << error;
  // Vertex 0 is (-0.5, -0.5, -0.5, -0.5), length 1: at rest cells lie in w = ±0.5.
  const view4d::OrthoProjector rest;
  for (double w : {0.5, -0.5, 0.5 + 0.2 * kSectionTolerance}) {
    const Section s = computeSection(m, rest, w);
    EXPECT_EQ(countsOf(s), (Counts{8, 12, 6})) << w;
    for (const Section::Face& face : s.faces) {
      EXPECT_EQ((*m.cellNormals)[face.cell].w, 0.0) << "the section of a neighbour, not the cell";
    }
  }
  EXPECT_EQ(countsOf(computeSection(m, rest, 0.5 + 3 * kSectionTolerance)), (Counts{0, 0, 0}));

  // Turned, by rounding turns, so that (1, 1, 1, 1)/2 points along w.
  view4d::PlaneAngles a;
  a[3] = std::atan(1.0);
  a[4] = std::atan(1.0 / std::sqrt(2.0));
  a[5] = std::atan(1.0 / std::sqrt(3.0));
  view4d::OrthoProjector rotation, view;
  rotation.rotate(a);
  view.assignTranspose(rotation);
  ASSERT_NEAR(view.apply(3, model::Vec4(0.5, 0.5, 0.5, 0.5)), 1.0, 1e-12);
  EXPECT_EQ(countsOf(computeSection(m, view, 1.0)), (Counts{1, 0, 0}));
  EXPECT_EQ(countsOf(computeSection(m, view, 0.5)), (Counts{4, 6, 4})) << "a vertex per edge";
  EXPECT_EQ(countsOf(computeSection(m, view, 0.0)), (Counts{6, 12, 8}));
}

TEST(SectionTest, PresetsFaceTheirElementAndCutTheClassicMiddleSections) {
  struct Case {
    const char* model;
    Facing facing;
    Counts top;     // the cut through the facing element's level: the element itself
    Counts middle;  // the cut through the centre
  };
  // Worked out from the polytopes, not from this code. Tesseract (vertices (±1,±1,±1,±1)/2):
  // cell-first, its cube at both levels; face-first, w ∝ z + w, the middle z = -w is a
  // square times a diagonal, a square prism; edge-first, w ∝ y + z + w cuts the cube of
  // y, z, w in a hexagon, times the edge, a hexagonal prism; vertex-first, the octahedron.
  // 24-cell (vertices the permutations of (±1,±1,0,0)): cell-first along (0,0,0,1), the
  // twelve vertices with w = 0 make a cuboctahedron; vertex-first along a vertex, the
  // cube of edge midpoints and the octahedron of vertices at w = 0 make a rhombic
  // dodecahedron; face-first along (1,1,1,0), six vertices and twelve crossed edges, 14
  // crossed cells and no polygon in the plane (V - E + F = 2 gives the edges);
  // edge-first along (2,1,1,0), counted face by face from the same description.
  const Case cases[] = {
      {"c8", Facing::kCell, {8, 12, 6}, {8, 12, 6}},
      {"c8", Facing::kFace, {4, 4, 1}, {8, 12, 6}},
      {"c8", Facing::kEdge, {2, 1, 0}, {12, 18, 8}},
      {"c8", Facing::kVertex, {1, 0, 0}, {6, 12, 8}},
      {"c24", Facing::kCell, {6, 12, 8}, {12, 24, 14}},
      {"c24", Facing::kFace, {3, 3, 1}, {18, 30, 14}},
      {"c24", Facing::kEdge, {2, 1, 0}, {26, 42, 18}},
      {"c24", Facing::kVertex, {1, 0, 0}, {14, 24, 12}},
  };
  for (const Case& c : cases) {
    model::Model m;
    load(c.model, &m);
    view4d::OrthoProjector rotation, view;
    ASSERT_TRUE(applyFacing(m, c.facing, &rotation));
    view.assignTranspose(rotation);
    double top = -1e9;
    for (int v = 0; v < m.vertices->count; ++v)
      top = std::max(top, view.apply(3, (*m.vertices)[v]));
    SCOPED_TRACE(std::string(c.model) + " facing " + std::to_string(static_cast<int>(c.facing)));
    EXPECT_EQ(countsOf(computeSection(m, view, top)), c.top);
    EXPECT_EQ(countsOf(computeSection(m, view, 0.0)), c.middle);
  }

  // The rule: the candidate nearest the current +w, ties to the first in the file. At rest
  // eight tesseract vertices have w = 1/2; the first of them is turned onto +w, whole.
  model::Model c8;
  load("c8", &c8);
  int first = 0;
  while ((*c8.vertices)[first].w < 0.5) ++first;
  view4d::OrthoProjector rotation, view;
  applyFacing(c8, Facing::kVertex, &rotation);
  view.assignTranspose(rotation);
  EXPECT_NEAR(view.apply(3, (*c8.vertices)[first]), 1.0, 1e-15);
  // From any view, even one looking straight away from the target, the turn leaves a
  // rotation: orthonormal rows, the target on +w.
  view4d::OrthoProjector turned;
  turnView({{0.3, -0.2, 0.5, 0.7, -0.4, 0.1}}, &turned);
  const model::Vec4 targets[] = {{0.2, -1.0, 0.4, 0.3},
                                 {-turned[3].x, -turned[3].y, -turned[3].z, -turned[3].w}};
  for (const model::Vec4& target : targets) {
    rotation.assignTranspose(turned);
    turnToFace(target, &rotation);
    view.assignTranspose(rotation);
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) EXPECT_NEAR(model::dot(view[i], view[j]), i == j, 1e-14);
    }
    EXPECT_NEAR(view.apply(3, target), model::length(target), 1e-14);
  }
}

TEST(SectionTest, ALevelSplitOnlyByRoundingOrByTheModelsSizeIsCutWhole) {
  // Vertex-first by angles typed to nine digits: six vertices lie within about 1e-10 of
  // w = 0, and the cut through one of them must go through all six, the octahedron.
  view4d::PlaneAngles nineDigits;
  nineDigits[3] = 0.785398163;
  nineDigits[4] = 0.615479709;
  nineDigits[5] = 0.523598776;
  view4d::OrthoProjector view;
  turnView(nineDigits, &view);
  model::Model m;
  load("c8", &m);
  EXPECT_EQ(countsOf(computeSection(m, view, 0.0)), (Counts{6, 12, 8}));
  // A cut meant to miss them is counted exactly, as the crossed faces give it.
  const double miss = 2 * kSectionTolerance;
  EXPECT_EQ(countsOf(computeSection(m, view, miss)), crossedFaces(m, view, miss));

  // The same with every length a thousand times larger: the tolerances scale with it.
  for (int v = 0; v < m.vertices->count; ++v) (*m.vertices)[v] = 1000.0 * (*m.vertices)[v];
  EXPECT_EQ(countsOf(computeSection(m, view, 0.0)), (Counts{6, 12, 8}));
  const view4d::OrthoProjector rest;
  EXPECT_EQ(countsOf(computeSection(m, rest, 500.0 + 300 * kSectionTolerance)), (Counts{8, 12, 6}))
      << "just beside the cube's level, the cut goes through it";
  EXPECT_EQ(countsOf(computeSection(m, rest, 500.0 + 3000 * kSectionTolerance)), (Counts{0, 0, 0}))
      << "three tolerances beyond, it misses";
}

TEST(SectionTest, DrawingSendsEachFaceOnceInItsClassColourTurnedToTheEye) {
  if (!std::filesystem::exists(std::string(ORVEX_MODELS_DIR) + "/cantellated-tesseract.poi")) {
    GTEST_SKIP() << "no cantellated tesseract";
  }
  // Cells of 26, 8 and 5 polygons, so the colour changes along the faces.
  model::Model m;
  load("cantellated-tesseract", &m);
  view4d::OrthoProjector view;
  turnView({{0, 0.5, 0.3, 0.4, 0.2, 0}}, &view);
  const Section s = computeSection(m, view, 0.2);
  ASSERT_GT(s.faceCount(), 10);
  for (int fill : {0, 1}) {
    for (int hide : {0, 5}) {
      DrawSettings settings;
      settings.fillType = fill;
      settings.hidePoly = hide;
      RecordingSink sink;
      drawSection(s, m, kEye, settings, &sink);
      SCOPED_TRACE("fill " + std::to_string(fill) + " hide " + std::to_string(hide));
      std::string calls;
      size_t material = 0, primitive = 0;
      int last = 0;
      for (const Section::Face& face : s.faces) {
        const int k = (*m.cellPolygons)[face.cell].count;
        if (k == hide) continue;
        if (k != last) {
          calls += "m";
          ASSERT_LT(material, sink.materials.size());
          const float* rgb = cellColors[k % 11];
          EXPECT_EQ(sink.materials[material++], (std::vector<float>{rgb[0], rgb[1], rgb[2], 1}));
          last = k;
        }
        calls += "nbe";
        ASSERT_LT(primitive, sink.primitives.size());
        const RecordingSink::Primitive& drawn = sink.primitives[primitive++];
        const size_t n = face.corners.size();
        const model::Vec3& corner = s.points[face.corners[0]];
        EXPECT_NEAR(model::length(drawn.normal), 1.0, 1e-12);
        EXPECT_GT(model::dot(drawn.normal, kEye - corner), 0.0) << "lit from the eye's side";
        if (fill == 0) {
          EXPECT_EQ(drawn.kind, Primitive::kTriangleFan);
          ASSERT_EQ(drawn.vertices.size(), n);
          for (size_t i = 0; i < n; ++i) {
            EXPECT_EQ(model::length(drawn.vertices[i] - s.points[face.corners[i]]), 0.0);
          }
        } else {
          // A band: each corner, then its point towards the centre, closed on the first.
          EXPECT_EQ(drawn.kind, Primitive::kTriangleStrip);
          ASSERT_EQ(drawn.vertices.size(), 2 * (n + 1));
          EXPECT_EQ(model::length(drawn.vertices[0] - corner), 0.0);
          EXPECT_GT(model::length(drawn.vertices[1] - corner), 0.0);
          EXPECT_EQ(model::length(drawn.vertices[2 * n] - corner), 0.0);
        }
      }
      EXPECT_EQ(sink.calls, calls);
      EXPECT_EQ(primitive, sink.primitives.size());
      EXPECT_EQ(hide == 5, primitive < s.faces.size()) << "the prisms' faces are skipped";
    }
  }
  // With a palette each face takes its own cell's colour, its edges drawn after the faces.
  const CellPalette palette = makeCellPalette(m, ColourBy::kCell);
  DrawSettings settings;
  settings.palette = &palette;
  RecordingSink sink;
  drawSection(s, m, kEye, settings, &sink);
  drawSectionOutlines(s, true, false, &sink);
  ASSERT_EQ(sink.primitives.size(), s.faces.size() + 1);
  int changes = 0;
  for (size_t f = 0; f < s.faces.size(); ++f) {
    const std::array<float, 3>& rgb = palette.colours[palette.colourOf[s.faces[f].cell]];
    changes += f == 0 || palette.colourOf[s.faces[f].cell] != palette.colourOf[s.faces[f - 1].cell];
    ASSERT_LT(static_cast<size_t>(changes - 1), sink.materials.size());
    EXPECT_EQ(sink.materials[changes - 1], (std::vector<float>{rgb[0], rgb[1], rgb[2], 1}));
  }
  EXPECT_EQ(sink.primitives.back().kind, Primitive::kLines);
  EXPECT_EQ(sink.primitives.back().vertices.size(), 2 * s.edges.size());
}

}  // namespace
}  // namespace orvex::render
