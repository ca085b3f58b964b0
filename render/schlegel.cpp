#include "render/schlegel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "render/facing.h"
#include "view4d/projections.h"

namespace orvex::render {
namespace {

using model::Vec4;

// The offset of cell c's hyperplane: its unit normal against any vertex of the cell.
double hyperplaneOffset(const model::Model& m, int c) {
  const model::IndexList& corners = (*m.cellVertices)[c];
  if (corners.count == 0) return 0.0;
  return model::dot((*m.cellNormals)[c], (*m.vertices)[corners[0]]);
}

}  // namespace

Vec4 cellCentre(const model::Model& m, int c) {
  const model::IndexList& corners = (*m.cellVertices)[c];
  Vec4 sum;
  for (int i = 0; i < corners.count; ++i) sum = sum + (*m.vertices)[corners[i]];
  return corners.count > 0 ? (1.0 / corners.count) * sum : sum;
}

int cellFacingViewer(const model::Model& m, const view4d::Transform4& rotation) {
  view4d::OrthoProjector view;
  view.assignTranspose(rotation);
  return nearestToViewAxis(facingCandidates(m, Facing::kCell), view);
}

double schlegelEyeFactor(const model::Model& m, int c) {
  constexpr double kFarthest = 2.0;
  const Vec4 centre = cellCentre(m, c);
  const double own = model::dot((*m.cellNormals)[c], centre);
  if (!(own > 0.0)) return kFarthest;
  // The centre lies in c's hyperplane, so any factor above 1 is beyond it; the eye must
  // stay below every other hyperplane the line meets.
  double limit = std::numeric_limits<double>::infinity();
  for (int j = 0; j < m.cellNormals->count; ++j) {
    if (j == c) continue;
    const double along = model::dot((*m.cellNormals)[j], centre) / own;
    if (along > 1e-12) limit = std::min(limit, hyperplaneOffset(m, j) / own / along);
  }
  return std::min(kFarthest, 1.0 + 0.5 * (limit - 1.0));
}

model::Vec3 SchlegelProjector::project(const Vec4& p) const {
  return scale * PerspectiveProjector::project(p);
}

void assignSchlegelView(const model::Model& m, int pole, const view4d::Transform4& rotation,
                        SchlegelProjector* view) {
  view4d::OrthoProjector rows;
  for (int r = 0; r < 4; ++r) rows.data[r] = rotation.data[r];
  const Vec4 centre = cellCentre(m, pole);
  turnToFace(centre, &rows);
  const double factor = schlegelEyeFactor(m, pole);
  view4d::assignView(rows, factor * model::length(centre), view);
  // The pole cell lies about the centre's length along the axis: the perspective enlarges
  // it by factor / (factor - 1), which the scale takes back.
  view->scale = (factor - 1.0) / factor;
}

void turnPoleThrough(const model::Model& m, int pole, view4d::Transform4* rotation) {
  turnToFace(-1.0 * cellCentre(m, pole), rotation);
}

std::vector<char> cellsThroughPole(const model::Model& m, const view4d::Transform4& view) {
  const int cells = m.cellNormals->count;
  std::vector<char> through(cells, 0);
  // The ray t·d leaves through the cells whose hyperplanes it meets first: the greatest
  // n·d / h.
  const Vec4 d = -1.0 * view.data[3];
  std::vector<double> reach(cells, -std::numeric_limits<double>::infinity());
  double most = -std::numeric_limits<double>::infinity();
  for (int c = 0; c < cells; ++c) {
    const double h = hyperplaneOffset(m, c);
    if (!(h > 0.0)) continue;
    reach[c] = model::dot((*m.cellNormals)[c], d) / h;
    most = std::max(most, reach[c]);
  }
  if (!(most > 0.0)) return through;
  for (int c = 0; c < cells; ++c) through[c] = reach[c] >= most * (1.0 - 1e-9) ? 1 : 0;
  return through;
}

}  // namespace orvex::render
