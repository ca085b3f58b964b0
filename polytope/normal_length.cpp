#include "polytope/normal_length.h"

#include <algorithm>
#include <cmath>

#include "model/incidence.h"
#include "polytope/model_check.h"
#include "polytope/two_ways.h"

namespace orvex::polytope {
namespace {

// Each vertex's neighbours along polygon edges, ascending and without repeats: vertex v's
// are list[start[v]] up to list[end[v]]. Kept side by side in a few arrays, as a list
// per vertex costs an allocation each.
struct Neighbours {
  std::vector<int> start, end, list;
};

Neighbours edgeNeighbours(const Polytope& p) {
  const int V = static_cast<int>(p.vertices.size());
  Neighbours around;
  std::vector<int>& start = around.start;
  start.assign(V + 2, 0);
  for (const std::vector<int>& polygon : p.polygons) {
    for (size_t i = 0; i < polygon.size(); ++i) {
      ++start[polygon[i] + 2];
      ++start[polygon[(i + 1) % polygon.size()] + 2];
    }
  }
  for (int v = 2; v <= V + 1; ++v) start[v] += start[v - 1];
  std::vector<int>& list = around.list;
  list.resize(start[V + 1]);
  for (const std::vector<int>& polygon : p.polygons) {
    for (size_t i = 0; i < polygon.size(); ++i) {
      const int a = polygon[i], b = polygon[(i + 1) % polygon.size()];
      list[start[a + 1]++] = b;
      list[start[b + 1]++] = a;
    }
  }
  // Each vertex's repeats dropped (an edge lies in several polygons), the rest moved to
  // the front of its room and sorted; the vertices in two halves at once.
  around.end.resize(V);
  inTwoHalves(V, [&](int begin, int finish) {
    std::vector<int> seenBy(V, -1);
    for (int v = begin; v < finish; ++v) {
      int kept = start[v];
      for (int i = start[v]; i < start[v + 1]; ++i) {
        const int u = list[i];
        if (seenBy[u] != v) {
          seenBy[u] = v;
          list[kept++] = u;
        }
      }
      std::sort(list.begin() + start[v], list.begin() + kept);
      around.end[v] = kept;
    }
  });
  return around;
}

}  // namespace

bool normalLengths(const Polytope& p, double margin, std::vector<double>* lengths,
                   std::string* error) {
  const double tolerance = model::kIncidenceTolerance;
  const Neighbours around = edgeNeighbours(p);
  lengths->assign(p.cells(), 1.0);
  // The cells in two halves at once; each half stops at its first fault, and the first
  // half's fault, if any, is the first of all.
  std::string problems[2];
  bool failed[2] = {false, false};
  inTwoHalves(p.cells(), [&](int begin, int end) {
    const int half = begin == 0 ? 0 : 1;
    std::vector<char> own(p.vertices.size(), 0);
    for (int c = begin; c < end; ++c) {
      const Vec4 n = (1.0 / length(p.normals[c])) * p.normals[c];
      const std::vector<int>& on = p.cellVertices[c];
      double high = -INFINITY, low = INFINITY, next = -INFINITY;
      int nearest = -1;
      for (int v : on) {
        own[v] = 1;
        const double d = dot(n, p.vertices[v]);
        high = std::max(high, d);
        low = std::min(low, d);
      }
      for (int v : on) {
        for (int k = around.start[v]; k < around.end[v]; ++k) {
          const int u = around.list[k];
          const double d = dot(n, p.vertices[u]);
          if (!own[u] && d > next) {
            next = d;
            nearest = u;
          }
        }
      }
      for (int v : on) own[v] = 0;
      const double gap = low - next, spread = high - low;
      auto fail = [&](const std::string& problem) {
        problems[half] =
            "cell " + std::to_string(c) + ": vertex " + std::to_string(nearest) + " " + problem;
        failed[half] = true;
      };
      if (!(gap > 0.0)) {
        return fail("lies above the cell's own vertices, so it is not convex there");
      }
      // A quarter to spare on both sides: the check wants own vertices within half the
      // tolerance and others at least the margin below.
      double scale = 1.0;
      if (gap < 1.25 * margin || spread > 0.25 * tolerance) scale = 1.25 * margin / gap;
      if (scale * (spread + kDotRounding) > 0.25 * tolerance) {
        return fail("lies only " + shortReal(gap) + " below its hyperplane, with the cell's own " +
                    "vertices " + shortReal(spread) + " apart: too close to tell apart in doubles");
      }
      (*lengths)[c] = scale;
    }
  });
  for (int half = 0; half < 2; ++half) {
    if (failed[half]) {
      *error = problems[half];
      return false;
    }
  }
  return true;
}

}  // namespace orvex::polytope
