// Checking a model as the viewer loads it, in this order: the tolerance and polygon
// geometry; the normals as written; the checks of polygons, of polygons on cells, of
// incidence, of each cell's closure and of the whole loaded model; describing the cell
// kinds; checkModelFrom and checkModel.
#include "polytope/model_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <vector>

#include "model/incidence.h"
#include "model/loader.h"
#include "model/model_text_check.h"
#include "base/regular_file.h"
#include "model/vertex_tree.h"
#include "polytope/geometry.h"
#include "polytope/two_ways.h"

namespace orvex::polytope {
namespace {

// Geometry is checked at this tolerance on the loaded model (circumradius about 1): half
// the viewer's incidence tolerance, and coarse enough for hulls of points given to six
// digits.
constexpr double kFlat = 5e-6;

// Scratch lists each half of the work keeps, so that no cell or polygon allocates.
struct Scratch {
  std::vector<std::pair<int, double>> near;
  std::vector<int> ints;
  std::vector<Vec4> corners;
  std::vector<std::pair<std::pair<int, int>, int>> uses;
};

void gatherCorners(const model::IndexList& list, const model::Vec4Table& vertices,
                   std::vector<Vec4>* corners) {
  corners->clear();
  for (int i = 0; i < list.count; ++i) corners->push_back(vertices[list[i]]);
}

// Empty when the polygon is flat, convex and simple in the order given; else the problem.
std::string polygonProblem(const model::IndexList& polygon, const model::Vec4Table& vertices,
                           Scratch* scratch) {
  if (polygon.count < 3) return "has fewer than 3 vertices";
  std::vector<int>& sorted = scratch->ints;
  sorted.assign(polygon.data.get(), polygon.data.get() + polygon.count);
  std::sort(sorted.begin(), sorted.end());
  if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return "repeats a vertex";
  std::vector<Vec4>& corners = scratch->corners;
  gatherCorners(polygon, vertices, &corners);
  if (polygon.count == 3) {
    // A triangle is flat and convex; it only must not be a line.
    const Vec4 a = corners[1] - corners[0], b = corners[2] - corners[0];
    const double area2 = dot(a, a) * dot(b, b) - dot(a, b) * dot(a, b);
    return area2 > 1e-24 ? "" : "has three vertices in a line";
  }
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

// Polygons closer than this to sharing a plane, for the loaded model (circumradius
// about 1), count as coplanar: a split face, not an edge between two faces.
constexpr double kCoplanar = 1e-13;

using Edge = std::pair<int, int>;

Edge edgeOf(int a, int b) { return {std::min(a, b), std::max(a, b)}; }

struct Fail {
  const std::string& name;
  std::string* error;
  bool operator()(const std::string& problem) const {
    *error = name + ": " + problem;
    return false;
  }
};

// For each of count lists, the first one before it with the same entries in the same order,
// or -1. The lists are entries [start[i], start[i + 1]) of values.
std::vector<int> earlierTwins(const std::vector<int>& start, const std::vector<int>& values) {
  const int count = static_cast<int>(start.size()) - 1;
  auto same = [&](int a, int b) {
    return std::equal(values.data() + start[a], values.data() + start[a + 1],
                      values.data() + start[b], values.data() + start[b + 1]);
  };
  // A table of each content's first list, found by a hash of the entries, in the lists'
  // order: a list meets only earlier ones, and of equal ones only the first is kept.
  size_t size = 2;
  while (size < 2 * static_cast<size_t>(count)) size *= 2;
  std::vector<int> table(size, -1);
  std::vector<uint64_t> hashOf(count);
  std::vector<int> twin(count, -1);
  for (int i = 0; i < count; ++i) {
    uint64_t h = 1469598103934665603ull ^ static_cast<uint64_t>(start[i + 1] - start[i]);
    for (int k = start[i]; k < start[i + 1]; ++k) {
      h = (h ^ static_cast<uint32_t>(values[k])) * 1099511628211ull;
    }
    hashOf[i] = h;
    for (size_t slot = (h ^ (h >> 29)) & (size - 1);; slot = (slot + 1) & (size - 1)) {
      const int j = table[slot];
      if (j < 0) {
        table[slot] = i;
        break;
      }
      if (hashOf[j] == h && same(i, j)) {
        twin[i] = j;
        break;
      }
    }
  }
  return twin;
}

// The lists of array side by side, each sorted when sorted is set, for earlierTwins.
void flatten(const model::IndexListArray& array, bool sorted, std::vector<int>* start,
             std::vector<int>* values) {
  start->assign(1, 0);
  for (int i = 0; i < array.count; ++i) {
    const model::IndexList& list = array[i];
    values->insert(values->end(), list.data.get(), list.data.get() + list.count);
    if (sorted) std::sort(values->end() - list.count, values->end());
    start->push_back(static_cast<int>(values->size()));
  }
}

// The distinct edges of the polygons, whose vertices are below V: each edge filed under
// its lesser end, and each end's list sorted apart (in two halves at once), which costs
// far less than sorting them all together.
int distinctEdges(const model::IndexListArray& polygons, int V) {
  std::vector<int> start(V + 2, 0);
  for (int f = 0; f < polygons.count; ++f) {
    const model::IndexList& polygon = polygons[f];
    for (int i = 0; i < polygon.count; ++i) {
      ++start[std::min(polygon[i], polygon[(i + 1) % polygon.count]) + 2];
    }
  }
  for (int v = 2; v <= V + 1; ++v) start[v] += start[v - 1];
  std::vector<int> greater(start[V + 1]);
  for (int f = 0; f < polygons.count; ++f) {
    const model::IndexList& polygon = polygons[f];
    for (int i = 0; i < polygon.count; ++i) {
      const Edge e = edgeOf(polygon[i], polygon[(i + 1) % polygon.count]);
      greater[start[e.first + 1]++] = e.second;
    }
  }
  int count[2] = {0, 0};
  inTwoHalves(V, [&](int begin, int end) {
    int& found = count[begin == 0 ? 0 : 1];
    for (int v = begin; v < end; ++v) {
      const auto first = greater.begin() + start[v], last = greater.begin() + start[v + 1];
      std::sort(first, last);
      found += static_cast<int>(std::unique(first, last) - first);
    }
  });
  return count[0] + count[1];
}

// Every polygon is a flat convex boundary and none repeats another; *edges counts the
// distinct edges of all polygons.
bool checkPolygons(const model::Model& m, const Fail& fail, int* edges) {
  const model::IndexListArray& polygons = *m.polygons;
  const int F = polygons.count;
  // Each half's first faulty polygon and its fault.
  int firstFault[2] = {F, F};
  std::string problems[2];
  inTwoHalves(F, [&](int begin, int end) {
    const int half = begin == 0 ? 0 : 1;
    Scratch scratch;
    for (int f = begin; f < end; ++f) {
      problems[half] = polygonProblem(polygons[f], *m.vertices, &scratch);
      if (!problems[half].empty()) {
        firstFault[half] = f;
        return;
      }
    }
  });
  std::vector<int> twins;
  {
    std::vector<int> start, values;
    flatten(polygons, true, &start, &values);
    twins = earlierTwins(start, values);
  }
  for (int f = 0; f < F; ++f) {
    if (f == firstFault[0] || f == firstFault[1]) {
      return fail("polygon " + std::to_string(f) + " " + problems[f == firstFault[0] ? 0 : 1]);
    }
    if (twins[f] >= 0) {
      return fail("polygon " + std::to_string(f) + " repeats polygon " + std::to_string(twins[f]));
    }
  }
  *edges = distinctEdges(polygons, m.vertices->count);
  return true;
}

// Every polygon lies in exactly two cells, and V - E + F - C = 0.
bool checkPolygonCells(const model::Model& m, int E, const Fail& fail) {
  const int V = m.vertices->count, F = m.polygons->count, C = m.cellNormals->count;
  std::vector<int> cellsOfPolygon(F, 0);
  for (int c = 0; c < C; ++c) {
    const model::IndexList& own = (*m.cellPolygons)[c];
    for (int i = 0; i < own.count; ++i) ++cellsOfPolygon[own[i]];
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
  return true;
}

// What the incidence search found on one cell, with its normal as written.
struct CellSearch {
  double support = 0.0;      // the greatest product: the viewer's supportValue
  double next = -INFINITY;   // the greatest product below the band (see searchCell)
  int strict = 0;            // the vertices in the band: within half the tolerance of support
};

// One search of the vertices for the cell with normal n, for what both the viewer's rule
// and the check ask: *own gets the viewer's vertices (products within the tolerance of
// the greatest, ascending: the same doubles decide as in the loader), *found the
// greatest product, the count in the band and the greatest product below it. Groups whose
// bound lies reach or more below the greatest product are passed over: reach is at least
// the tolerance, so *own is whole, and found->next is exact when it lies less than reach
// below the greatest, and lies at least reach below it otherwise.
void searchCell(const Vec4& n, const model::VertexTree& tree, double reach, Scratch* scratch,
                CellSearch* found, model::IndexList* own) {
  const double tolerance = model::kIncidenceTolerance;
  const double *x = tree.x.data(), *y = tree.y.data(), *z = tree.z.data(), *w = tree.w.data();
  const int* number = tree.number.data();
  std::vector<std::pair<int, double>>& near = scratch->near;
  near.clear();
  double h = -INFINITY, next = -INFINITY;
  tree.visit(
      n, [&](double bound) { return h - bound >= reach; },
      [&](int begin, int end) {
        // The products in the loader's order, so the doubles are the viewer's.
        for (int i = begin; i < end; ++i) {
          const double d = n.x * x[i] + n.y * y[i] + n.z * z[i] + n.w * w[i];
          h = d > h ? d : h;
          // h only grows, so a product this far below it now stays that far below.
          if (h - d < reach) {
            near.emplace_back(number[i], d);
          } else {
            next = std::max(next, d);
          }
        }
      });
  const double band = h - 0.5 * tolerance;
  std::vector<int>& on = scratch->ints;
  on.clear();
  int strict = 0;
  for (const auto& [i, d] : near) {
    if (std::fabs(h - d) < tolerance) on.push_back(i);
    if (d > band) {
      ++strict;
    } else {
      next = std::max(next, d);
    }
  }
  std::sort(on.begin(), on.end());
  model::IndexList list(static_cast<int>(on.size()));
  for (int j = 0; j < list.count; ++j) list[j] = on[j];
  *own = std::move(list);
  *found = {h, next, strict};
}

// Every cell searched (searchCell), in two halves at once. Each reaches below its cell as
// far as the smallest margin met so far in its half, and at least the required margin
// and the tolerance: a margin below that reach is measured exactly, so every fault is
// found as a search of all vertices would find it, and a cell whose margin is not cannot
// lower the smallest, whichever cells came before it.
void searchCells(const model::Vec4Table& normals, const model::VertexTree& tree,
                 double requiredMargin, model::IndexListArray* cellVertices,
                 std::vector<CellSearch>* found) {
  const int C = normals.count;
  cellVertices->resize(C);
  found->assign(C, CellSearch());
  const double least = std::max(requiredMargin, model::kIncidenceTolerance);
  inTwoHalves(C, [&](int begin, int end) {
    Scratch scratch;
    double smallest = INFINITY;
    for (int c = begin; c < end; ++c) {
      CellSearch& f = (*found)[c];
      searchCell(normals[c], tree, std::max(smallest, least), &scratch, &f, &(*cellVertices)[c]);
      smallest = std::min(smallest, f.support - f.next);
    }
  });
}

// "cell 12", made only for a message.
std::string cellName(int c) { return "cell " + std::to_string(c); }

// The cell's incidence as written: the viewer's vertices are exactly its polygons'
// vertices, all within half the tolerance of the hyperplane (the rule on the normal as
// written, whose length scales it), and every other vertex at least requiredMargin below.
bool checkIncidence(const model::Model& m, const Vec4& n, int c, const CellSearch& found,
                    double requiredMargin, Scratch* scratch, double* margin, const Fail& fail) {
  const model::Vec4Table& vertices = *m.vertices;
  const model::IndexList& own = (*m.cellVertices)[c];
  std::vector<int>& used = scratch->ints;
  used.clear();
  const model::IndexList& polygons = (*m.cellPolygons)[c];
  for (int i = 0; i < polygons.count; ++i) {
    const model::IndexList& p = (*m.polygons)[polygons[i]];
    used.insert(used.end(), p.data.get(), p.data.get() + p.count);
  }
  std::sort(used.begin(), used.end());
  for (int i = 0; i < own.count; ++i) {
    if (!std::binary_search(used.begin(), used.end(), own[i])) {
      return fail(cellName(c) + ": the viewer's incidence rule puts vertex " +
                  std::to_string(own[i]) + " on it, but none of its polygons uses it");
    }
  }
  if (own.count != found.strict) {
    return fail(cellName(c) + ": the viewer's incidence rule finds " + std::to_string(own.count) +
                " vertices, but " + std::to_string(found.strict) + " lie on its hyperplane");
  }
  *margin = found.support - found.next;
  if (*margin < requiredMargin) {
    auto product = [&n](const Vec4& v) { return n.x * v.x + n.y * v.y + n.z * v.z + n.w * v.w; };
    int nearest = 0;
    while (nearest < vertices.count && product(vertices[nearest]) != found.next) ++nearest;
    return fail(cellName(c) + ": vertex " + std::to_string(nearest) + " lies only " +
                shortReal(*margin) + " from its hyperplane; the viewer's incidence rule needs " +
                shortReal(requiredMargin));
  }
  return true;
}

// How far polygon b strays from the plane of polygon a, the two sharing edge: the
// plane is spanned by the edge and a's corner farthest from its line.
double offPlane(const model::Vec4Table& vertices, const Edge& edge, const model::IndexList& a,
                const model::IndexList& b) {
  const Vec4 p = vertices[edge.first];
  const Vec4 along = vertices[edge.second] - p;
  const Vec4 e1 = (1.0 / length(along)) * along;
  auto offLine = [&](const Vec4& q) {
    const Vec4 d = q - p;
    return d - dot(d, e1) * e1;
  };
  Vec4 e2;
  for (int k = 0; k < a.count; ++k) {
    const Vec4 off = offLine(vertices[a[k]]);
    if (length(off) > length(e2)) e2 = off;
  }
  if (!(length(e2) > 0.0)) return 0.0;
  e2 = (1.0 / length(e2)) * e2;
  double farthest = 0.0;
  for (int k = 0; k < b.count; ++k) {
    const Vec4 off = offLine(vertices[b[k]]);
    farthest = std::max(farthest, length(off - dot(off, e2) * e2));
  }
  return farthest;
}

// The cell's polygons close up, each edge shared by exactly two, and no two that share an
// edge lie in one plane. sides counts its polygons by their number of sides.
bool checkClosure(const model::Model& m, int c, int sides[64], int* maxSides, Scratch* scratch,
                  const Fail& fail) {
  const model::IndexList& own = (*m.cellPolygons)[c];
  // Each edge with the polygons that use it, in the order the cell lists them.
  std::vector<std::pair<Edge, int>>& uses = scratch->uses;
  uses.clear();
  for (int i = 0; i < own.count; ++i) {
    const model::IndexList& p = (*m.polygons)[own[i]];
    for (int k = 0; k < p.count; ++k) uses.push_back({edgeOf(p[k], p[(k + 1) % p.count]), own[i]});
    if (p.count < 64) {
      ++sides[p.count];
      *maxSides = std::max(*maxSides, p.count);
    }
  }
  // The cell lists its polygons ascending, so sorting by polygon too keeps them in the
  // order it lists them.
  std::sort(uses.begin(), uses.end());
  for (size_t k = 0; k < uses.size();) {
    const Edge edge = uses[k].first;
    size_t same = k;
    while (same < uses.size() && uses[same].first == edge) ++same;
    if (same - k != 2) {
      return fail(cellName(c) + ": its polygons do not close up at edge " +
                  std::to_string(edge.first) + "-" + std::to_string(edge.second));
    }
    const int first = uses[k].second, second = uses[k + 1].second;
    k = same;
    const double farthest =
        offPlane(*m.vertices, edge, (*m.polygons)[first], (*m.polygons)[second]);
    if (farthest < kCoplanar) {
      return fail(cellName(c) + ": polygons " + std::to_string(first) + " and " +
                  std::to_string(second) + " meet at edge " + std::to_string(edge.first) + "-" +
                  std::to_string(edge.second) + " in one plane, so they are one face split");
    }
  }
  return true;
}

// The checks on cell c of a model as the viewer loaded it, n its normal as written and
// twin the first cell before it with the same vertices (or -1); *kind names it.
bool checkCell(const model::Model& m, const Vec4& n, int c, const Vec4& centre,
               const CellSearch& found, int twin, double requiredMargin, Scratch* scratch,
               const Fail& fail, double* margin, std::string* kind) {
  if (!checkIncidence(m, n, c, found, requiredMargin, scratch, margin, fail)) return false;
  const double h = found.support;
  gatherCorners((*m.cellVertices)[c], *m.vertices, &scratch->corners);
  if (affineRank(scratch->corners, kCoplanar) < 3) {
    return fail(cellName(c) + " does not span three dimensions");
  }
  if (!(dot(n, centre) < h - kFlat * length(n))) {
    return fail(cellName(c) + ": its normal points inward");
  }
  if (twin >= 0) return fail(cellName(c) + " has the same vertices as cell " + std::to_string(twin));
  int sides[64] = {};
  int maxSides = 3;
  if (!checkClosure(m, c, sides, &maxSides, scratch, fail)) return false;
  *kind = cellKindName(sides, maxSides);
  if (kind->empty()) *kind = std::to_string((*m.cellPolygons)[c].count) + "-face";
  return true;
}

// Each cell checked (checkCell), in two halves at once; each half stops at its first
// fault, and the first half's fault, if any, is the first of all. margins and kindOf get
// each cell's.
bool checkCells(const model::Model& m, const std::vector<CellSearch>& found,
                const std::string& name, double requiredMargin, std::vector<double>* margins,
                std::vector<std::string>* kindOf, std::string* error) {
  const model::Vec4Table& vertices = *m.vertices;
  const Vec4 centre =
      centroid(std::vector<Vec4>(vertices.data.get(), vertices.data.get() + vertices.count));
  const int C = m.cellNormals->count;
  std::vector<int> twins;
  {
    std::vector<int> start, values;
    flatten(*m.cellVertices, false, &start, &values);
    twins = earlierTwins(start, values);
  }
  margins->assign(C, 0.0);
  kindOf->assign(C, std::string());
  std::string problems[2];
  int firstFault[2] = {C, C};
  inTwoHalves(C, [&](int begin, int end) {
    const int half = begin == 0 ? 0 : 1;
    const Fail halfFail{name, &problems[half]};
    Scratch scratch;
    for (int c = begin; c < end; ++c) {
      if (!checkCell(m, (*m.cellNormals)[c], c, centre, found[c], twins[c], requiredMargin,
                     &scratch, halfFail, &(*margins)[c], &(*kindOf)[c])) {
        firstFault[half] = c;
        return;
      }
    }
  });
  for (int half = 0; half < 2; ++half) {
    if (firstFault[half] < C) {
      *error = problems[half];
      return false;
    }
  }
  return true;
}

// The checks on a model as the viewer loaded it, with its normals as written and found
// the search of each cell.
bool checkLoaded(const model::Model& m, const std::vector<CellSearch>& found,
                 const std::string& name, double requiredMargin, ModelReport* report,
                 std::string* error) {
  const Fail fail{name, error};
  int E = 0;
  if (!checkPolygons(m, fail, &E)) return false;
  if (!checkPolygonCells(m, E, fail)) return false;
  std::vector<double> margins;
  std::vector<std::string> kindOf;
  if (!checkCells(m, found, name, requiredMargin, &margins, &kindOf, error)) return false;
  const int C = m.cellNormals->count;
  std::map<std::string, int> kinds;
  double smallest = INFINITY;
  for (int c = 0; c < C; ++c) {
    smallest = std::min(smallest, margins[c]);
    ++kinds[kindOf[c]];
  }
  report->vertices = m.vertices->count;
  report->edges = E;
  report->polygons = m.polygons->count;
  report->cells = C;
  report->cellKinds = describeKinds(kinds);
  report->kindCounts.assign(kinds.begin(), kinds.end());
  std::stable_sort(report->kindCounts.begin(), report->kindCounts.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  report->smallestMargin = smallest;
  return true;
}

// cellPolygons as the loader derives them from cellVertices (model::deriveCellPolygons),
// for the two halves of the cells at once. Each half sizes its own marks, which decides
// nothing: a vertex beyond them is on none of that half's cells.
void derivePolygonsInHalves(const model::IndexListArray& polygons,
                            model::IndexListArray* cellVertices,
                            model::IndexListArray* cellPolygons) {
  const int C = cellVertices->count, middle = C / 2;
  model::IndexListArray vertices[2], found[2];
  vertices[0].resize(middle);
  vertices[1].resize(C - middle);
  for (int c = 0; c < C; ++c) {
    vertices[c < middle ? 0 : 1][c < middle ? c : c - middle] = std::move((*cellVertices)[c]);
  }
  together([&] { model::deriveCellPolygons(polygons, vertices[0], 0, &found[0]); },
           [&] { model::deriveCellPolygons(polygons, vertices[1], 0, &found[1]); });
  cellPolygons->resize(C);
  for (int c = 0; c < C; ++c) {
    const int half = c < middle ? 0 : 1, at = c < middle ? c : c - middle;
    (*cellVertices)[c] = std::move(vertices[half][at]);
    (*cellPolygons)[c] = std::move(found[half][at]);
  }
}

// The vertices of model name as the loader will hold them (read, then scaled so that
// vertex 0 has length 1) into *vertices, grouped for the search; null when the file
// cannot be read so.
std::unique_ptr<model::VertexTree> treeOfVertexFile(const model::TextSource& source,
                                                    const std::string& dataDir,
                                                    const std::string& name,
                                                    model::Vec4Table* vertices) {
  std::string text, problem;
  int count = 0;
  model::CheckedVertices checked;
  checked.vertices = vertices;
  if (!source(model::vertexFilePath(dataDir, name), &text) ||
      !model::checkVertexText(text, &count, &problem, &checked) || !checked.plain) {
    return nullptr;
  }
  const double squared = dot((*vertices)[0], (*vertices)[0]);
  if (!(squared > 0.0 && std::isfinite(squared))) return nullptr;
  const double s = 1.0 / std::sqrt(squared);
  for (int i = 0; i < vertices->count; ++i) (*vertices)[i].scale(s);
  return std::make_unique<model::VertexTree>(*vertices);
}

}  // namespace

std::string describeKinds(const std::map<std::string, int>& kinds) {
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
  return listed;
}

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
  // The viewer's own reading, which leaves the normals as written, on this thread; on
  // the other, the vertices read and scaled as the loader will hold them, and grouped for
  // the search. The grouping is kept only if the loader's vertices are the same to the bit.
  bool loaded = false;
  model::Vec4Table early;
  std::unique_ptr<model::VertexTree> tree;
  together([&] { loaded = model::readModelFrom(source, dataDir, name, &m, &projected, error); },
           [&] { tree = treeOfVertexFile(source, dataDir, name, &early); });
  if (!loaded) return false;
  const model::Vec4Table& vertices = *m.vertices;
  if (!tree || early.count != vertices.count ||
      std::memcmp(early.data.get(), vertices.data.get(), sizeof(Vec4) * vertices.count) != 0) {
    tree = std::make_unique<model::VertexTree>(vertices);
  }
  // The incidence derived here by the viewer's rule, in one search per cell that measures
  // its margin too.
  std::vector<CellSearch> found;
  m.cellVertices = std::make_unique<model::IndexListArray>();
  searchCells(*m.cellNormals, *tree, requiredMargin, m.cellVertices.get(), &found);
  tree.reset();
  m.cellPolygons = std::make_unique<model::IndexListArray>();
  derivePolygonsInHalves(*m.polygons, m.cellVertices.get(), m.cellPolygons.get());
  return checkLoaded(m, found, name, requiredMargin, report, error);
}

bool checkModel(const std::string& dataDir, const std::string& name, ModelReport* report,
                std::string* error, double requiredMargin) {
  std::mutex refusing;
  std::string refusal;
  auto fromDisk = [&](const std::string& path, std::string* text) {
    std::string why;
    if (model::readModelText(path, text, &why)) return true;
    std::lock_guard<std::mutex> hold(refusing);
    if (refusal.empty()) refusal = why;
    return false;
  };
  if (checkModelFrom(fromDisk, dataDir, name, report, error, requiredMargin)) return true;
  if (!refusal.empty()) *error = refusal;
  return false;
}

}  // namespace orvex::polytope
