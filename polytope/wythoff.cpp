#include "polytope/wythoff.h"

#include <cmath>
#include <vector>

#include "base/printable.h"
#include "polytope/faces.h"
#include "polytope/geometry.h"

namespace orvex::polytope {
namespace {

// A point carried at long double precision while it is reflected many times.
struct FinePoint {
  long double c[4];

  Vec4 rounded() const {
    return Vec4(static_cast<double>(c[0]), static_cast<double>(c[1]), static_cast<double>(c[2]),
                static_cast<double>(c[3]));
  }
};

FinePoint reflectFine(const FinePoint& p, const long double root[4]) {
  long double s = 0.0L;
  for (int k = 0; k < 4; ++k) s += p.c[k] * root[k];
  FinePoint q;
  for (int k = 0; k < 4; ++k) q.c[k] = p.c[k] - 2.0L * s * root[k];
  return q;
}

// Solves roots · x = b; the roots form a lower triangular matrix by construction.
FinePoint solveLower(const CoxeterGroup& g, const double b[4]) {
  FinePoint x;
  for (int i = 0; i < 4; ++i) {
    long double s = b[i];
    for (int k = 0; k < i; ++k) s -= g.fineRoots[i][k] * x.c[k];
    x.c[i] = s / g.fineRoots[i][i];
  }
  return x;
}

long double fineNorm(const FinePoint& p) {
  return std::sqrt(p.c[0] * p.c[0] + p.c[1] * p.c[1] + p.c[2] * p.c[2] + p.c[3] * p.c[3]);
}

// The images of seed under the group, seed first. Points are told apart by their
// rounded coordinates but reflected at full precision, so the orbit keeps its shape to
// the last bit of a double however many reflections a point is from the seed.
std::vector<Vec4> orbit(const CoxeterGroup& g, const FinePoint& seed, double cellSize) {
  std::vector<FinePoint> fine{seed};
  std::vector<Vec4> points{seed.rounded()};
  PointIndex index(cellSize);
  index.findOrAdd(points[0], 0);
  for (size_t next = 0; next < fine.size(); ++next) {
    for (int i = 0; i < 4; ++i) {
      FinePoint q = reflectFine(fine[next], g.fineRoots[i]);
      if (index.findOrAdd(q.rounded(), static_cast<int>(points.size())) < 0) {
        fine.push_back(q);
        points.push_back(q.rounded());
      }
    }
  }
  return points;
}

// True when every connected part of the diagram restricted to the nodes in `nodes`
// holds a ringed node.
bool everyPartRinged(const CoxeterGroup& g, const bool nodes[4], const bool rings[4]) {
  bool done[4] = {false, false, false, false};
  for (int start = 0; start < 4; ++start) {
    if (!nodes[start] || done[start]) continue;
    bool ringed = false;
    std::vector<int> stack{start};
    done[start] = true;
    while (!stack.empty()) {
      int i = stack.back();
      stack.pop_back();
      ringed = ringed || rings[i];
      for (int j = 0; j < 4; ++j) {
        if (nodes[j] && !done[j] && joined(g, i, j)) {
          done[j] = true;
          stack.push_back(j);
        }
      }
    }
    if (!ringed) return false;
  }
  return true;
}

}  // namespace

bool parseRings(const std::string& text, bool rings[4], std::string* error) {
  bool ok = text.size() == 4;
  for (size_t i = 0; ok && i < 4; ++i) {
    ok = text[i] == '0' || text[i] == '1';
    rings[i] = text[i] == '1';
  }
  if (!ok) *error = "ring pattern '" + base::printable(text) + "' is not four digits 0 or 1";
  return ok;
}

bool wythoff(const CoxeterGroup& group, const bool rings[4], Polytope* out, std::string* error) {
  const bool all[4] = {true, true, true, true};
  std::string pattern;
  for (int i = 0; i < 4; ++i) pattern += rings[i] ? '1' : '0';
  if (!everyPartRinged(group, all, rings)) {
    *error = "ring pattern '" + base::printable(pattern) + "' leaves a part of the " + group.name +
             " diagram without a ring, so the result is flat";
    return false;
  }
  double b[4];
  for (int i = 0; i < 4; ++i) b[i] = rings[i] ? 1.0 : 0.0;
  const FinePoint seed = solveLower(group, b);
  std::vector<Vec4> vertices = orbit(group, seed, 1e-7 * static_cast<double>(fineNorm(seed)));

  // The cell opposite node k lies in the hyperplane through the seed spanned by the
  // other roots, so its normal is the fundamental weight of node k.
  std::vector<Vec4> normals;
  for (int k = 0; k < 4; ++k) {
    bool others[4] = {true, true, true, true};
    others[k] = false;
    if (!everyPartRinged(group, others, rings)) continue;
    double e[4] = {0, 0, 0, 0};
    e[k] = 1.0;
    FinePoint weight = solveLower(group, e);
    const long double length = fineNorm(weight);
    for (long double& c : weight.c) c /= length;
    for (const Vec4& n : orbit(group, weight, 1e-7)) normals.push_back(n);
  }
  Polytope result;
  if (!buildFaces(vertices, normals, 1e-9, &result, error)) return false;
  if (result.vertices.size() != vertices.size()) {
    *error = "internal error: " + std::to_string(vertices.size() - result.vertices.size()) +
             " mirror images of the Wythoff point are not corners";
    return false;
  }
  *out = std::move(result);
  return true;
}

}  // namespace orvex::polytope
