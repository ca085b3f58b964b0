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

/// Sets the clear colour and the fog's colour together on the current context.
void setBackground(const float rgb[3]);

/// The edges' width in pixels as drawn, for a picture pixelsAcross pixels wide as drawn
/// with samples × samples samples a pixel: style.edgeWidth times samples, or one pixel in
/// 300 of the width but at least one when it is 0.
double edgePixelsOf(const PictureStyle& style, int pixelsAcross, int samples);

/// Changes the current context's scene (after setupScene) for the style: background and
/// fog colour, the fit (a screen-space scale after the camera), and for edges or vertices
/// a depth offset of the filled polygons and the dot size; and sets styled's edge width
/// and pixel size for pixelsAcross, the picture's width in pixels as drawn with samples ×
/// samples a pixel. The default style changes nothing on the context.
void applyPictureStyle(const PictureStyle& style, const FrameFit& fit, int pixelsAcross,
                       int samples, StyledModel* styled);

/// One whole frame in the style on the current context: clear, the cell walk (solid, or
/// glass when style.opacity is below 1, or none for a wireframe), then the edges as bands
/// of styled.edgePixels and the vertices, drawn in front of the faces they lie on.
/// settings must come from styledSettings.
void drawStyledFrame(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
                     const DrawSettings& settings, const PictureStyle& style,
                     const StyledModel& styled, model::Vec3List* projected);

/// One whole picture of the section s in the style: clear, its faces (in the palette's
/// colours when settings has one), then its edges and vertices when the style asks for
/// them, as drawStyledFrame draws a cell's.
void drawStyledSection(const Section& s, const model::Model& m, const model::Vec3& eye,
                       const DrawSettings& settings, const PictureStyle& style,
                       const StyledModel& styled);

}  // namespace orvex::render
