// Drawing styles beyond the viewer's picture: which cells, edges and vertex dots, the
// colouring, the background (and the fog that fades into it) and the fit to the frame.
// The default style is exactly the viewer's picture.
#pragma once

#include <string>

#include "model/model.h"
#include "render/cell_colours.h"
#include "render/cell_outline.h"
#include "render/frame_fit.h"
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
};

/// "#rrggbb" or one of the names white, black, grey (gray), lightgrey, darkgrey, navy,
/// to RGB in 0..1. False on anything else.
bool parseColour(const std::string& text, float rgb[3]);

/// What the style needs of one model, found once: the palette and the outlines.
struct StyledModel {
  CellPalette palette;
  CellOutlines outlines;
};
StyledModel prepareStyle(const model::Model& m, const PictureStyle& style);

/// The draw settings with the style's cell choice and palette folded in.
DrawSettings styledSettings(DrawSettings settings, const PictureStyle& style,
                            const StyledModel& styled);

/// Sets the clear colour and the fog's colour together on the current context.
void setBackground(const float rgb[3]);

/// Changes the current context's scene (after setupScene) for the style: background and
/// fog colour, the fit (a screen-space scale after the camera), and for edges or vertices
/// a depth offset of the filled polygons and line width and dot size for pixelsAcross,
/// the picture's width in pixels as drawn. The default style changes nothing.
void applyPictureStyle(const PictureStyle& style, const FrameFit& fit, int pixelsAcross);

/// One whole frame in the style on the current context: clear, the cell walk, then the
/// edges and vertices. settings must come from styledSettings.
void drawStyledFrame(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
                     const DrawSettings& settings, const PictureStyle& style,
                     const StyledModel& styled, model::Vec3List* projected);

}  // namespace orvex::render
