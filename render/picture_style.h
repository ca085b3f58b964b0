// Drawing styles beyond the viewer's picture: which cells, edges and vertex dots, the
// colouring, the background (and the fog that fades into it) and the fit to the frame.
// The default style is exactly the viewer's picture.
#pragma once

#include <string>

#include "model/model.h"
#include "render/cell_colours.h"
#include "render/cell_outline.h"
#include "render/frame_fit.h"
#include "render/section.h"
#include "view4d/transform4.h"

namespace orvex::render {

struct PictureStyle {
  bool allCells = false;  // every cell, not only those facing the viewer in four-space
  bool edges = false;
  bool vertices = false;
  ColourBy colourBy = ColourBy::kPolygons;
  bool fit = false;                          // scale so the drawn polytope fills the frame
  double zoom = 1.0;                         // times the fit (or the viewer's scale)
  float background[3] = {0.6f, 0.6f, 0.6f};  // also the fog's colour
  bool wireframe = false;  // the edges (and vertices) of the drawn cells, no faces
  double opacity = 1.0;    // below 1: glass cells, blended farthest first
  double edgeWidth = 0.0;  // edges' width in pixels of the picture; 0: by its size
};

/// "#rrggbb" or one of the names white, black, grey (gray), lightgrey, darkgrey, navy,
/// to RGB in 0..1. False on anything else.
bool parseColour(const std::string& text, float rgb[3]);

/// What the style needs of one model, found once: the palette and the outlines.
struct StyledModel {
  CellPalette palette;
  CellOutlines outlines;
  // Set by applyPictureStyle for the picture at hand: the edges' width in drawn pixels
  // and the size of a drawn pixel at unit depth.
  double edgePixels = 1.0;
  double pixelSize = 0.0;
};
StyledModel prepareStyle(const model::Model& m, const PictureStyle& style);

/// The draw settings with the style's cell choice and palette folded in.
DrawSettings styledSettings(DrawSettings settings, const PictureStyle& style,
                            const StyledModel& styled);

/// The edges' width in pixels as drawn, for a picture pixelsAcross pixels wide as drawn
/// with samples × samples samples a pixel: style.edgeWidth times samples, or one pixel in
/// 300 of the width but at least one when it is 0.
double edgePixelsOf(const PictureStyle& style, int pixelsAcross, int samples);

}  // namespace orvex::render
