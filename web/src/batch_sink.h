// A drawing sink that gathers a whole frame into one triangle list, so the browser
// uploads it once and draws it with one call.
#pragma once

#include <vector>

#include "render/draw_sink.h"

namespace orvex::web {

/// Floats per vertex: position xyz, normal xyz, colour rgb.
constexpr int kFloatsPerVertex = 9;

class BatchSink : public render::DrawSink {
 public:
  explicit BatchSink(std::vector<float>* out) : out_(out) {}

  void material(const float rgba[4]) override;
  void normal(const model::Vec3& n) override;
  void begin(render::Primitive primitive) override;
  void vertex(const model::Vec3& v) override;
  void end() override;

 private:
  void emit(const model::Vec3& v);

  std::vector<float>* out_;
  float colour_[3] = {1.0f, 1.0f, 1.0f};
  model::Vec3 normal_;
  render::Primitive primitive_ = render::Primitive::kTriangleFan;
  std::vector<model::Vec3> pending_;  // the vertices of the primitive being sent
};

/// Appends one line segment (two vertices, normal zero) in the given colour.
void appendLine(const model::Vec3& a, const model::Vec3& b, const float rgb[3],
                std::vector<float>* out);

}  // namespace orvex::web
