// Preset orientations: turning the view so that a cell, a polygon, an edge or a vertex
// faces the viewer, the classic cell-first ... vertex-first views and section sweeps.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"
#include "model/vec.h"
#include "view4d/transform4.h"

namespace orvex::render {

enum class Facing { kCell, kFace, kEdge, kVertex };

/// The explorer's opening view, oblique so that a first picture shows depth: this turn
/// applied once to the start-up view.
inline const view4d::PlaneAngles kObliqueTurn = [] {
  view4d::PlaneAngles a;
  a[1] = 0.45, a[2] = 0.3, a[3] = 0.35, a[4] = 0.25;
  return a;
}();

/// "cell", "face", "edge" or "vertex"; false on anything else.
bool parseFacing(const std::string& name, Facing* facing);

/// The points that can face the viewer, in file order: the centre (mean of the vertices)
/// of each cell, the centre of each polygon, the midpoint of each edge (edges in the order
/// they first appear in the polygons) or each vertex.
std::vector<model::Vec4> facingCandidates(const model::Model& m, Facing facing);

/// The index of the candidate nearest in direction to the viewing axis of view (its row
/// 3, the positive w axis): the largest cosine of the angle between them, equal cosines
/// but for rounding (1e-9) going to the earlier one. Candidates at the origin have no
/// direction and are passed over; -1 when none is left.
int nearestToViewAxis(const std::vector<model::Vec4>& candidates, const view4d::Transform4& view);

/// Turns rotation (whose transpose is the view, as the viewer keeps it) by the least turn
/// that brings target onto the positive w axis of the view: a turn in the plane of the
/// old axis and target, so directions at right angles to both stay where they were.
/// Target must not be the origin.
void turnToFace(const model::Vec4& target, view4d::Transform4* rotation);

/// nearestToViewAxis of facingCandidates, then turnToFace it. False, rotation unchanged,
/// when the model has no such candidate off the origin.
bool applyFacing(const model::Model& m, Facing facing, view4d::Transform4* rotation);

}  // namespace orvex::render
