#include "polytope/info.h"

#include <gtest/gtest.h>
#include <libqhull_r/qhull_ra.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

#include "polytope/hull.h"
#include "polytope/library.h"
#include "polytope/model_writer.h"
#include "polytope/test_support.h"

namespace orvex::polytope {
namespace {

using testing::tableRows;

// qhull's own 4-volume and total cell 3-volume of the hull of points.
void qhullMeasures(const std::vector<Vec4>& points, double* volume, double* surface) {
  qhT qh_qh;
  qhT* qh = &qh_qh;
  qh_zero(qh, stderr);
  std::vector<coordT> coordinates;
  for (const Vec4& p : points) coordinates.insert(coordinates.end(), {p.x, p.y, p.z, p.w});
  char options[] = "qhull FA";
  const int status = qh_new_qhull(qh, 4, static_cast<int>(points.size()), coordinates.data(), False,
                                  options, nullptr, stderr);
  EXPECT_EQ(status, 0);
  *volume = qh->totvol;
  *surface = qh->totarea;
  qh_freeqhull(qh, !qh_ALL);
  int curlong, totlong;
  qh_memfreeshort(qh, &curlong, &totlong);
}

const double kPhi = (1 + std::sqrt(5.0)) / 2;

// The order of each row's symmetry group from the group theory of its construction: a
// Wythoff polytope has its Coxeter group's order, doubled when the ring pattern reads the
// same backwards on A4 and F4, whose diagrams turn over; a prism twice its polyhedron's;
// the p-q duoprism 4pq, 8p^2 when p = q; the n-antiprismatic prism 8n; a dual the same
// as its original.
uint64_t referenceOrder(const LibraryEntry& row, const std::vector<LibraryEntry>& rows) {
  const std::string& how = row.construction;
  if (how.rfind("dual ", 0) == 0) {
    for (const LibraryEntry& r : rows) {
      if (r.name == how.substr(5)) return referenceOrder(r, rows);
    }
    return 0;
  }
  char group[8] = {}, rings[8] = {};
  int p = 0, q = 0;
  if (std::sscanf(how.c_str(), "wythoff %7s %7s", group, rings) == 2) {
    const std::string g = group, r = rings;
    const bool turns = std::string(r.rbegin(), r.rend()) == r;
    if (g == "A4") return turns ? 240 : 120;
    if (g == "B4") return 384;
    if (g == "F4") return turns ? 2304 : 1152;
    if (g == "H4") return 14400;
    if (g == "A3A1") return 48;
    if (g == "B3A1") return 96;
    if (g == "H3A1") return 240;
  }
  if (std::sscanf(how.c_str(), "{%d}×{%d}", &p, &q) == 2) return p == q ? 8 * p * p : 4 * p * q;
  if (std::sscanf(how.c_str(), "%d-gonal antiprism", &p) == 1) return 8 * p;
  // The hulls: the snub 24-cell's half of the 24-cell's group, the grand antiprism's
  // ionic group, and the chiral snub polyhedra times the segment.
  if (row.name == "snub-24-cell") return 576;
  if (row.name == "grand-antiprism") return 400;
  if (row.name == "snub-cubic-prism") return 48;
  if (row.name == "snub-dodecahedral-prism") return 120;
  return 0;
}

struct UnitMeasures {
  double volume = 0.0, circumradius = 0.0;
  std::set<double> dihedralAngles;  // degrees
};

double degrees(double radians) { return radians * 180.0 / M_PI; }

// Unit-edge volume, circumradius and dihedral angles from closed forms, for the rows that
// have one to hand: the regular polytopes, the duoprisms and some prisms.
bool referenceMeasures(const LibraryEntry& row, UnitMeasures* out) {
  const double r5 = std::sqrt(5.0), r2 = std::sqrt(2.0);
  if (row.name == "c5") *out = {r5 / 96, std::sqrt(0.4), {degrees(std::acos(0.25))}};
  if (row.name == "c8") *out = {1, 1, {90}};
  if (row.name == "c16") *out = {1.0 / 6, 1 / r2, {120}};
  if (row.name == "c24") *out = {2, 1, {120}};
  if (row.name == "c120") *out = {15.0 / 4 * (105 + 47 * r5), r2 * kPhi * kPhi, {144}};
  if (row.name == "c600") {
    *out = {25.0 / 4 * (2 + r5), kPhi, {degrees(std::acos(-(1 + 3 * r5) / 8))}};
  }
  int p = 0, q = 0;
  if (std::sscanf(row.construction.c_str(), "{%d}×{%d}", &p, &q) == 2) {
    auto area = [](int n) { return n / (4 * std::tan(M_PI / n)); };
    auto radius = [](int n) { return 1 / (2 * std::sin(M_PI / n)); };
    *out = {area(p) * area(q),
            std::hypot(radius(p), radius(q)),
            {90, 180.0 - 360.0 / p, 180.0 - 360.0 / q}};
  }
  // A prism of unit height over a polyhedron with unit edge.
  const std::pair<const char*, std::pair<double, double>> kPrisms[] = {
      {"tetrahedral-prism", {r2 / 12, std::sqrt(3.0 / 8)}},
      {"octahedral-prism", {r2 / 3, 1 / r2}},
      {"cuboctahedral-prism", {5 * r2 / 3, 1}},
      {"dodecahedral-prism", {(15 + 7 * r5) / 4, std::sqrt(3.0) * kPhi / 2}},
      {"icosahedral-prism", {5 * (3 + r5) / 12, std::sqrt(kPhi * r5) / 2}},
      {"truncated-icosidodecahedral-prism", {95 + 50 * r5, std::sqrt(31 + 12 * r5) / 2}},
  };
  for (const auto& [name, measures] : kPrisms) {
    if (row.name == name) {
      *out = {measures.first, std::hypot(measures.second, 0.5), {}};
    }
  }
  return out->volume > 0.0;
}

class ShippedModelTest : public ::testing::TestWithParam<LibraryEntry> {};

// Every shipped model against references that are not the code's: its symmetry order
// from group theory, its volume and surface from qhull, and where a closed form is known
// its unit-edge volume, circumradius and dihedral angles; the table holds what info
// finds, and each dual row names the other back, with the counts swapped.
TEST_P(ShippedModelTest, MeasuresAndSymmetryMatchReferences) {
  const LibraryEntry& row = GetParam();
  const std::vector<LibraryEntry> rows = tableRows();
  ModelInfo info;
  std::string error;
  ASSERT_TRUE(modelInfo(ORVEX_MODELS_DIR, row.name, &info, &error)) << error;
  const Measures& m = info.measures;

  const uint64_t order = referenceOrder(row, rows);
  EXPECT_EQ(info.symmetry.order, order);
  EXPECT_EQ(row.symmetry, order);

  double volume = 0.0, surface = 0.0;
  qhullMeasures(m.points, &volume, &surface);
  EXPECT_NEAR(m.volume / volume, 1.0, 1e-9);
  EXPECT_NEAR(m.surface / surface, 1.0, 1e-9);

  EXPECT_EQ(info.symmetry.uniform, isUniformFamily(row.family));
  if (info.symmetry.uniform) {
    const double edge = m.edgeLengths[0].value;
    EXPECT_NEAR(m.volume / std::pow(edge, 4) / row.unitVolume, 1.0, 1e-9);
    EXPECT_NEAR(m.circumradius / edge / row.unitCircumradius, 1.0, 1e-9);
    UnitMeasures reference;
    if (referenceMeasures(row, &reference)) {
      EXPECT_NEAR(m.volume / std::pow(edge, 4) / reference.volume, 1.0, 1e-9);
      EXPECT_NEAR(m.circumradius / edge / reference.circumradius, 1.0, 1e-9);
      std::set<double> found;
      for (const DihedralAngle& a : m.dihedralAngles) found.insert(a.degrees);
      for (double expected : reference.dihedralAngles) {
        auto near = found.lower_bound(expected - 1e-6);
        EXPECT_TRUE(near != found.end() && *near <= expected + 1e-6) << expected;
      }
      if (!reference.dihedralAngles.empty()) {
        EXPECT_EQ(found.size(), reference.dihedralAngles.size());
      }
    }
  } else {
    EXPECT_EQ(row.unitVolume, 0.0);
  }

  EXPECT_EQ(info.dual, row.dual);
  if (!row.dual.empty()) {
    auto dual = std::find_if(rows.begin(), rows.end(),
                             [&](const LibraryEntry& e) { return e.name == row.dual; });
    ASSERT_NE(dual, rows.end()) << row.dual;
    EXPECT_EQ(dual->dual, row.name);
    EXPECT_EQ(dual->symmetry, row.symmetry);
    EXPECT_EQ(std::vector<int>({dual->vertices, dual->edges, dual->polygons, dual->cells}),
              std::vector<int>({row.cells, row.polygons, row.edges, row.vertices}));
  }
}

INSTANTIATE_TEST_SUITE_P(Library, ShippedModelTest, ::testing::ValuesIn(tableRows()),
                         [](const ::testing::TestParamInfo<LibraryEntry>& info) {
                           std::string name = info.param.name;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

// A hull of random points: no symmetry, every vertex its own orbit, every cell a
// tetrahedron of its own volume, and still qhull's volume.
TEST(InfoTest, RandomHullHasNoSymmetryAndQhullsVolume) {
  std::mt19937 random(7);
  std::normal_distribution<double> normal;
  std::vector<Vec4> points(300);
  for (Vec4& p : points) {
    p = {normal(random), normal(random), normal(random), normal(random)};
    p = (1.0 / length(p)) * p;
  }
  testing::ScratchDir scratch;
  Polytope hull;
  std::string error;
  ASSERT_TRUE(convexHull(points, &hull, &error)) << error;
  ASSERT_TRUE(writeModel(scratch.path(), "r", hull, &error)) << error;
  ModelInfo info;
  ASSERT_TRUE(modelInfo(scratch.path(), "r", &info, &error)) << error;
  EXPECT_EQ(info.symmetry.order, 1u);
  EXPECT_EQ(info.symmetry.vertexOrbits, 300);
  EXPECT_EQ(info.symmetry.cellOrbits, info.measures.cells);
  EXPECT_FALSE(info.symmetry.uniform);
  EXPECT_EQ(info.measures.cellVolumes.size(), static_cast<size_t>(info.measures.cells));
  double volume = 0.0, surface = 0.0;
  qhullMeasures(info.measures.points, &volume, &surface);
  EXPECT_NEAR(info.measures.volume / volume, 1.0, 1e-9);
  EXPECT_NEAR(info.measures.surface / surface, 1.0, 1e-9);
}

}  // namespace
}  // namespace orvex::polytope
