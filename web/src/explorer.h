// One explorer: the loaded polytope, its view and the drawing settings, and the frame it
// last built. The page holds one and drives it through the exported functions.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/model.h"
#include "render/cell_walk.h"
#include "render/section.h"
#include "view4d/projections.h"
#include "view4d/view_state.h"
#include "web/src/cell_styles.h"
#include "web/src/view_tools.h"

namespace orvex::web {

struct Explorer {
  Explorer() : state(rotation, orthoView) {}

  std::unique_ptr<model::Model> model;
  model::Vec3List projected;
  CellKinds kinds;

  view4d::OrthoProjector rotation;
  view4d::OrthoProjector orthoView;  // always the transpose of rotation
  view4d::ViewState state;
  std::unique_ptr<view4d::Transform4> projectedView;  // of the chosen projection

  render::DrawSettings draw;
  Style style;
  view4d::Projection projection = view4d::Projection::kOrtho;
  double distance = 3.0;  // perspective: the eye on the viewing axis at this w

  bool sectionOn = false;
  double sectionW = 0.0;
  render::Section section;

  std::vector<float> buffer;  // the triangles, then the edge lines
  int triangleVertices = 0;
  int lineVertices = 0;
  std::string text;  // the last string handed to the page

  /// Loads model name from dir; on failure the current model stays and *error is set.
  bool load(const std::string& dir, const std::string& name, std::string* error);
  /// Chooses the projection.
  void setProjection(view4d::Projection p);
  /// The view transform of the chosen projection, set from rotation.
  const view4d::Transform4& view();
  /// Builds the frame into buffer.
  void build();
  /// V, E, F, C and the cell kinds as JSON.
  std::string info() const;
};

}  // namespace orvex::web
