#include "render/section.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "model/loader.h"

namespace orvex::render {
namespace {

using Counts = std::array<int, 3>;  // vertices, edges, faces
Counts countsOf(const Section& s) { return {s.vertexCount(), s.edgeCount(), s.faceCount()}; }

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

}  // namespace
}  // namespace orvex::render
