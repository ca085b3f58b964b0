#include "tools/gen/wythoff.h"

#include <vector>

#include "tools/gen/faces.h"
#include "tools/gen/geometry.h"

namespace orvex::gen {
namespace {

// Solves roots · x = b; the roots form a lower triangular matrix by construction.
Vec4 solveLower(const CoxeterGroup& g, const double b[4]) {
  Vec4 x;
  for (int i = 0; i < 4; ++i) {
    double s = b[i];
    for (int k = 0; k < i; ++k) s -= g.roots[i][k] * x[k];
    x[i] = s / g.roots[i][i];
  }
  return x;
}

// The images of seed under the group, seed first.
std::vector<Vec4> orbit(const CoxeterGroup& g, const Vec4& seed, double cellSize) {
  std::vector<Vec4> points{seed};
  PointIndex index(cellSize);
  index.findOrAdd(seed, 0);
  for (size_t next = 0; next < points.size(); ++next) {
    for (int i = 0; i < 4; ++i) {
      Vec4 q = reflect(points[next], g.roots[i]);
      if (index.findOrAdd(q, static_cast<int>(points.size())) < 0) points.push_back(q);
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
  if (!ok) *error = "ring pattern '" + text + "' is not four digits 0 or 1";
  return ok;
}

bool wythoff(const CoxeterGroup& group, const bool rings[4], Polytope* out, std::string* error) {
  const bool all[4] = {true, true, true, true};
  std::string pattern;
  for (int i = 0; i < 4; ++i) pattern += rings[i] ? '1' : '0';
  if (!everyPartRinged(group, all, rings)) {
    *error = "ring pattern '" + pattern + "' leaves a part of the " + group.name +
             " diagram without a ring, so the result is flat";
    return false;
  }
  double b[4];
  for (int i = 0; i < 4; ++i) b[i] = rings[i] ? 1.0 : 0.0;
  const Vec4 seed = solveLower(group, b);
  std::vector<Vec4> vertices = orbit(group, seed, 1e-7 * norm(seed));

  // The cell opposite node k lies in the hyperplane through the seed spanned by the
  // other roots, so its normal is the fundamental weight of node k.
  std::vector<Vec4> normals;
  for (int k = 0; k < 4; ++k) {
    bool others[4] = {true, true, true, true};
    others[k] = false;
    if (!everyPartRinged(group, others, rings)) continue;
    double e[4] = {0, 0, 0, 0};
    e[k] = 1.0;
    Vec4 weight = solveLower(group, e);
    weight = (1.0 / norm(weight)) * weight;
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

}  // namespace orvex::gen
