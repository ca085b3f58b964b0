// Edges and vertices drawn over the cells: each drawn cell's own edges and corners, at
// the place the cell itself is drawn (pushed out along its projected normal).
#pragma once

#include <vector>

#include "model/model.h"
#include "render/cell_walk.h"
#include "render/draw_sink.h"
#include "view4d/transform4.h"

namespace orvex::render {

/// Every cell's edges (vertex pairs, each once per cell) and vertices, found once per model.
struct CellOutlines {
  std::vector<int> edgeStart;    // cell c's edges are pairs edgeStart[c] .. edgeStart[c+1]
  std::vector<int> edgeEnds;     // two vertex indices per edge
  std::vector<int> vertexStart;  // cell c's vertices are vertexStart[c] .. vertexStart[c+1]
  std::vector<int> vertices;
};

CellOutlines findCellOutlines(const model::Model& m);

/// The colour of edges and vertex dots: near black, so they read on any cell colour.
extern const float kOutlineColour[4];

/// Sends the edges (as one kLines primitive) and/or the vertices (one kPoints) of every
/// cell the walk draws, in kOutlineColour. projected must hold this frame's projection,
/// as the cell walk leaves it.
void drawOutlines(const model::Model& m, const view4d::Transform4& view,
                  const DrawSettings& settings, const model::Vec3List& projected,
                  const CellOutlines& outlines, bool edges, bool vertices, DrawSink* sink);

/// The wireframe: the edges and, when vertices is set, the vertices of every cell the walk
/// draws, each once however many of those cells share it, where it projects (no cell is
/// pushed out), as one kLines and one kPoints primitive in kOutlineColour. Fills
/// *projected with this frame's projection, as the cell walk does.
void drawWireframe(const model::Model& m, const view4d::Transform4& view,
                   const DrawSettings& settings, const CellOutlines& outlines, bool vertices,
                   model::Vec3List* projected, DrawSink* sink);

}  // namespace orvex::render
