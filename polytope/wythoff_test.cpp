#include "polytope/wythoff.h"

#include <gtest/gtest.h>

#include <set>

#include "polytope/geometry.h"
#include "polytope/test_support.h"

namespace orvex::polytope {
namespace {

using testing::wythoffOf;

int edgeCount(const Polytope& p) {
  std::set<std::pair<int, int>> edges;
  for (const auto& polygon : p.polygons) {
    for (size_t i = 0; i < polygon.size(); ++i) {
      int a = polygon[i], b = polygon[(i + 1) % polygon.size()];
      edges.insert({std::min(a, b), std::max(a, b)});
    }
  }
  return static_cast<int>(edges.size());
}

TEST(WythoffTest, AllRingsGiveOneVertexPerGroupElement) {
  const std::pair<const char*, int> kOrders[] = {{"A4", 120},  {"B4", 384},   {"D4", 192},
                                                 {"F4", 1152}, {"H4", 14400}, {"A3A1", 48},
                                                 {"B3A1", 96}, {"H3A1", 240}};
  for (const auto& [group, order] : kOrders) {
    EXPECT_EQ(wythoffOf(group, "1111").vertices.size(), static_cast<size_t>(order)) << group;
  }
}

// D4 is in no table row; its patterns are known polytopes of other groups.
TEST(WythoffTest, D4PatternsAreTheDemitesseractFamily) {
  struct Known {
    const char* rings;
    int v, e, f, c;
  };
  const Known kKnown[] = {
      {"1000", 8, 24, 32, 16},     // the 16-cell
      {"0100", 24, 96, 96, 24},    // the 24-cell
      {"1010", 32, 96, 88, 24},    // the rectified tesseract
      {"1111", 192, 384, 240, 48}  // the truncated 24-cell
  };
  for (const Known& k : kKnown) {
    Polytope p = wythoffOf("D4", k.rings);
    EXPECT_EQ(static_cast<int>(p.vertices.size()), k.v) << k.rings;
    EXPECT_EQ(edgeCount(p), k.e) << k.rings;
    EXPECT_EQ(static_cast<int>(p.polygons.size()), k.f) << k.rings;
    EXPECT_EQ(p.cells(), k.c) << k.rings;
  }
}

// Uniform means every vertex on one sphere and every edge of length 2, and every cell
// normal a unit vector whose support set is the cell's vertices.
TEST(WythoffTest, EveryPatternIsUniformWithCellsOnTheirNormals) {
  for (const char* group : {"A4", "B4", "D4", "F4", "H3A1", "B3A1"}) {
    for (int bits = 1; bits < 16; ++bits) {
      std::string rings;
      for (int i = 0; i < 4; ++i) rings += (bits >> (3 - i)) & 1 ? '1' : '0';
      CoxeterGroup g;
      coxeterGroup(group, &g);
      bool r[4];
      std::string error;
      Polytope p;
      ASSERT_TRUE(parseRings(rings, r, &error));
      if (!wythoff(g, r, &p, &error)) {
        // Only the prism groups have flat patterns: the A1 node alone or unringed.
        EXPECT_TRUE(std::string(group).size() == 4 && (bits == 1 || bits % 2 == 0))
            << group << " " << rings << ": " << error;
        continue;
      }
      const double radius = length(p.vertices[0]);
      for (const Vec4& v : p.vertices) ASSERT_NEAR(length(v), radius, 1e-9) << group << rings;
      for (const auto& polygon : p.polygons) {
        for (size_t i = 0; i < polygon.size(); ++i) {
          Vec4 d = p.vertices[polygon[i]] - p.vertices[polygon[(i + 1) % polygon.size()]];
          ASSERT_NEAR(length(d), 2.0, 1e-9) << group << " " << rings;
        }
      }
      for (int c = 0; c < p.cells(); ++c) {
        ASSERT_NEAR(length(p.normals[c]), 1.0, 1e-12);
        const double h = dot(p.normals[c], p.vertices[p.cellVertices[c][0]]);
        for (int v : p.cellVertices[c]) ASSERT_NEAR(dot(p.normals[c], p.vertices[v]), h, 1e-9);
      }
      EXPECT_EQ(static_cast<int>(p.vertices.size()) - edgeCount(p) +
                    static_cast<int>(p.polygons.size()) - p.cells(),
                0)
          << group << " " << rings;
    }
  }
}

TEST(WythoffTest, RefusesFlatPatternsAndMalformedRings) {
  std::string error;
  bool r[4];
  for (const char* bad : {"", "101", "10001", "10a1", "1 01", "2000"}) {
    EXPECT_FALSE(parseRings(bad, r, &error)) << bad;
    EXPECT_EQ(error, "ring pattern '" + std::string(bad) + "' is not four digits 0 or 1");
  }
  CoxeterGroup g;
  Polytope p;
  ASSERT_TRUE(coxeterGroup("h4", &g));  // names are case-insensitive
  ASSERT_TRUE(parseRings("0000", r, &error));
  EXPECT_FALSE(wythoff(g, r, &p, &error));
  EXPECT_EQ(error,
            "ring pattern '0000' leaves a part of the H4 diagram without a ring, so "
            "the result is flat");
  ASSERT_TRUE(coxeterGroup("B3A1", &g));
  ASSERT_TRUE(parseRings("0110", r, &error));
  EXPECT_FALSE(wythoff(g, r, &p, &error));
  EXPECT_FALSE(coxeterGroup("E8", &g));
  EXPECT_FALSE(coxeterGroup("A4 ", &g));
}

}  // namespace
}  // namespace orvex::polytope
