// Pictures of every cell at once: the Schlegel diagram, a perspective from just beyond one
// cell (the pole) in which that cell is the outer frame and all others nest inside it, and
// the stereographic picture with the cells through its pole left out.
#pragma once

#include <vector>

#include "model/model.h"
#include "view4d/transform4.h"

namespace orvex::render {

/// The mean of cell c's vertices: a point inside the cell.
model::Vec4 cellCentre(const model::Model& m, int c);

/// The cell whose centre is nearest in direction to the viewing axis of the view that
/// rotation gives (its transpose, as the viewer keeps them): the cell facing the viewer,
/// the default pole. The first in file order among equals; -1 for a model without cells.
int cellFacingViewer(const model::Model& m, const view4d::Transform4& rotation);

/// Where the eye of cell c's Schlegel diagram sits on the line from the origin through the
/// cell's centre, as a multiple of the centre: beyond the cell's own hyperplane but short
/// of every other cell's, half way to the nearest of those and at most 2. The polytope must
/// hold the origin inside; 2 when c's hyperplane does not pass in front of it.
double schlegelEyeFactor(const model::Model& m, int c);

/// A perspective from the eye at eye4 (set by view4d::assignView from its distance) onto
/// the hyperplane through the origin across the view's w axis, every point then scaled
/// by `scale`.
class SchlegelProjector : public view4d::PerspectiveProjector {
 public:
  model::Vec3 project(const model::Vec4& p) const override;
  double scale = 1.0;
};

/// Sets *view to the Schlegel diagram from cell pole for the viewer's rotation: rotation
/// turned by the least turn that brings the pole's centre onto the viewing axis, the eye at
/// schlegelEyeFactor times that centre, and scaled so that the pole cell, the outer frame,
/// keeps about the size the orthographic picture gives it.
void assignSchlegelView(const model::Model& m, int pole, const view4d::Transform4& rotation,
                        SchlegelProjector* view);

/// Turns rotation by the least turn that puts the stereographic projection's pole (the
/// view's w = -1) in the direction of cell pole's centre: that cell is then left out and
/// its neighbours make the outer frame.
void turnPoleThrough(const model::Model& m, int pole, view4d::Transform4* rotation);

/// For every cell, 1 when the ray from the origin towards the stereographic pole of view
/// (its w = -1) leaves the polytope through it, counting a ray that leaves through its
/// boundary: the projection wraps such a cell round infinity. The polytope must hold the
/// origin inside.
std::vector<char> cellsThroughPole(const model::Model& m, const view4d::Transform4& view);

}  // namespace orvex::render
