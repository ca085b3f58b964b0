// The explorer's drawing styles beyond the viewer's: every cell, not only those facing
// the viewer; colour by cell kind or by cell; the edges of the drawn cells. The viewer's
// own style goes through the library's cell walk unchanged.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"
#include "render/cell_walk.h"
#include "render/draw_sink.h"
#include "view4d/transform4.h"

namespace orvex::web {

enum class ColourBy { kPolygonCount = 0, kKind = 1, kCell = 2 };

struct Style {
  bool allCells = false;  // false: only cells facing the viewer in four-space
  ColourBy colour = ColourBy::kPolygonCount;
  bool edges = false;
  /// When positive, a cell with a projected vertex farther than this from the centre is
  /// left out: the stereographic images of cells near the far pole run off to infinity
  /// and would swallow the camera.
  double maxReach = 0.0;
};

/// Cells grouped by combinatorial kind: the multiset of their polygons' sizes.
struct CellKinds {
  std::vector<int> kindOfCell;          // one entry per cell, index into the lists below
  std::vector<std::string> signatures;  // "3x4" for four triangles, "4x6" for a cube...
  std::vector<int> counts;              // cells of each kind
};

CellKinds classifyCells(const model::Model& m);

/// The RGB of cell c under the given colouring.
void cellColour(ColourBy by, int c, const model::Model& m, const CellKinds& kinds, float rgb[3]);

/// One frame in the given style: the triangles go to sink, and with style.edges every
/// polygon side of every drawn cell, displaced as its cell is, goes to lines as a dark
/// segment. The viewer's style (facing cells, polygon-count colours) is exactly
/// render::drawCells.
void drawStyled(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
                const render::DrawSettings& settings, const Style& style, const CellKinds& kinds,
                model::Vec3List* projected, render::DrawSink* sink, std::vector<float>* lines);

}  // namespace orvex::web
