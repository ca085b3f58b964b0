// One explorer: the loaded polytope, its view and the drawing style, and the frame it last
// built. The page holds one and drives it through the exported functions.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/loader.h"
#include "model/model.h"
#include "render/cell_colours.h"
#include "render/cell_outline.h"
#include "render/cell_walk.h"
#include "render/schlegel.h"
#include "render/section.h"
#include "view4d/projections.h"
#include "view4d/view_state.h"
#include "web/src/batch_sink.h"

namespace orvex::web {

/// The most a page hands over of one's own files at once, all of them together: well
/// beyond the largest shipped model (about 1 MB a file), well below what the program's
/// memory can take after parsing them.
constexpr double kMaxOpenBytes = 32.0 * 1024 * 1024;

struct Explorer {
  Explorer() : state(rotation, orthoView) {}

  std::unique_ptr<model::Model> model;
  model::Vec3List projected;
  std::vector<int> kinds;         // the kind of every cell, once info has been asked for
  render::CellOutlines outlines;  // see cellOutlines
  bool outlinesFound = false;
  render::CellPalette palette;

  view4d::OrthoProjector rotation;
  view4d::OrthoProjector orthoView;  // always the transpose of rotation
  view4d::ViewState state;
  std::unique_ptr<view4d::Transform4> projectedView;  // of the chosen projection

  render::DrawSettings draw;
  render::ColourBy colourBy = render::ColourBy::kPolygons;
  bool edges = false;
  bool vertices = false;
  view4d::Projection projection = view4d::Projection::kOrtho;
  double distance = 3.0;  // perspective: the eye on the viewing axis at this w
  // The Schlegel diagram from the cell facing the viewer, found afresh for each frame: a
  // turn in three-space keeps it, a turn through the fourth dimension moves on to the
  // next cell's diagram.
  bool schlegel = false;
  render::SchlegelProjector schlegelView;
  int pole = -1;                // the pole cell of the last frame
  std::vector<char> poleFaces;  // its polygons, the shell the diagram is seen through
  bool wireframe = false;       // the edges (and vertices) of every cell, no faces
  double opacity = 1.0;         // below 1: glass cells, sent farthest first
  // Edges as bands of an even width, as orvex-render draws them: the size of a canvas
  // pixel at unit depth and the bands' width in pixels. 0: GL lines.
  double pixelSize = 0.0;
  double edgePixels = 1.0;
  float frameOpacity = 1.0f;  // what the last frame's triangles blend at: 1 opaque

  bool sectionOn = false;
  double sectionW = 0.0;
  render::Section section;

  BatchSink sink;
  std::vector<float> buffer;  // the triangles, then the lines, the points and the bands
  int triangleVertices = 0;
  int lineVertices = 0;
  int pointVertices = 0;
  int bandVertices = 0;
  std::string text;   // the last string handed to the page
  std::string bytes;  // the last file made for the page to save

  /// Loads model name from dir; on failure the current model stays and *error is set.
  /// A model with a cell that bounds no polygon (normals that are not its cells') is
  /// refused.
  bool load(const std::string& dir, const std::string& name, std::string* error,
            const model::TextSource* source = nullptr);
  /// Chooses the projection, or with schlegel the Schlegel diagram.
  void setProjection(view4d::Projection p, bool schlegel);
  /// Edges drawn as bands for a canvas pixelsAcross pixels on its shorter side at the
  /// given zoom; pixelsAcross 0 draws them as lines.
  void setScreen(int pixelsAcross, double zoom);
  /// Chooses the colouring.
  void setColourBy(render::ColourBy by);
  /// The view transform of the chosen projection, set from rotation.
  const view4d::Transform4& view();
  /// Builds the frame into buffer.
  void build();
  /// The view the cells are drawn through: the Schlegel diagram's from the cell facing the
  /// viewer, or the projection's, with what each leaves out set in *settings.
  const view4d::Transform4& drawnView(render::DrawSettings* settings,
                                      std::vector<char>* throughPole);
  /// The model's cell outlines, found at the first call after a load.
  const render::CellOutlines& cellOutlines();
  /// V, E, F, C and the cells by kind in words ("120 dodecahedra"), as JSON:
  /// {"V":..,"E":..,"F":..,"C":..,"cells":".."}.
  std::string info();
  /// orvex-gen info's volume and dihedral angles of the model, as JSON pairs of label and
  /// value; apart from info, since for a big model they take a while.
  std::string measures() const;
  /// The frame's triangles as binary STL, in scene coordinates.
  std::string stl();
  /// The edges of the drawn cells as an SVG picture width × height, seen by the scene's
  /// camera with the screen scale (sx, sy) the page draws with.
  std::string edgeSvg(int width, int height, double sx, double sy);
};

}  // namespace orvex::web
