// The drawing sink that sends everything to the current OpenGL context.
#pragma once

#include "render/draw_sink.h"

namespace orvex::render {

class GlSink : public DrawSink {
 public:
  void material(const float rgba[4]) override;
  void normal(const model::Vec3& n) override;
  void begin(Primitive primitive) override;
  void vertex(const model::Vec3& v) override;
  void end() override;
  /// The current context's projection, modelview and viewport.
  bool screen(ScreenTransform* transform) const override;

 private:
  float colour_[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // the last material, for unlit lines
  bool unlit_ = false;
};

}  // namespace orvex::render
