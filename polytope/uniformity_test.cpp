#include "polytope/uniformity.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "polytope/geometry.h"
#include "polytope/test_support.h"

namespace orvex::polytope {
namespace {

// One vertex moved off the sphere is named by its radius; an antipodal pair slid along
// the sphere keeps every radius and the centroid, so only the edges can tell.
TEST(UniformityTest, NamesTheWorstVertexOrEdgeAndPassesTheExactShape) {
  const Polytope tesseract = testing::wythoffOf("B4", "1000");
  UniformSpread spread;
  std::string error;
  ASSERT_TRUE(
      checkUniform(tesseract.vertices, tesseract.polygons, kUniformTolerance, &spread, &error))
      << error;
  EXPECT_LT(spread.edges, 1e-15);
  EXPECT_LT(spread.radii, 1e-15);

  Polytope p = tesseract;
  p.vertices[5] = (1 + 1e-10) * p.vertices[5];
  EXPECT_FALSE(checkUniform(p.vertices, p.polygons, kUniformTolerance, &spread, &error));
  EXPECT_EQ(error.substr(0, 9), "vertex 5 ") << error;
  EXPECT_NEAR(spread.radii, 1e-10, 1e-11);  // less the centroid's small shift
  EXPECT_NE(error.find(" from the centre against 2 for the median: radii spread "),
            std::string::npos)
      << error;
  EXPECT_EQ(error.substr(error.size() - 13), "(limit 1e-12)");

  p = tesseract;
  int opposite = 0;
  for (size_t i = 0; i < p.vertices.size(); ++i) {
    if (length(p.vertices[i] + p.vertices[3]) < 1e-9) opposite = static_cast<int>(i);
  }
  Vec4 along =
      Vec4(1, 0, 0, 0) -
      (dot(Vec4(1, 0, 0, 0), p.vertices[3]) / dot(p.vertices[3], p.vertices[3])) * p.vertices[3];
  along = (1e-9 / length(along)) * along;
  p.vertices[3] = p.vertices[3] + along;
  p.vertices[opposite] = p.vertices[opposite] - along;
  EXPECT_FALSE(checkUniform(p.vertices, p.polygons, kUniformTolerance, &spread, &error));
  EXPECT_LT(spread.radii, 1e-15);
  int a = -1, b = -1;
  ASSERT_EQ(std::sscanf(error.c_str(), "edge %d-%d has length", &a, &b), 2) << error;
  EXPECT_TRUE(a == 3 || b == 3 || a == opposite || b == opposite) << error;
  EXPECT_NE(error.find("edge lengths spread"), std::string::npos) << error;
}

}  // namespace
}  // namespace orvex::polytope
