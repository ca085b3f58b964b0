#include "tools/orvex-gen/model_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "model/incidence.h"
#include "model/loader.h"
#include "model/regular_file.h"
#include "tools/orvex-gen/geometry.h"

namespace orvex::gen {
namespace {

// Geometry is checked at this tolerance on the loaded model (circumradius about 1): half
// the viewer's incidence tolerance, and coarse enough for hulls of points given to six
// digits.
constexpr double kFlat = 5e-6;

std::vector<Vec4> cornersOf(const model::IndexList& list, const model::Vec4Table& vertices) {
  std::vector<Vec4> corners;
  for (int i = 0; i < list.count; ++i) corners.push_back(vertices[list[i]]);
  return corners;
}

// Empty when the polygon is flat, convex and simple in the order given; else the problem.
std::string polygonProblem(const model::IndexList& polygon, const model::Vec4Table& vertices) {
  if (polygon.count < 3) return "has fewer than 3 vertices";
  std::set<int> distinct(polygon.data.get(), polygon.data.get() + polygon.count);
  if (static_cast<int>(distinct.size()) != polygon.count) return "repeats a vertex";
  std::vector<Vec4> corners = cornersOf(polygon, vertices);
  double values[4];
  Vec4 axes[4];
  principalAxes(corners, values, axes);
  const Vec4 c = centroid(corners);
  for (const Vec4& p : corners) {
    if (std::fabs(dot(p - c, axes[0])) > kFlat || std::fabs(dot(p - c, axes[1])) > kFlat) {
      return "is not flat";
    }
  }
  // Convex and simple: every turn the same way, and the turns add up to one full turn.
  double sign = 0.0, turning = 0.0;
  const int n = polygon.count;
  for (int i = 0; i < n; ++i) {
    Vec4 a = corners[(i + 1) % n] - corners[i], b = corners[(i + 2) % n] - corners[(i + 1) % n];
    double ax = dot(a, axes[3]), ay = dot(a, axes[2]), bx = dot(b, axes[3]), by = dot(b, axes[2]);
    double cross = ax * by - ay * bx;
    if (std::fabs(cross) < 1e-12) return "has three vertices in a line";
    if (sign == 0.0) sign = cross;
    if ((cross > 0) != (sign > 0)) return "is not convex in boundary order";
    turning += std::atan2(cross, ax * bx + ay * by);
  }
  if (std::fabs(std::fabs(turning) - 2 * M_PI) > 1e-6) return "winds around more than once";
  return "";
}

// The normals exactly as the file holds them; the loader scales its copy to length 1.
bool readWrittenNormals(const model::TextSource& source, const std::string& dataDir,
                        const std::string& name, model::Vec4Table* normals) {
  std::string text;
  if (!source(model::vertexFilePath(dataDir, name), &text)) return false;
  std::istringstream vertexFile(text);
  model::Vec4Table vertices;
  vertices.read(vertexFile);
  std::string word;
  vertexFile >> word;
  if (!source(model::normalsFilePath(dataDir, word), &text)) return false;
  std::istringstream normalsFile(text);
  normals->read(normalsFile);
  return static_cast<bool>(normalsFile);
}

// The checks on a model as the viewer loaded it; written holds its normals as written.
bool checkLoaded(const model::Model& m, const model::Vec4Table& written, const std::string& name,
                 double requiredMargin, ModelReport* report, std::string* error) {
  auto fail = [&](const std::string& problem) {
    *error = name + ": " + problem;
    return false;
  };
  const model::Vec4Table& vertices = *m.vertices;
  const model::IndexListArray& polygons = *m.polygons;
  const model::IndexListArray& cellVertices = *m.cellVertices;
  const model::IndexListArray& cellPolygons = *m.cellPolygons;
  const int V = vertices.count, F = polygons.count, C = written.count;

  std::set<std::pair<int, int>> edges;
  std::map<std::vector<int>, int> polygonTwins;
  for (int f = 0; f < F; ++f) {
    std::string problem = polygonProblem(polygons[f], vertices);
    if (!problem.empty()) return fail("polygon " + std::to_string(f) + " " + problem);
    std::vector<int> sorted(polygons[f].data.get(), polygons[f].data.get() + polygons[f].count);
    std::sort(sorted.begin(), sorted.end());
    auto twin = polygonTwins.emplace(sorted, f);
    if (!twin.second) {
      return fail("polygon " + std::to_string(f) + " repeats polygon " +
                  std::to_string(twin.first->second));
    }
    for (int i = 0; i < polygons[f].count; ++i) {
      int a = polygons[f][i], b = polygons[f][(i + 1) % polygons[f].count];
      edges.insert({std::min(a, b), std::max(a, b)});
    }
  }
  const int E = static_cast<int>(edges.size());

  std::vector<int> cellsOfPolygon(F, 0);
  for (int c = 0; c < C; ++c) {
    for (int i = 0; i < cellPolygons[c].count; ++i) ++cellsOfPolygon[cellPolygons[c][i]];
  }
  for (int f = 0; f < F; ++f) {
    if (cellsOfPolygon[f] != 2) {
      return fail("polygon " + std::to_string(f) + " lies in " + std::to_string(cellsOfPolygon[f]) +
                  (cellsOfPolygon[f] == 1 ? " cell" : " cells") + ", not 2");
    }
  }
  if (V - E + F - C != 0) {
    return fail("V - E + F - C = " + std::to_string(V) + " - " + std::to_string(E) + " + " +
                std::to_string(F) + " - " + std::to_string(C) + " is not 0");
  }

  std::vector<Vec4> all(vertices.data.get(), vertices.data.get() + V);
  const Vec4 centre = centroid(all);
  std::map<std::vector<int>, int> twins;
  std::map<std::string, int> kinds;
  double smallest = INFINITY;
  for (int c = 0; c < C; ++c) {
    const std::string cell = "cell " + std::to_string(c);
    const Vec4& n = written[c];
    const double normalLength = length(n);
    // The viewer's rule, on the normal as written, against a strict one on the unit normal.
    const double h = model::supportValue(n, vertices);
    double next = -INFINITY;
    int nearest = -1;
    std::vector<int> strict;
    for (int v = 0; v < V; ++v) {
      double d = dot(n, vertices[v]);
      if ((h - d) / normalLength < kFlat) {
        strict.push_back(v);
      } else if (d > next) {
        next = d;
        nearest = v;
      }
    }
    const model::IndexList& own = cellVertices[c];
    std::vector<int> viewer(own.data.get(), own.data.get() + own.count);
    if (viewer != strict) {
      return fail(cell + ": the viewer's incidence rule finds " + std::to_string(viewer.size()) +
                  " vertices, but " + std::to_string(strict.size()) + " lie on its hyperplane");
    }
    const double margin = h - next;
    smallest = std::min(smallest, margin);
    if (margin < requiredMargin) {
      return fail(cell + ": vertex " + std::to_string(nearest) + " lies only " + shortReal(margin) +
                  " from its hyperplane; the viewer's incidence rule needs " +
                  shortReal(requiredMargin));
    }
    if (affineRank(cornersOf(own, vertices), kFlat) != 3) {
      return fail(cell + " does not span three dimensions");
    }
    if (!(dot(n, centre) < h - kFlat * normalLength)) return fail(cell + ": its normal points inward");
    auto twin = twins.emplace(viewer, c);
    if (!twin.second) {
      return fail(cell + " has the same vertices as cell " + std::to_string(twin.first->second));
    }
    // The cell's polygons close up: each of their edges is shared by exactly two.
    std::map<std::pair<int, int>, int> cellEdges;
    int sides[64] = {};
    int maxSides = 3;
    for (int i = 0; i < cellPolygons[c].count; ++i) {
      const model::IndexList& p = polygons[cellPolygons[c][i]];
      for (int k = 0; k < p.count; ++k) {
        int a = p[k], b = p[(k + 1) % p.count];
        ++cellEdges[{std::min(a, b), std::max(a, b)}];
      }
      if (p.count < 64) {
        ++sides[p.count];
        maxSides = std::max(maxSides, p.count);
      }
    }
    for (const auto& [edge, uses] : cellEdges) {
      if (uses != 2) {
        return fail(cell + ": its polygons do not close up at edge " + std::to_string(edge.first) +
                    "-" + std::to_string(edge.second));
      }
    }
    std::string kind = cellKindName(sides, maxSides);
    if (kind.empty()) kind = std::to_string(cellPolygons[c].count) + "-face";
    ++kinds[kind];
  }

  std::vector<std::pair<int, std::string>> byCount;
  for (const auto& [kind, count] : kinds) byCount.push_back({-count, kind});
  std::sort(byCount.begin(), byCount.end());
  std::string listed;
  for (const auto& [negCount, kind] : byCount) {
    int count = -negCount;
    std::string shown = kind;
    if (kind.find("-face") != std::string::npos) {
      shown = std::to_string(count) + " × " + kind;
    } else {
      if (count > 1) {
        if (shown.size() > 6 && shown.compare(shown.size() - 6, 6, "hedron") == 0) {
          shown.replace(shown.size() - 2, 2, "a");
        } else {
          shown += "s";
        }
      }
      shown = std::to_string(count) + " " + shown;
    }
    listed += (listed.empty() ? "" : ", ") + shown;
  }
  report->vertices = V;
  report->edges = E;
  report->polygons = F;
  report->cells = C;
  report->cellKinds = listed;
  report->smallestMargin = smallest;
  return true;
}

}  // namespace

std::string cellKindName(const int sides[], int maxSides) {
  std::map<int, int> s;
  for (int k = 3; k <= maxSides; ++k) {
    if (sides[k]) s[k] = sides[k];
  }
  using Sig = std::map<int, int>;
  static const std::pair<Sig, const char*> kNamed[] = {
      {{{3, 4}}, "tetrahedron"},
      {{{4, 6}}, "cube"},
      {{{3, 8}}, "octahedron"},
      {{{5, 12}}, "dodecahedron"},
      {{{3, 20}}, "icosahedron"},
      {{{3, 4}, {6, 4}}, "truncated tetrahedron"},
      {{{3, 8}, {4, 6}}, "cuboctahedron"},
      {{{3, 8}, {8, 6}}, "truncated cube"},
      {{{4, 6}, {6, 8}}, "truncated octahedron"},
      {{{3, 8}, {4, 18}}, "rhombicuboctahedron"},
      {{{4, 12}, {6, 8}, {8, 6}}, "truncated cuboctahedron"},
      {{{3, 20}, {5, 12}}, "icosidodecahedron"},
      {{{3, 20}, {10, 12}}, "truncated dodecahedron"},
      {{{5, 12}, {6, 20}}, "truncated icosahedron"},
      {{{3, 20}, {4, 30}, {5, 12}}, "rhombicosidodecahedron"},
      {{{4, 30}, {6, 20}, {10, 12}}, "truncated icosidodecahedron"},
      {{{3, 32}, {4, 6}}, "snub cube"},
      {{{3, 80}, {5, 12}}, "snub dodecahedron"},
  };
  for (const auto& named : kNamed) {
    if (named.first == s) return named.second;
  }
  static const char* const kGons[] = {"triangular", "square",    "pentagonal", "hexagonal",
                                      "heptagonal", "octagonal", "enneagonal", "decagonal"};
  for (const auto& [k, count] : s) {
    if (k == 4 || count != 2 || s.size() != 2) continue;
    std::string gon = k <= 10 ? kGons[k - 3] : std::to_string(k) + "-gonal";
    if (s.count(4) && s.at(4) == k) return gon + " prism";
    if (s.count(3) && s.at(3) == 2 * k) return gon + " antiprism";
  }
  return "";
}

std::string shortReal(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3g", v);
  return buffer;
}

bool checkModelFrom(const model::TextSource& source, const std::string& dataDir,
                    const std::string& name, ModelReport* report, std::string* error,
                    double requiredMargin) {
  model::Model m;
  model::Vec3List projected;
  if (!model::loadModelFrom(source, dataDir, name, &m, &projected, error)) return false;
  model::Vec4Table written;
  if (!readWrittenNormals(source, dataDir, name, &written) ||
      written.count != m.cellNormals->count) {
    *error = name + ": cannot read the normals a second time";
    return false;
  }
  return checkLoaded(m, written, name, requiredMargin, report, error);
}

bool checkModel(const std::string& dataDir, const std::string& name, ModelReport* report,
                std::string* error, double requiredMargin) {
  auto fromDisk = [](const std::string& path, std::string* text) {
    return model::readRegularFile(path, text) == model::FileRead::kRead;
  };
  return checkModelFrom(fromDisk, dataDir, name, report, error, requiredMargin);
}

}  // namespace orvex::gen
