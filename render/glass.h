// Glass cells: every polygon of the drawn cells kept, then sent farthest first with its
// colour made translucent, so that blending each over what is already drawn shows the
// cells behind through the ones in front.
#pragma once

#include <vector>

#include "render/draw_sink.h"

namespace orvex::render {

/// A sink that keeps the filled polygons it is sent (fans and strips), each with the
/// material and normal in force; lines and points are dropped.
class GlassSink : public DrawSink {
 public:
  void material(const float rgba[4]) override;
  void normal(const model::Vec3& n) override;
  void begin(Primitive primitive) override;
  void vertex(const model::Vec3& v) override;
  void end() override;

  /// Sends every kept polygon to out, in order of the distance of its vertex mean from
  /// eye, farthest first (equal distances in the order kept), with its material's alpha
  /// times opacity. A material call only where the colour changes.
  void sendBackToFront(const model::Vec3& eye, float opacity, DrawSink* out) const;

  int polygonCount() const { return static_cast<int>(polygons_.size()); }

 private:
  struct Polygon {
    Primitive kind;
    int material;  // index into materials_
    model::Vec3 normal;
    std::vector<model::Vec3> vertices;
  };
  std::vector<std::vector<float>> materials_;
  std::vector<Polygon> polygons_;
  model::Vec3 normal_;
  bool keeping_ = false;
};

}  // namespace orvex::render
