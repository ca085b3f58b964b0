#include "render/facing.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

namespace orvex::render {

using model::Vec4;

namespace {

Vec4 meanOf(const model::Vec4Table& vertices, const model::IndexList& list) {
  Vec4 sum;
  for (int i = 0; i < list.count; ++i) sum = sum + vertices[list[i]];
  return list.count > 0 ? (1.0 / list.count) * sum : sum;
}

Vec4 rotationColumn(const view4d::Transform4& rotation, int j) {
  return {rotation[0][j], rotation[1][j], rotation[2][j], rotation[3][j]};
}

}  // namespace

bool parseFacing(const std::string& name, Facing* facing) {
  static const std::pair<const char*, Facing> kNames[] = {{"cell", Facing::kCell},
                                                          {"face", Facing::kFace},
                                                          {"edge", Facing::kEdge},
                                                          {"vertex", Facing::kVertex}};
  for (const auto& [text, value] : kNames) {
    if (name == text) {
      *facing = value;
      return true;
    }
  }
  return false;
}

std::vector<Vec4> facingCandidates(const model::Model& m, Facing facing) {
  const model::Vec4Table& vertices = *m.vertices;
  std::vector<Vec4> points;
  switch (facing) {
    case Facing::kCell:
      for (int c = 0; c < m.cellVertices->count; ++c) {
        points.push_back(meanOf(vertices, (*m.cellVertices)[c]));
      }
      break;
    case Facing::kFace:
      for (int f = 0; f < m.polygons->count; ++f)
        points.push_back(meanOf(vertices, (*m.polygons)[f]));
      break;
    case Facing::kEdge: {
      std::set<std::pair<int, int>> seen;
      for (int f = 0; f < m.polygons->count; ++f) {
        const model::IndexList& p = (*m.polygons)[f];
        for (int i = 0; i < p.count; ++i) {
          const int a = p[i], b = p[(i + 1) % p.count];
          if (seen.insert(std::minmax(a, b)).second) {
            points.push_back(0.5 * (vertices[a] + vertices[b]));
          }
        }
      }
      break;
    }
    case Facing::kVertex:
      for (int v = 0; v < vertices.count; ++v) points.push_back(vertices[v]);
      break;
  }
  return points;
}

int nearestToViewAxis(const std::vector<Vec4>& candidates, const view4d::Transform4& view) {
  int best = -1;
  double bestCosine = 0.0;
  for (size_t k = 0; k < candidates.size(); ++k) {
    const double length = model::length(candidates[k]);
    if (!(length > 0.0)) continue;
    const double cosine = view.apply(3, candidates[k]) / length;
    if (best < 0 || cosine > bestCosine + 1e-9) {
      best = static_cast<int>(k);
      bestCosine = cosine;
    }
  }
  return best;
}

void turnToFace(const Vec4& target, view4d::Transform4* rotation) {
  // The view's w axis in model coordinates is the rotation's last column.
  const Vec4 a = rotationColumn(*rotation, 3);
  const Vec4 b = (1.0 / model::length(target)) * target;
  const double c = model::dot(a, b);
  Vec4 u = b - c * a;  // the part of b at right angles to a
  double s = model::length(u);
  if (s < 1e-12) {
    if (c > 0.0) return;  // already facing
    // Straight behind: half a turn in the plane of w and the view's x axis.
    u = rotationColumn(*rotation, 0);
    s = 0.0;
  } else {
    u = (1.0 / s) * u;
  }
  // The turn taking a to cos·a + sin·u in the plane (a, u), the identity elsewhere.
  const double cosine = s == 0.0 ? -1.0 : c;
  double turn[4][4];
  for (int i = 0; i < 4; ++i) {
    for (int k = 0; k < 4; ++k) {
      turn[i][k] = (i == k ? 1.0 : 0.0) + (cosine - 1.0) * (a[i] * a[k] + u[i] * u[k]) +
                   s * (u[i] * a[k] - a[i] * u[k]);
    }
  }
  Vec4 rows[4];
  for (int i = 0; i < 4; ++i) {
    for (int k = 0; k < 4; ++k) rows[i] = rows[i] + turn[i][k] * (*rotation)[k];
  }
  for (int i = 0; i < 4; ++i) (*rotation)[i] = rows[i];
}

bool applyFacing(const model::Model& m, Facing facing, view4d::Transform4* rotation) {
  const std::vector<Vec4> candidates = facingCandidates(m, facing);
  view4d::OrthoProjector view;
  view.assignTranspose(*rotation);
  const int chosen = nearestToViewAxis(candidates, view);
  if (chosen < 0) return false;
  turnToFace(candidates[chosen], rotation);
  return true;
}

}  // namespace orvex::render
