// The one seam through which the cell walk draws: the real sink issues immediate-mode
// OpenGL, a recording one lets tests see the exact primitives.
#pragma once

#include "model/vec.h"
#include "render/screen_depth.h"

namespace orvex::render {

// Lines, points and quads are drawn unlit and unfogged in the last material's colour;
// quads (four corners each) are edges drawn as bands of an even width.
enum class Primitive { kTriangleFan, kTriangleStrip, kLines, kPoints, kQuads };

class DrawSink {
 public:
  virtual ~DrawSink() = default;
  /// Ambient and diffuse colour of front and back faces, RGBA.
  virtual void material(const float rgba[4]) = 0;
  /// The normal of the polygon that follows.
  virtual void normal(const model::Vec3& n) = 0;
  virtual void begin(Primitive primitive) = 0;
  virtual void vertex(const model::Vec3& v) = 0;
  virtual void end() = 0;
  /// Cell c's material and polygons follow: for sinks that keep cells apart (a 3D
  /// export makes each one solid). Drawing sinks ignore it.
  virtual void cell(int /*c*/) {}
  /// Where the sink's window lies, if it draws into one: what the hidden-polygon skip
  /// needs to prove a polygon invisible. False (the default): every polygon is sent.
  virtual bool screen(ScreenTransform* /*transform*/) const { return false; }
};

}  // namespace orvex::render
