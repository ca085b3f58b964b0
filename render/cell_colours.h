// Colourings that tell cells apart, besides the viewer's colour per polygon count: one
// colour per combinatorial kind of cell, or one hue per cell.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/model.h"
#include "render/draw_sink.h"

namespace orvex::render {

enum class ColourBy { kPolygons, kKind, kCell };

/// A colour for every cell of one model, each an index into colours.
struct CellPalette {
  std::vector<std::array<float, 3>> colours;
  std::vector<int> colourOf;  // per cell

  /// Emits cell c's colour as the material unless *last already is its index.
  void setMaterial(int c, int* last, DrawSink* sink) const;
};

/// The kind of every cell: cells share a kind when they have the same sorted polygon
/// sizes and the same sorted numbers of polygons at each vertex (a truncated
/// tetrahedron, a hexagonal prism and a cuboctahedron differ although two of them have
/// eight polygons). Kinds are numbered from 0 in order of first appearance.
std::vector<int> cellKinds(const model::Model& m);

/// The palette for `by` (kKind or kCell); kPolygons gives an empty palette, meaning the
/// viewer's own colours.
CellPalette makeCellPalette(const model::Model& m, ColourBy by);

/// A fully saturated-but-light hue around the colour wheel, for colour i of any number:
/// successive i step by the golden angle, so neighbours in the sequence differ most.
std::array<float, 3> spreadHue(int i);

}  // namespace orvex::render
