#include "export/scene_mesh.h"

#include <gtest/gtest.h>

#include <map>

namespace orvex::exporting {
namespace {

using model::Vec3;

// Six times the signed volume, and whether every directed edge is run exactly once.
double sixVolume(const Solid& s, bool* windsAlike) {
  std::map<std::pair<int, int>, int> directed;
  double volume = 0.0;
  for (const auto& [a, b, c] : s.triangles) {
    ++directed[{a, b}], ++directed[{b, c}], ++directed[{c, a}];
    volume += model::dot(s.points[a], model::cross(s.points[b], s.points[c]));
  }
  *windsAlike = true;
  for (const auto& [edge, uses] : directed) {
    *windsAlike = *windsAlike && uses == 1 && directed.count({edge.second, edge.first}) == 1;
  }
  return volume;
}

TEST(SceneMeshTest, PolygonsOfAnyWindingBecomeOneOutwardSolidOrTheFaultIsNamed) {
  // A unit cube off the origin, its faces wound every which way, as model files may list
  // them; a quadrilateral face fans into two triangles.
  const std::vector<Vec3> points = {{2, 0, 0}, {3, 0, 0}, {3, 1, 0}, {2, 1, 0},
                                    {2, 0, 1}, {3, 0, 1}, {3, 1, 1}, {2, 1, 1}};
  const std::vector<std::vector<int>> faces = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                               {3, 7, 6, 2}, {0, 4, 7, 3}, {1, 2, 6, 5}};
  for (int flips = 0; flips < 64; flips += 7) {
    std::vector<std::vector<int>> wound = faces;
    for (int f = 0; f < 6; ++f) {
      if (flips & (1 << f)) std::reverse(wound[f].begin(), wound[f].end());
    }
    Solid solid;
    std::string problem;
    ASSERT_TRUE(buildSolid(points, wound, std::vector<int>(6, 2), &solid, &problem)) << problem;
    ASSERT_EQ(solid.triangles.size(), 12u);
    EXPECT_EQ(solid.colours, std::vector<int>(12, 2));
    bool alike = false;
    EXPECT_NEAR(sixVolume(solid, &alike), 6.0, 1e-12) << "flips " << flips;
    EXPECT_TRUE(alike) << "flips " << flips;
  }

  struct Refused {
    std::vector<Vec3> points;
    std::vector<std::vector<int>> polygons;
    std::string problem;
  };
  const std::vector<Refused> refused = {
      {points, {faces.begin(), faces.end() - 1}, "is not closed: an edge lies in 1 polygon"},
      // Corners that coincide are merged first: the square's duplicate corner goes.
      {points, {{0, 1, 1, 2, 3}, {3, 2, 1, 0}}, "encloses no volume (it is seen edge-on)"},
      {points, {}, "has no polygons"},
  };
  for (const Refused& r : refused) {
    Solid solid;
    std::string problem;
    EXPECT_FALSE(buildSolid(r.points, r.polygons, std::vector<int>(r.polygons.size(), 0), &solid,
                            &problem));
    EXPECT_EQ(problem, r.problem);
  }
}

}  // namespace
}  // namespace orvex::exporting
