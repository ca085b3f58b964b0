// One frame's walk over the cells: project every vertex, draw each cell that faces the
// viewer in four-space, pushed out along its projected normal, in its class colour.
#pragma once

#include <vector>

#include "model/model.h"
#include "render/draw_sink.h"
#include "view4d/transform4.h"

namespace orvex::render {

/// RGB of the eleven colour classes; a cell with k polygons takes class k mod 11.
extern const float cellColors[11][3];

/// Emits the class colour of a cell with k polygons as the material, unless *last
/// already is k: consecutive cells of one class share one material change.
void setCellMaterial(int k, int* last, DrawSink* sink);

/// A frame band's inner edge is the polygon's corners weighted so against its vertex
/// mean: the polygon scaled to 0.65 about that mean.
constexpr double kFrameOuterWeight = 0.65;
constexpr double kFrameCentreWeight = 0.35;

struct CellPalette;  // render/cell_colours.h

/// How far cells are pushed apart along their normals unless the settings say otherwise.
inline constexpr double kDefaultExtendRate = 0.06;

/// The settings a frame reads.
struct DrawSettings {
  int fillType = 0;  // 1: frames, anything else: solid
  int hidePoly = 0;  // cells with exactly this many polygons are skipped
  double extendRate = kDefaultExtendRate;
  int clip = 0;           // nonzero: the clip plane is on, so cells may be seen from inside
  bool allCells = false;  // every cell, not only those facing the viewer
  const CellPalette* palette = nullptr;  // null: the colour of the polygon count
  // Off: every polygon of a solid cell is sent, even one its own cell hides. Pictures
  // must not change with it; tests draw both ways to show that.
  bool skipHidden = true;
  // Nonzero entries are cells left out whatever else holds: those a projection cannot
  // show whole (stereographic ones through its pole). Null or short: none.
  const std::vector<char>* leftOut = nullptr;
  // Nonzero entries are polygons the walk leaves out of every cell, their edges still
  // drawn: the outer shell a Schlegel diagram is seen through. Null or short: none.
  const std::vector<char>* polygonsLeftOut = nullptr;
};

/// Whether cell c is drawn: it faces the viewer in four-space (or every cell is asked
/// for), its polygon count is not the hidden one and settings.leftOut does not name it.
bool cellDrawn(const model::Model& m, const view4d::Transform4& view, const DrawSettings& settings,
               int c);

/// Where a drawn cell is pushed out to: its projected normal times the extend rate.
model::Vec3 cellOffset(const model::Model& m, const view4d::Transform4& view,
                       const DrawSettings& settings, int c);

/// The unit normal of a polygon whose first three projected vertices are q1, q2, q3,
/// oriented to the side where eye lies. A degenerate polygon (collinear or coincident
/// vertices) gets the unit vector from q1 towards eye instead of a NaN.
model::Vec3 faceNormal(const model::Vec3& q1, const model::Vec3& q2, const model::Vec3& q3,
                       const model::Vec3& eye);

/// The walk with triangle fans: every polygon filled. A polygon that faces away from eye
/// (judged by its normal pointing out of its cell) is not sent where its own cell
/// provably hides it at every pixel: the view is orthographic, the clip plane off, the
/// cell closed (Model::cellClosed) and wholly between the near and far planes, offset
/// included, the sink knows its window (DrawSink::screen), and the polygon lies deeper
/// than the cell's front at every pixel centre it could cover, beyond rounding. One
/// that could tie in depth (along the cell's outline) is sent: the pixels are those
/// drawn with every polygon sent.
void drawSolidCells(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
                    const DrawSettings& settings, model::Vec3List* projected, DrawSink* sink);

/// The walk with triangle strips: every polygon a band around an open centre, the inner
/// edge the polygon scaled to 0.65 about its vertex mean.
void drawFrameCells(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
                    const DrawSettings& settings, model::Vec3List* projected, DrawSink* sink);

/// drawFrameCells when settings.fillType is 1, drawSolidCells otherwise.
void drawCells(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
               const DrawSettings& settings, model::Vec3List* projected, DrawSink* sink);

}  // namespace orvex::render
