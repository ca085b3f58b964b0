// Turning the view's w axis onto a chosen direction, for the facing presets.
#pragma once

#include "model/vec.h"
#include "view4d/transform4.h"

namespace orvex::web {

/// Turns *view (rows are the view axes) in the plane of its w axis and d, the least turn
/// that makes its w axis the unit vector d; every row stays a unit vector at right angles
/// to the others.
void turnWAxisTo(const model::Vec4& d, view4d::Transform4* view);

}  // namespace orvex::web
