// A drawing sink that gathers a whole frame into one vertex list: the triangles, then the
// lines, the points and the edge bands, so the browser uploads it once and draws each part
// with one call.
#pragma once

#include <vector>

#include "render/draw_sink.h"

namespace orvex::web {

/// Floats per vertex: position xyz, normal xyz, colour rgb.
constexpr int kFloatsPerVertex = 9;

class BatchSink : public render::DrawSink {
 public:
  void material(const float rgba[4]) override;
  void normal(const model::Vec3& n) override;
  void begin(render::Primitive primitive) override;
  void vertex(const model::Vec3& v) override;
  void end() override;

  /// Everything sent since the last clear, triangles first, then lines, then points, then
  /// the bands (quads, two triangles each).
  void gather(std::vector<float>* out, int* triangleVertices, int* lineVertices,
              int* pointVertices, int* bandVertices) const;
  void clear();

 private:
  void emit(const model::Vec3& v, std::vector<float>* out);

  std::vector<float> triangles_, lines_, points_, bands_;
  float colour_[3] = {1.0f, 1.0f, 1.0f};
  model::Vec3 normal_;
  render::Primitive primitive_ = render::Primitive::kTriangleFan;
  std::vector<model::Vec3> pending_;  // the vertices of the primitive being sent
};

}  // namespace orvex::web
