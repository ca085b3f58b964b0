#include "tools/orvex-gen/hull.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

#include "tools/orvex-gen/faces.h"
#include "tools/orvex-gen/geometry.h"
#include "tools/orvex-gen/model_check.h"
#include "tools/orvex-gen/off4.h"

namespace orvex::gen {

bool readPointsFile(const std::string& path, std::vector<Vec4>* points, std::string* error) {
  std::string text;
  if (!readInputFile(path, &text, error)) return false;
  std::istringstream words(text);
  std::string first;
  words >> first;
  if (first == "4OFF") {
    Off4 off;
    if (!parseOff4(text, path, &off, error)) return false;
    *points = off.vertices;
    return true;
  }
  char* end = nullptr;
  errno = 0;
  long count = std::strtol(first.c_str(), &end, 10);
  if (first.empty() || *end != '\0' || errno == ERANGE || count < 0 || count > 100000000) {
    *error = path + ": expected a point count or 4OFF, found '" + first.substr(0, 40) + "'";
    return false;
  }
  std::vector<Vec4> result;
  for (long i = 0; i < count; ++i) {
    Vec4 p;
    for (int k = 0; k < 4; ++k) {
      std::string word;
      if (!(words >> word)) {
        *error = path + ": point " + std::to_string(i) + " is missing (the count says " +
                 std::to_string(count) + ")";
        return false;
      }
      errno = 0;
      p[k] = std::strtod(word.c_str(), &end);
      // NaN and infinity parse, and are refused later with the degenerate inputs. A number
      // too small for a normal double (1e-310) is still that number.
      if (word.empty() || *end != '\0') {
        *error = path + ": point " + std::to_string(i) + " has '" + word.substr(0, 40) +
                 "', which is not a number";
        return false;
      }
      if (errno == ERANGE && std::fabs(p[k]) == HUGE_VAL) {
        *error = path + ": point " + std::to_string(i) + " has '" + word.substr(0, 40) +
                 "', which is too large for a double";
        return false;
      }
    }
    result.push_back(p);
  }
  *points = std::move(result);
  return true;
}

namespace {

// One facet of qhull's hull: the numbers of its vertices and its outward normal.
struct Facet {
  std::vector<int> vertices;
  Vec4 normal;
};

// A ridge of qhull's hull: a triangle where two facets meet.
struct Ridge {
  int facets[2];
  std::array<int, 3> vertices;
};

// qhull's facets and the ridges between them, or false with a message.
bool runQhull(const std::vector<Vec4>& points, double tolerance, std::vector<Facet>* facets,
              std::vector<Ridge>* ridges, std::string* error) {
  std::vector<coordT> coords;
  for (const Vec4& p : points) {
    for (int k = 0; k < 4; ++k) coords.push_back(p[k]);
  }
  qhT context;
  qhT* qh = &context;
  // qhull reports through a FILE; its words go to a scratch file, our message to the user.
  FILE* messages = std::tmpfile();
  qh_zero(qh, messages);
  // Pre-merging facets whose centrums lie within the tolerance of their neighbours keeps a
  // cell of rounded points in one piece.
  char options[64];
  std::snprintf(options, sizeof options, "qhull C-%.3g", tolerance);
  int status = qh_new_qhull(qh, 4, static_cast<int>(points.size()), coords.data(), False, options,
                            nullptr, messages);
  if (status == 0) {
    // Facet ids are below qh->facet_id, so a plain table numbers the facets.
    std::vector<int> number(qh->facet_id, -1);
    facetT* facet;
    FORALLfacets {
      number[facet->id] = static_cast<int>(facets->size());
      Facet f;
      vertexT *vertex, **vertexp;
      FOREACHvertex_(facet->vertices) f.vertices.push_back(qh_pointid(qh, vertex->point));
      f.normal = Vec4(facet->normal[0], facet->normal[1], facet->normal[2], facet->normal[3]);
      facets->push_back(std::move(f));
    }
    std::set<std::array<int, 3>> seen;
    const int count = static_cast<int>(points.size());
    // Anything but a triangle of given points between two listed facets would be a qhull
    // state this code does not know; it is refused rather than guessed at.
    auto addRidge = [&](int f, int g, std::array<int, 3> triangle) {
      for (int v : triangle) {
        if (v < 0 || v >= count) status = -1;
      }
      if (f < 0 || g < 0) status = -1;
      std::sort(triangle.begin(), triangle.end());
      if (status == 0 && seen.insert(triangle).second) ridges->push_back({{f, g}, triangle});
    };
    FORALLfacets {
      const int f = number[facet->id];
      if (facet->simplicial) {
        // A simplicial facet keeps its ridges implicit: neighbour k is across from vertex k.
        const std::vector<int>& v = (*facets)[f].vertices;
        if (v.size() != 4 || qh_setsize(qh, facet->neighbors) != 4) status = -1;
        facetT *neighbor, **neighborp;
        int k = 0;
        FOREACHneighbor_(facet) {
          if (status != 0) break;
          std::array<int, 3> triangle;
          for (int i = 0, j = 0; i < 4; ++i) {
            if (i != k) triangle[j++] = v[i];
          }
          addRidge(f, number[neighbor->id], triangle);
          ++k;
        }
      } else {
        ridgeT *ridge, **ridgep;
        FOREACHridge_(facet->ridges) {
          std::array<int, 3> triangle = {-1, -1, -1};
          int j = 0;
          vertexT *vertex, **vertexp;
          FOREACHvertex_(ridge->vertices) {
            if (j < 3) triangle[j] = qh_pointid(qh, vertex->point);
            ++j;
          }
          if (j != 3) status = -1;
          addRidge(number[ridge->top->id], number[ridge->bottom->id], triangle);
        }
      }
    }
  }
  qh_freeqhull(qh, !qh_ALL);
  int curlong = 0, totlong = 0;
  qh_memfreeshort(qh, &curlong, &totlong);
  if (messages) std::fclose(messages);
  if (status != 0) {
    *error = status < 0 ? std::string(
                              "qhull's hull has a face of a kind not handled here "
                              "(the points may be too close to degenerate)")
                        : "qhull failed with code " + std::to_string(status) +
                              " (the points may be too close to degenerate)";
    return false;
  }
  return true;
}

// "the cell through points 1, 4, 9, 12" with at most six numbers shown.
std::string cellThrough(const std::vector<int>& points) {
  std::string text = "the cell through points";
  for (size_t i = 0; i < points.size() && i < 6; ++i) {
    text += (i ? ", " : " ") + std::to_string(points[i]);
  }
  if (points.size() > 6) text += ", ...";
  return text;
}

}  // namespace

bool convexHull(const std::vector<Vec4>& input, Polytope* out, std::string* error) {
  double largest = 0.0;
  for (size_t i = 0; i < input.size(); ++i) {
    for (int k = 0; k < 4; ++k) {
      if (!std::isfinite(input[i][k])) {
        *error = "point " + std::to_string(i) + " has a coordinate that is not finite";
        return false;
      }
      largest = std::max(largest, std::fabs(input[i][k]));
    }
  }
  // Work on a copy scaled by a power of two, which is exact, to coordinates below 1: points
  // near either end of the double range then square and sum without overflow or underflow.
  int exponent = 0;
  if (largest > 0.0) std::frexp(largest, &exponent);
  std::vector<Vec4> scaled;
  for (const Vec4& p : input) {
    scaled.emplace_back(std::ldexp(p.x, -exponent), std::ldexp(p.y, -exponent),
                        std::ldexp(p.z, -exponent), std::ldexp(p.w, -exponent));
  }
  const Vec4 centre = centroid(scaled);
  double radius = 0.0;
  for (Vec4& p : scaled) {
    p = p - centre;
    radius = std::max(radius, length(p));
  }
  // Duplicates would only make qhull work harder.
  std::vector<Vec4> points;
  std::vector<int> inputNumber;
  PointIndex index(1e-10 * (radius > 0 ? radius : 1.0));
  for (size_t i = 0; i < scaled.size(); ++i) {
    if (index.findOrAdd(scaled[i], static_cast<int>(points.size())) < 0) {
      points.push_back(scaled[i]);
      inputNumber.push_back(static_cast<int>(i));
    }
  }
  if (points.size() < 5) {
    *error = "a hull needs at least 5 distinct points, got " + std::to_string(points.size());
    return false;
  }
  if (affineRank(points, 1e-9 * radius) < 4) {
    *error = "all points lie in one hyperplane, so they bound no 4D polytope";
    return false;
  }
  std::vector<Facet> facets;
  std::vector<Ridge> ridges;
  if (!runQhull(points, kHullTolerance * radius, &facets, &ridges, error)) return false;
  const int cells = static_cast<int>(facets.size());
  const int n = static_cast<int>(points.size());

  // A merged facet's normal is one piece's; the fit through all its vertices is the cell's.
  for (Facet& f : facets) {
    if (f.vertices.size() <= 4) continue;
    std::vector<Vec4> corners;
    for (int v : f.vertices) corners.push_back(points[v]);
    double values[4];
    Vec4 axes[4];
    principalAxes(corners, values, axes);
    f.normal = dot(axes[0], f.normal) < 0 ? -1.0 * axes[0] : axes[0];
  }

  // A point is a corner when the normals of its cells span four-space; a point inside an
  // edge, a polygon or a cell, which a merge can leave among a facet's vertices, is not.
  std::vector<std::vector<int>> pointCells(n);
  for (int c = 0; c < cells; ++c) {
    for (int v : facets[c].vertices) pointCells[v].push_back(c);
  }
  std::vector<int> renumber(n, -1);
  std::vector<int> corners;
  for (int v = 0; v < n; ++v) {
    std::vector<Vec4> around;
    for (int c : pointCells[v]) around.push_back(facets[c].normal);
    if (around.size() >= 4 && linearRank(around, 1e-6) == 4) {
      renumber[v] = static_cast<int>(corners.size());
      corners.push_back(v);
    }
  }
  if (corners.empty()) {
    *error = "the points span fewer than four dimensions";
    return false;
  }

  // Distances as the viewer will see them: the model is centred on its corners and
  // scaled so that the first corner lies at distance 1.
  std::vector<Vec4> cornerPoints;
  for (int v : corners) cornerPoints.push_back(points[v]);
  const Vec4 middle = centroid(cornerPoints);
  const double unit = length(points[corners[0]] - middle);
  // Messages give distances in the points' own units.
  auto given = [&](double distance) { return shortReal(std::ldexp(distance * unit, exponent)); };
  auto inputNumbers = [&](const std::vector<int>& vs) {
    std::vector<int> numbers;
    for (int v : vs) {
      if (renumber[v] >= 0) numbers.push_back(inputNumber[v]);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
  };
  std::vector<char> onCell(n, 0);
  for (int c = 0; c < cells; ++c) {
    const Vec4& normal = facets[c].normal;
    double h = -INFINITY;
    int cellCorners = 0;
    for (int v : facets[c].vertices) {
      onCell[v] = 1;
      if (renumber[v] >= 0) {
        h = std::max(h, dot(normal, points[v]));
        ++cellCorners;
      }
    }
    if (cellCorners < 4) {
      *error = cellThrough(inputNumbers(facets[c].vertices)) +
               " has fewer than four corners (the points are too close to degenerate)";
      return false;
    }
    double nearest = INFINITY;
    int nearestPoint = -1;
    for (int v : corners) {
      const double depth = (h - dot(normal, points[v])) / unit;
      if (onCell[v] && depth > kHullTolerance) {
        *error = cellThrough(inputNumbers(facets[c].vertices)) + " is not flat: point " +
                 std::to_string(inputNumber[v]) + " lies " + given(depth) + " off it";
        return false;
      }
      if (!onCell[v] && depth < nearest) {
        nearest = depth;
        nearestPoint = v;
      }
    }
    for (int v : facets[c].vertices) onCell[v] = 0;
    if (nearest < kRequiredMargin) {
      *error = "point " + std::to_string(inputNumber[nearestPoint]) + " lies only " +
               given(nearest) + " from " + cellThrough(inputNumbers(facets[c].vertices)) +
               "; at this size the viewer's incidence rule needs " + given(kRequiredMargin) +
               " to tell them apart";
      return false;
    }
  }

  // Each polygon is where two cells meet: the union of qhull's ridge triangles between
  // them, whose edges used once form its boundary.
  std::map<std::pair<int, int>, std::vector<const Ridge*>> meetings;
  for (const Ridge& r : ridges) {
    meetings[{std::min(r.facets[0], r.facets[1]), std::max(r.facets[0], r.facets[1])}].push_back(
        &r);
  }
  Polytope result;
  for (int v : corners) result.vertices.push_back(input[inputNumber[v]]);
  for (const Facet& f : facets) {
    std::vector<int> own;
    for (int v : f.vertices) {
      if (renumber[v] >= 0) own.push_back(renumber[v]);
    }
    std::sort(own.begin(), own.end());
    result.cellVertices.push_back(std::move(own));
    result.normals.push_back(f.normal);
  }
  for (const auto& [pair, triangles] : meetings) {
    auto broken = [&, pair = pair](const std::string& problem) {
      *error = cellThrough(inputNumbers(facets[pair.first].vertices)) + " and " +
               cellThrough(inputNumbers(facets[pair.second].vertices)) + " " + problem +
               " (the points are too close to degenerate)";
      return false;
    };
    std::map<std::pair<int, int>, int> uses;
    for (const Ridge* r : triangles) {
      for (int i = 0; i < 3; ++i) {
        int a = r->vertices[i], b = r->vertices[(i + 1) % 3];
        ++uses[{std::min(a, b), std::max(a, b)}];
      }
    }
    std::map<int, std::vector<int>> next;
    int boundaryEdges = 0;
    for (const auto& [edge, count] : uses) {
      if (count > 2) return broken("meet in a surface that is not a polygon");
      if (count != 1) continue;
      next[edge.first].push_back(edge.second);
      next[edge.second].push_back(edge.first);
      ++boundaryEdges;
    }
    std::vector<int> cycle;
    for (const auto& [v, around] : next) {
      if (around.size() != 2) return broken("meet in more than one polygon");
    }
    if (next.empty()) return broken("meet in no polygon");
    int previous = -1, at = next.begin()->first;
    do {
      cycle.push_back(at);
      const std::vector<int>& around = next[at];
      int step = around[0] != previous ? around[0] : around[1];
      previous = at;
      at = step;
    } while (at != cycle[0] && static_cast<int>(cycle.size()) <= boundaryEdges);
    if (static_cast<int>(cycle.size()) != boundaryEdges) {
      return broken("meet in more than one polygon");
    }
    std::vector<int> polygon;
    for (int v : cycle) {
      if (renumber[v] >= 0) polygon.push_back(renumber[v]);
    }
    if (polygon.size() < 3) return broken("meet in fewer than three corners");
    result.polygons.push_back(std::move(polygon));
  }
  if (result.cells() < 5) {
    *error = "the points span fewer than four dimensions";
    return false;
  }
  *out = std::move(result);
  return true;
}

}  // namespace orvex::gen
