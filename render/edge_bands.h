// Edges as bands of an even width on the screen instead of GL lines, whose width is
// measured along the minor axis (so diagonal lines come out thinner) and whose widest
// setting depends on the driver.
#pragma once

#include <vector>

#include "render/draw_sink.h"

namespace orvex::render {

/// The share of the depth range between the faces and the lines drawn on them: a line is
/// drawn this much nearer than its face (a few hundredths of the scene's unit at the
/// polytope's distance), enough that faces of neighbouring cells crossing it at a small
/// angle no longer cut it into dashes. Faces take the depth range [kLineLead, 1], lines
/// and their bands [0, 1 - kLineLead].
inline constexpr double kLineLead = 0.006;

/// A sink that passes everything on to target, except kLines, which become kQuads: for
/// each segment a band `pixels` wide on the screen, lying across the line of sight from
/// eye. pixelSize is the size in scene units of one pixel at unit depth (depth measured
/// from eye along -z, the camera's axis); a segment seen end on is dropped.
class EdgeBandSink : public DrawSink {
 public:
  EdgeBandSink(DrawSink* target, const model::Vec3& eye, double pixelSize, double pixels)
      : target_(target), eye_(eye), halfWidth_(0.5 * pixels * pixelSize) {}
  void material(const float rgba[4]) override { target_->material(rgba); }
  void normal(const model::Vec3& n) override { target_->normal(n); }
  void begin(Primitive primitive) override;
  void vertex(const model::Vec3& v) override;
  void end() override;

 private:
  DrawSink* target_;
  model::Vec3 eye_;
  double halfWidth_;
  bool lines_ = false;
  std::vector<model::Vec3> ends_;
};

/// The size in scene units of one pixel at unit depth for a picture pixelsAcross wide,
/// enlarged by fitScale after the scene's camera.
double pixelSizeAtUnitDepth(int pixelsAcross, double fitScale);

}  // namespace orvex::render
