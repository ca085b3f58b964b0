// Drawing a cross-section as the viewer draws its cells: class colours, normals turned
// towards the eye, solid fans or frame bands, no cell offset.
#pragma once

#include "model/model.h"
#include "render/cell_walk.h"
#include "render/draw_sink.h"
#include "render/section.h"

namespace orvex::render {

/// Sends every face of s to sink: in the class colour of its cell's polygon count, or its
/// cell's colour in settings.palette when there is one (a material call only when the
/// colour changes from one face to the next), with the unit
/// normal of its first three corners turned towards eye, as a triangle fan or, when
/// settings.fillType is 1, as a frame band. Faces of cells with settings.hidePoly polygons
/// are skipped, as the viewer skips those cells; extendRate is not used.
void drawSection(const Section& s, const model::Model& m, const model::Vec3& eye,
                 const DrawSettings& settings, DrawSink* sink);

/// Sends the edges of s (one kLines primitive) and/or its vertices (one kPoints) in
/// kOutlineColour.
void drawSectionOutlines(const Section& s, bool edges, bool vertices, DrawSink* sink);

}  // namespace orvex::render
