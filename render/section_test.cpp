#include "render/section.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "model/loader.h"

namespace orvex::render {
namespace {

using model::Vec4;

bool loadShipped(const std::string& name, model::Model* m) {
  if (!std::filesystem::exists(std::string(ORVEX_MODELS_DIR) + "/" + name + ".poi")) return false;
  model::Vec3List projected;
  std::string error;
  EXPECT_TRUE(model::loadModel(ORVEX_MODELS_DIR, name, m, &projected, &error)) << error;
  return true;
}

struct Counts {
  int v = 0, e = 0, f = 0;
  bool operator==(const Counts& o) const { return v == o.v && e == o.e && f == o.f; }
};

std::ostream& operator<<(std::ostream& out, const Counts& c) {
  return out << c.v << " vertices, " << c.e << " edges, " << c.f << " faces";
}

Counts countsOf(const Section& s) { return {s.vertexCount(), s.edgeCount(), s.faceCount()}; }

// Straight from the polytope's faces: a face of the section is a face of the polytope
// that the hyperplane crosses (one dimension less) or contains (as it is).
Counts crossedFaces(const model::Model& m, const view4d::Transform4& view, double w) {
  const double tolerance = kSectionTolerance;  // every shipped vertex has length 1
  std::vector<int> side(m.vertices->count);
  for (int v = 0; v < m.vertices->count; ++v) {
    const double d = view.apply(3, (*m.vertices)[v]) - w;
    side[v] = std::abs(d) <= tolerance ? 0 : d > 0 ? 1 : -1;
  }
  auto crossesOrContains = [&](const model::IndexList& vertices, int* contains) {
    bool above = false, below = false, off = false;
    for (int i = 0; i < vertices.count; ++i) {
      above |= side[vertices[i]] > 0;
      below |= side[vertices[i]] < 0;
      off |= side[vertices[i]] != 0;
    }
    *contains += !off;
    return above && below;
  };
  Counts c;
  std::set<std::pair<int, int>> edges;
  for (int f = 0; f < m.polygons->count; ++f) {
    const model::IndexList& p = (*m.polygons)[f];
    for (int i = 0; i < p.count; ++i) {
      edges.insert(std::minmax(p[i], p[(i + 1) % p.count]));
    }
    c.e += crossesOrContains(p, &c.f);
  }
  for (int v = 0; v < m.vertices->count; ++v) c.v += side[v] == 0;
  for (const auto& [a, b] : edges) {
    c.v += side[a] * side[b] < 0;
    c.e += side[a] == 0 && side[b] == 0;
  }
  int cellsContained = 0;
  for (int k = 0; k < m.cellVertices->count; ++k) {
    c.f += crossesOrContains((*m.cellVertices)[k], &cellsContained);
  }
  return c;
}

void turn(const view4d::PlaneAngles& angles, view4d::OrthoProjector* view) {
  view4d::OrthoProjector rotation;
  rotation.rotate(angles);
  view->assignTranspose(rotation);
}

// The start-up view and a turn in all six planes.
void someViews(view4d::OrthoProjector (&views)[2]) {
  view4d::PlaneAngles a;
  const double angles[6] = {0.31, -0.52, 0.17, 0.73, -0.41, 0.29};
  std::copy(angles, angles + 6, a.a);
  turn(a, &views[1]);
}

TEST(SectionTest, CountsAreThePolytopesFacesThatTheHyperplaneCrossesOrContains) {
  for (const char* name : {"c8", "c24", "c120", "c600", "truncated-tesseract"}) {
    model::Model m;
    if (!loadShipped(name, &m)) continue;
    view4d::OrthoProjector views[2];
    someViews(views);
    for (const view4d::OrthoProjector& view : views) {
      std::vector<double> heights;
      for (int v = 0; v < m.vertices->count; ++v)
        heights.push_back(view.apply(3, (*m.vertices)[v]));
      std::sort(heights.begin(), heights.end());
      // Through every vertex, and halfway between each level and the next.
      std::vector<double> cuts = heights;
      for (size_t i = 0; i + 1 < heights.size(); ++i) {
        cuts.push_back(0.5 * (heights[i] + heights[i + 1]));
      }
      for (double w : cuts) {
        ASSERT_EQ(countsOf(computeSection(m, view, w)), crossedFaces(m, view, w))
            << name << " at w = " << w;
      }
    }
  }
}

TEST(SectionTest, EverySectionIsAClosedConvexPolyhedronOrWhatTheHyperplaneTouches) {
  for (const char* name : {"c8", "c24", "c120", "c600", "truncated-tesseract", "snub-24-cell"}) {
    model::Model m;
    if (!loadShipped(name, &m)) continue;
    int solids = 0, touches = 0;
    view4d::OrthoProjector views[2];
    someViews(views);
    for (const view4d::OrthoProjector& view : views) {
      std::vector<double> cuts{1.5, -1.5};  // misses: the vertices have length 1
      for (int v = 0; v < m.vertices->count; ++v) {
        const double h = view.apply(3, (*m.vertices)[v]);
        cuts.insert(cuts.end(), {h, h + 0.003, h - 0.02});
      }
      for (double w : cuts) {
        const Section s = computeSection(m, view, w);
        const int euler = s.vertexCount() - s.edgeCount() + s.faceCount();
        SCOPED_TRACE(std::string(name) + " at w = " + std::to_string(w));
        if (s.faceCount() >= 4) {
          ++solids;
          EXPECT_EQ(euler, 2) << countsOf(s);
        } else if (s.vertexCount() > 0) {
          // A vertex, an edge or a polygon: the hyperplane only touches the polytope.
          ++touches;
          EXPECT_LE(s.faceCount(), 1) << countsOf(s);
          EXPECT_EQ(euler, 1) << countsOf(s);
        } else {
          EXPECT_EQ(countsOf(s), Counts{}) << "edges or faces without vertices";
        }
        // Faces in boundary order: each side of each face is an edge of the section, and
        // in a solid every edge is a side of exactly two faces.
        std::map<std::pair<int, int>, int> sides;
        for (const auto& e : s.edges) sides[e] = 0;
        for (const Section::Face& face : s.faces) {
          ASSERT_GE(face.corners.size(), 3u);
          for (size_t i = 0; i < face.corners.size(); ++i) {
            const auto side =
                std::minmax(face.corners[i], face.corners[(i + 1) % face.corners.size()]);
            ASSERT_TRUE(sides.count(side)) << "a face side " << side.first << "-" << side.second
                                           << " is no edge: corners out of order";
            ++sides[side];
          }
        }
        for (const auto& [edge, faces] : sides) {
          if (s.faceCount() >= 4) {
            ASSERT_EQ(faces, 2) << edge.first << "-" << edge.second;
          }
        }
      }
    }
    EXPECT_GT(solids, 0) << name;
    EXPECT_GT(touches, 0) << name << ": the cuts through the extreme vertices touch";
  }
}

TEST(SectionTest, TesseractCutsThroughCellsVerticesAndNothing) {
  model::Model m;
  ASSERT_TRUE(loadShipped("c8", &m));
  const view4d::OrthoProjector rest;
  // At rest two cells lie in w = ±0.5 (vertex 0 is (-0.5, -0.5, -0.5, -0.5) scaled to
  // length 1): the cut there is the cell, whose faces are the sections of its neighbours.
  for (double w : {0.5, -0.5, 0.5 + 0.2 * kSectionTolerance}) {
    const Section s = computeSection(m, rest, w);
    EXPECT_EQ(countsOf(s), (Counts{8, 12, 6})) << w;
    for (const model::Vec3& p : s.points) {
      EXPECT_NEAR(std::abs(p.x) + std::abs(p.y) + std::abs(p.z), 1.5, 1e-12) << "a cube corner";
    }
    for (const Section::Face& face : s.faces) {
      EXPECT_NEAR((*m.cellNormals)[face.cell].w, 0.0, 1e-12) << "coloured as the cut cell";
    }
  }
  EXPECT_EQ(countsOf(computeSection(m, rest, 0.0)), (Counts{8, 12, 6}));
  EXPECT_EQ(countsOf(computeSection(m, rest, 0.5 + 3 * kSectionTolerance)), Counts{});

  // Vertex first: turned so that (1, 1, 1, 1)/2 points along w, by turns that round.
  view4d::PlaneAngles a;
  a[3] = std::atan(1.0);                   // xw
  a[4] = std::atan(1.0 / std::sqrt(2.0));  // yw
  a[5] = std::atan(1.0 / std::sqrt(3.0));  // zw
  view4d::OrthoProjector view;
  turn(a, &view);
  ASSERT_NEAR(view.apply(3, Vec4(0.5, 0.5, 0.5, 0.5)), 1.0, 1e-12) << "turn signs";
  const struct {
    double w;
    Counts expected;
  } cuts[] = {
      {1.0, {1, 0, 0}},   // the top vertex alone
      {0.75, {4, 6, 4}},  // a tetrahedron across its four edges
      {0.5, {4, 6, 4}},   // through four vertices, each once, not once per edge
      {0.0, {6, 12, 8}},  // the octahedron through the six middle vertices
      {-1.0, {1, 0, 0}},
  };
  for (const auto& cut : cuts) {
    EXPECT_EQ(countsOf(computeSection(m, view, cut.w)), cut.expected) << "w = " << cut.w;
  }
}

}  // namespace
}  // namespace orvex::render
