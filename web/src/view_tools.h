// The turns that bring a cell, polygon, edge or vertex to face the viewer.
#pragma once

#include "model/model.h"
#include "view4d/transform4.h"

namespace orvex::web {

enum class Facing { kCell = 0, kFace = 1, kEdge = 2, kVertex = 3 };

/// The unit direction of the centre of a cell, the centre of a polygon, the midpoint of a
/// polygon side or a vertex, whichever of that kind is nearest the view's +w axis
/// (row 3 of view); the first in file order among equals.
model::Vec4 facingDirection(const model::Model& m, const view4d::Transform4& view, Facing kind);

/// Turns *view (rows are the view axes) in the plane of its w axis and d, the least turn
/// that makes its w axis the unit vector d.
void turnWAxisTo(const model::Vec4& d, view4d::Transform4* view);

}  // namespace orvex::web
