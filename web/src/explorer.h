// One explorer: the loaded polytope, its view and the drawing style, and the frame it last
// built. The page holds one and drives it through the exported functions.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/model.h"
#include "render/cell_colours.h"
#include "render/cell_outline.h"
#include "render/cell_walk.h"
#include "render/section.h"
#include "view4d/projections.h"
#include "view4d/view_state.h"
#include "web/src/batch_sink.h"

namespace orvex::web {

struct Explorer {
  Explorer() : state(rotation, orthoView) {}

  std::unique_ptr<model::Model> model;
  model::Vec3List projected;
  std::vector<int> kinds;  // the kind of every cell
  render::CellOutlines outlines;
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

  bool sectionOn = false;
  double sectionW = 0.0;
  render::Section section;

  BatchSink sink;
  std::vector<float> buffer;  // the triangles, then the lines, then the points
  int triangleVertices = 0;
  int lineVertices = 0;
  int pointVertices = 0;
  std::string text;  // the last string handed to the page
  double unit = 1.0;  // the length of vertex 0 as the model's file writes it

  /// Loads model name from dir; on failure the current model stays and *error is set.
  bool load(const std::string& dir, const std::string& name, std::string* error);
  /// Chooses the projection.
  void setProjection(view4d::Projection p);
  /// Chooses the colouring.
  void setColourBy(render::ColourBy by);
  /// The view transform of the chosen projection, set from rotation.
  const view4d::Transform4& view();
  /// Builds the frame into buffer.
  void build();
  /// V, E, F, C and the cell kinds (each as its polygon sizes, "4x6" for six squares, and
  /// its number of cells) as JSON, with orvex-gen info's measures in the file's units: the
  /// volume, the edge lengths (one entry when all are equal) and up to six dihedral angles
  /// as [degrees, kind, kind, count], with their number.
  std::string info() const;
};

}  // namespace orvex::web
