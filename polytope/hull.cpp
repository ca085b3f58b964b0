#include "polytope/hull.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <set>
#include <tuple>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

#include "polytope/geometry.h"
#include "polytope/model_check.h"
#include "polytope/normal_length.h"
#include "polytope/two_ways.h"

namespace orvex::polytope {
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

// The facets numbered in qhull's order: number maps qhull's facet ids to them. Facet ids
// are below qh->facet_id, so a plain table numbers the facets. Returns the count.
int numberFacets(qhT* qh, std::vector<int>* number) {
  number->assign(qh->facet_id, -1);
  int count = 0;
  facetT* facet;
  FORALLfacets {
    (*number)[facet->id] = count++;
  }
  return count;
}

// The facets in qhull's order, with their vertices as qhull lists them.
void collectFacets(qhT* qh, std::vector<Facet>* facets) {
  facetT* facet;
  FORALLfacets {
    Facet f;
    vertexT *vertex, **vertexp;
    f.vertices.reserve(qh_setsize(qh, facet->vertices));
    FOREACHvertex_(facet->vertices) f.vertices.push_back(qh_pointid(qh, vertex->point));
    f.normal = Vec4(facet->normal[0], facet->normal[1], facet->normal[2], facet->normal[3]);
    facets->push_back(std::move(f));
  }
}

// Each ridge of met (ridges as met from their facets, some twice) once, as first met.
// Only those marked in twice can be met twice, so only they are sorted to find repeats.
void keepFirstMeetings(const std::vector<Ridge>& met, const std::vector<char>& twice,
                       std::vector<Ridge>* ridges) {
  std::vector<int> order;
  for (size_t i = 0; i < met.size(); ++i) {
    if (twice[i]) order.push_back(static_cast<int>(i));
  }
  std::sort(order.begin(), order.end(), [&met](int a, int b) {
    const std::array<int, 3>&p = met[a].vertices, &q = met[b].vertices;
    return std::tie(p[0], p[1], p[2], a) < std::tie(q[0], q[1], q[2], b);
  });
  std::vector<char> first(met.size(), 1);
  for (size_t k = 1; k < order.size(); ++k) {
    first[order[k]] = met[order[k]].vertices != met[order[k - 1]].vertices;
  }
  ridges->reserve(met.size());
  for (size_t i = 0; i < met.size(); ++i) {
    if (first[i]) ridges->push_back(met[i]);
  }
}

// The ridges between facets, each once. False for anything but a triangle of given
// points between two listed facets: a qhull state this code does not know is refused
// rather than guessed at. It only reads qhull's hull, so collectFacets can run alongside.
bool collectRidges(qhT* qh, int count, const std::vector<int>& number, int facetCount,
                   std::vector<Ridge>* ridges) {
  // Every ridge is met from both its facets; the first meeting is kept. One between two
  // simplicial facets is met once only (see below), so only the others are marked twice.
  std::vector<Ridge> met;
  std::vector<char> twice;
  met.reserve(2 * static_cast<size_t>(facetCount));
  twice.reserve(2 * static_cast<size_t>(facetCount));
  bool ok = true;
  auto addRidge = [&](int f, int g, std::array<int, 3> triangle, bool maybeTwice) {
    for (int v : triangle) ok = ok && v >= 0 && v < count;
    ok = ok && f >= 0 && g >= 0;
    std::sort(triangle.begin(), triangle.end());
    if (ok) {
      met.push_back({{f, g}, triangle});
      twice.push_back(maybeTwice);
    }
  };
  facetT* facet;
  FORALLfacets {
    const int f = number[facet->id];
    if (facet->simplicial) {
      // A simplicial facet keeps its ridges implicit: neighbour k is across from vertex k.
      if (qh_setsize(qh, facet->vertices) != 4 || qh_setsize(qh, facet->neighbors) != 4) {
        return false;
      }
      int v[4], corner = 0;
      vertexT *vertex, **vertexp;
      FOREACHvertex_(facet->vertices) v[corner++] = qh_pointid(qh, vertex->point);
      facetT *neighbor, **neighborp;
      int k = 0;
      FOREACHneighbor_(facet) {
        // A simplicial neighbour met before gave this ridge already, and the first
        // meeting is the one kept: leaving the second out halves the list.
        const int g = number[neighbor->id];
        if (neighbor->simplicial && g >= 0 && g < f) {
          ++k;
          continue;
        }
        std::array<int, 3> triangle;
        for (int i = 0, j = 0; i < 4; ++i) {
          if (i != k) triangle[j++] = v[i];
        }
        addRidge(f, g, triangle, !neighbor->simplicial);
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
        ok = ok && j == 3;
        addRidge(number[ridge->top->id], number[ridge->bottom->id], triangle, true);
      }
    }
    if (!ok) return false;
  }
  keepFirstMeetings(met, twice, ridges);
  return ok;
}

// qhull's facets and the ridges between them, or false with a message. merge is qhull's
// pre-merge option: "C-0" merges only facets coplanar within qhull's own rounding.
bool runQhull(const std::vector<Vec4>& points, const char* merge, std::vector<Facet>* facets,
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
  char options[64];
  std::snprintf(options, sizeof options, "qhull %s", merge);
  int status = qh_new_qhull(qh, 4, static_cast<int>(points.size()), coords.data(), False, options,
                            nullptr, messages);
  if (status == 0) {
    std::vector<int> number;
    const int facetCount = numberFacets(qh, &number);
    bool ridgesKnown = false;
    together([&] { collectFacets(qh, facets); },
             [&] {
               ridgesKnown = collectRidges(qh, static_cast<int>(points.size()), number,
                                           facetCount, ridges);
             });
    if (!ridgesKnown) status = -1;
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

// The points as the hull works on them: distinct, centred and of circumradius about 1,
// with their numbers in the input.
struct Prepared {
  std::vector<Vec4> points;
  std::vector<int> inputNumber;
};

bool preparePoints(const std::vector<Vec4>& input, Prepared* out, std::string* error) {
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
  // A power-of-two scale to coordinates below 1 is exact, so points near either end of
  // the double range square and sum without overflow or underflow.
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
  PointIndex index(1e-10 * (radius > 0 ? radius : 1.0));
  for (size_t i = 0; i < scaled.size(); ++i) {
    if (index.findOrAdd(scaled[i], static_cast<int>(out->points.size())) < 0) {
      out->points.push_back((1.0 / radius) * scaled[i]);
      out->inputNumber.push_back(static_cast<int>(i));
    }
  }
  if (out->points.size() < 5) {
    // Points apart may still be taken as one: next to 1e308, all of 0 to 1 are.
    std::set<std::tuple<double, double, double, double>> exact;
    for (const Vec4& p : input) exact.emplace(p.x, p.y, p.z, p.w);
    *error = "a hull needs at least 5 distinct points, got " + std::to_string(out->points.size()) +
             (out->points.size() < exact.size()
                  ? " (points closer than 1e-10 of the cloud's radius count as one)"
                  : "");
    return false;
  }
  if (affineRank(out->points, 1e-9) < 4) {
    *error = "all points lie in one hyperplane, so they bound no 4D polytope";
    return false;
  }
  return true;
}

// A merged facet's normal is one piece's; the fit through all its vertices is the cell's.
void refitMergedNormals(const std::vector<Vec4>& points, std::vector<Facet>* facets) {
  for (Facet& f : *facets) {
    if (f.vertices.size() <= 4) continue;
    std::vector<Vec4> corners;
    for (int v : f.vertices) corners.push_back(points[v]);
    double values[4];
    Vec4 axes[4];
    principalAxes(corners, values, axes);
    f.normal = dot(axes[0], f.normal) < 0 ? -1.0 * axes[0] : axes[0];
  }
}

// Whether the directions clearly span four-space, as linearRank(directions, 1e-11) == 4
// would find: the smallest eigenvalue of their Gram matrix is at least its determinant
// over the cube of its trace, so a determinant above 1e-12 trace^4 (ten times the most
// its rounding can add) puts that eigenvalue above 1e-13 trace, where neither the
// threshold (1e-22) nor the eigen-solver's rounding (about 1e-15 trace) can reach it.
// False says only that it is not clear.
bool clearlySpanFour(const std::vector<Vec4>& directions) {
  double m[4][4] = {};
  for (const Vec4& d : directions) {
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j <= i; ++j) m[i][j] += d[i] * d[j];
    }
  }
  const double trace = m[0][0] + m[1][1] + m[2][2] + m[3][3];
  // Cholesky: the determinant is the product of the pivots.
  double det = 1.0;
  for (int k = 0; k < 4; ++k) {
    const double pivot = m[k][k];
    if (!(pivot > 0.0)) return false;
    det *= pivot;
    for (int i = k + 1; i < 4; ++i) {
      const double f = m[i][k] / pivot;
      for (int j = k + 1; j <= i; ++j) m[i][j] -= f * m[j][k];
    }
  }
  return std::isfinite(trace) && det > 1e-12 * (trace * trace) * (trace * trace);
}

// The corners' numbers among points, ascending; renumber gives each point's corner
// number or -1. A point is a corner when the normals of its cells span four-space; a
// point inside an edge, a polygon or a cell, which a merge can leave among a facet's
// vertices, is not.
std::vector<int> findCorners(int n, const std::vector<Facet>& facets, std::vector<int>* renumber) {
  // Each point's cells, side by side: cells [start[v], start[v + 1]) of cellsOf.
  std::vector<int> start(n + 1, 0);
  for (const Facet& f : facets) {
    for (int v : f.vertices) ++start[v + 1];
  }
  for (int v = 0; v < n; ++v) start[v + 1] += start[v];
  std::vector<int> cellsOf(start[n]);
  {
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (size_t c = 0; c < facets.size(); ++c) {
      for (int v : facets[c].vertices) cellsOf[fill[v]++] = static_cast<int>(c);
    }
  }
  std::vector<char> corner(n, 0);
  inTwoHalves(n, [&](int begin, int end) {
    std::vector<Vec4> around;
    for (int v = begin; v < end; ++v) {
      around.clear();
      for (int k = start[v]; k < start[v + 1]; ++k) around.push_back(facets[cellsOf[k]].normal);
      corner[v] =
          around.size() >= 4 && (clearlySpanFour(around) || linearRank(around, 1e-11) == 4);
    }
  });
  renumber->assign(n, -1);
  std::vector<int> corners;
  for (int v = 0; v < n; ++v) {
    if (corner[v]) {
      (*renumber)[v] = static_cast<int>(corners.size());
      corners.push_back(v);
    }
  }
  return corners;
}

// The boundary as one cycle from the least vertex, next holding each vertex with each of
// its two neighbours, side by side; empty when the edges make more than one cycle.
std::vector<int> walkBoundary(const std::vector<std::pair<int, int>>& next, int boundaryEdges) {
  auto around = [&next](int v) {
    return &*std::lower_bound(next.begin(), next.end(), v,
                              [](const std::pair<int, int>& l, int u) { return l.first < u; });
  };
  std::vector<int> cycle;
  int previous = -1, at = next[0].first;
  do {
    cycle.push_back(at);
    const std::pair<int, int>* two = around(at);
    int step = two[0].second != previous ? two[0].second : two[1].second;
    previous = at;
    at = step;
  } while (at != cycle[0] && static_cast<int>(cycle.size()) <= boundaryEdges);
  if (static_cast<int>(cycle.size()) != boundaryEdges) cycle.clear();
  return cycle;
}

// One polygon where two cells meet: the union of qhull's ridge triangles between them,
// whose edges used once form its boundary, in corner numbers. Empty with problem set
// when they do not make one polygon.
std::vector<int> joinRidges(const std::vector<const Ridge*>& triangles,
                            const std::vector<int>& renumber, std::string* problem) {
  if (triangles.size() == 1) {
    // One triangle (its vertices ascending) is its own boundary, walked from its least
    // vertex to the next, as the walk below would.
    std::vector<int> polygon;
    polygon.reserve(3);
    for (int v : triangles[0]->vertices) {
      if (renumber[v] >= 0) polygon.push_back(renumber[v]);
    }
    if (polygon.size() < 3) *problem = "meet in fewer than three corners";
    return polygon;
  }
  // Sorted lists rather than maps: the same order, without an allocation per entry.
  std::vector<std::pair<int, int>> edges;
  for (const Ridge* r : triangles) {
    for (int i = 0; i < 3; ++i) {
      int a = r->vertices[i], b = r->vertices[(i + 1) % 3];
      edges.emplace_back(std::min(a, b), std::max(a, b));
    }
  }
  std::sort(edges.begin(), edges.end());
  // Each boundary vertex with its neighbours, in the order the boundary edges list them.
  std::vector<std::pair<int, int>> next;
  int boundaryEdges = 0;
  for (size_t k = 0; k < edges.size();) {
    size_t same = k;
    while (same < edges.size() && edges[same] == edges[k]) ++same;
    const size_t count = same - k;
    const std::pair<int, int> edge = edges[k];
    k = same;
    if (count > 2) *problem = "meet in a surface that is not a polygon";
    if (count != 1) continue;
    next.emplace_back(edge.first, edge.second);
    next.emplace_back(edge.second, edge.first);
    ++boundaryEdges;
  }
  std::stable_sort(
      next.begin(), next.end(),
      [](const std::pair<int, int>& a, const std::pair<int, int>& b) { return a.first < b.first; });
  for (size_t k = 0; k < next.size();) {
    size_t same = k;
    while (same < next.size() && next[same].first == next[k].first) ++same;
    if (same - k != 2) *problem = "meet in more than one polygon";
    k = same;
  }
  if (next.empty()) *problem = "meet in no polygon";
  if (!problem->empty()) return {};
  std::vector<int> cycle = walkBoundary(next, boundaryEdges);
  if (cycle.empty()) {
    *problem = "meet in more than one polygon";
    return {};
  }
  std::vector<int> polygon;
  polygon.reserve(cycle.size());
  for (int v : cycle) {
    if (renumber[v] >= 0) polygon.push_back(renumber[v]);
  }
  if (polygon.size() < 3) *problem = "meet in fewer than three corners";
  return polygon;
}

// "the cell through points 1, 4, 9, 12" with at most six numbers shown.
std::string cellThrough(const std::vector<int>& facetVertices, const Prepared& prepared) {
  std::vector<int> numbers;
  for (int v : facetVertices) numbers.push_back(prepared.inputNumber[v]);
  std::sort(numbers.begin(), numbers.end());
  std::string text = "the cell through points";
  for (size_t i = 0; i < numbers.size() && i < 6; ++i) {
    text += (i ? ", " : " ") + std::to_string(numbers[i]);
  }
  if (numbers.size() > 6) text += ", ...";
  return text;
}

// The hull with qhull's pre-merge option merge, on the prepared points (not the input's
// coordinates yet); origin holds each vertex's number in prepared.points.
bool hullWith(const Prepared& prepared, const char* merge, Polytope* out, std::string* error) {
  std::vector<Facet> facets;
  std::vector<Ridge> ridges;
  if (!runQhull(prepared.points, merge, &facets, &ridges, error)) return false;
  refitMergedNormals(prepared.points, &facets);
  std::vector<int> renumber;
  const std::vector<int> corners =
      findCorners(static_cast<int>(prepared.points.size()), facets, &renumber);
  Polytope result;
  for (int v : corners) {
    result.vertices.push_back(prepared.points[v]);
    result.origin.push_back(v);
  }
  for (const Facet& f : facets) {
    std::vector<int> own;
    own.reserve(f.vertices.size());
    for (int v : f.vertices) {
      if (renumber[v] >= 0) own.push_back(renumber[v]);
    }
    if (own.size() < 4) {
      *error = cellThrough(f.vertices, prepared) +
               " has fewer than four corners (the points are too close to degenerate)";
      return false;
    }
    std::sort(own.begin(), own.end());
    result.cellVertices.push_back(std::move(own));
    result.normals.push_back(f.normal);
  }
  // The ridges grouped by the pair of facets they join, pairs in ascending order.
  std::vector<std::pair<std::pair<int, int>, int>> byPair(ridges.size());
  for (size_t i = 0; i < ridges.size(); ++i) {
    const Ridge& r = ridges[i];
    byPair[i] = {{std::min(r.facets[0], r.facets[1]), std::max(r.facets[0], r.facets[1])},
                 static_cast<int>(i)};
  }
  std::sort(byPair.begin(), byPair.end());
  std::vector<const Ridge*> triangles;
  for (size_t k = 0; k < byPair.size();) {
    const std::pair<int, int> pair = byPair[k].first;
    triangles.clear();
    for (; k < byPair.size() && byPair[k].first == pair; ++k) {
      triangles.push_back(&ridges[byPair[k].second]);
    }
    std::string problem;
    std::vector<int> polygon = joinRidges(triangles, renumber, &problem);
    if (!problem.empty()) {
      *error = cellThrough(facets[pair.first].vertices, prepared) + " and " +
               cellThrough(facets[pair.second].vertices, prepared) + " " + problem +
               " (the points are too close to degenerate)";
      return false;
    }
    result.polygons.push_back(std::move(polygon));
  }
  if (result.cells() < 5) {
    *error = "the points span fewer than four dimensions";
    return false;
  }
  *out = std::move(result);
  return true;
}

}  // namespace

bool convexHull(const std::vector<Vec4>& input, Polytope* out, std::string* error) {
  Prepared prepared;
  if (!preparePoints(input, &prepared, error)) return false;
  // qhull's own rounding decides what is coplanar; if some pair of cells it keeps apart is
  // still too close to flat for any normal length to separate at double precision, the
  // merge widens a step at a time until every cell can be told apart.
  static const char* const kMerges[] = {"C-0",     "C-1e-14", "C-1e-13",
                                        "C-1e-12", "C-1e-11", "C-1e-10"};
  for (const char* merge : kMerges) {
    Polytope hull;
    std::vector<double> lengths;
    if (!hullWith(prepared, merge, &hull, error) ||
        !normalLengths(hull, kRequiredMargin, &lengths, error)) {
      continue;
    }
    // The corners as given; origin numbers the input rows.
    for (size_t v = 0; v < hull.vertices.size(); ++v) {
      hull.origin[v] = prepared.inputNumber[hull.origin[v]];
      hull.vertices[v] = input[hull.origin[v]];
    }
    *out = std::move(hull);
    return true;
  }
  return false;
}

}  // namespace orvex::polytope
