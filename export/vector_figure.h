// The picture as a vector figure (SVG or PDF, through cairo): the same camera, fit, light
// and fog as the drawn picture, its polygons filled and painted back to front, edges as
// strokes and vertices as dots over the cells they bound.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/vec.h"
#include "render/cell_outline.h"
#include "render/cell_walk.h"
#include "render/frame_fit.h"
#include "render/scene.h"
#include "render/section.h"
#include "view4d/transform4.h"

namespace orvex::exporting {

enum class FigureFormat { kSvg, kPdf };

/// The format for name's extension, case ignored: .svg or .pdf. False for any other.
bool figureFormatOf(const std::string& name, FigureFormat* format);

/// What the walk drew, in scene coordinates: filled polygons (a frame band has an inner
/// loop too), edge segments and vertex dots, each with its colour and its cell.
struct FigureShape {
  enum Kind { kPolygon, kEdge, kDot } kind = kPolygon;
  std::vector<model::Vec3> outer;  // a polygon's boundary, an edge's two ends, a dot's point
  std::vector<model::Vec3> inner;  // a frame band's open centre
  model::Vec3 normal;              // as the walk sent it: unit, towards the eye
  std::array<float, 3> colour{};   // the material (lit for polygons, as is for the rest)
  int cell = -1;                   // -1 for a section's faces
};

/// The walk of one picture: cells as drawCells sends them (skipping what their own cell
/// hides, as the picture does), then, when asked, each drawn cell's edges and vertices.
std::vector<FigureShape> sceneShapes(const model::Model& m, const view4d::Transform4& view,
                                     const model::Vec3& eye, const render::DrawSettings& settings,
                                     const render::CellOutlines& outlines, bool edges,
                                     bool vertices);

/// A section picture's faces, as drawSection sends them.
std::vector<FigureShape> sectionShapes(const render::Section& s, const model::Model& m,
                                       const model::Vec3& eye,
                                       const render::DrawSettings& settings);

struct FigureView {
  double size = 400.0;  // width and height in points
  model::Vec3 eye;
  render::FrameFit fit;
  std::array<float, 3> background{0.6f, 0.6f, 0.6f};  // also the fog's colour
  bool clip = false;  // cut by the clip plane: a x + b y + c z + d >= 0 is kept
  std::array<double, 4> clipPlane = render::kDefaultClipPlane;
  std::string label;  // written at the top left when not empty
};

/// Renders shapes as the picture shows them and writes the figure to path, whole or not
/// at all: polygons lit as the scene lights them, fogged (a linear gradient where the fog
/// changes across one), cut at the camera's near plane and by the clip plane, painted
/// farthest first by their mean depth, each cell's edges and dots right after the last
/// of its polygons. False with *error one line naming the file.
bool writeFigure(const std::vector<FigureShape>& shapes, const FigureView& view,
                 FigureFormat format, const std::string& path, std::string* error);

}  // namespace orvex::exporting
