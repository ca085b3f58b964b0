// A drawing sink that keeps every call, for tests of what a frame sends.
#pragma once

#include <string>
#include <vector>

#include "render/draw_sink.h"

namespace orvex::render {

class RecordingSink : public DrawSink {
 public:
  struct Primitive {
    render::Primitive kind;
    model::Vec3 normal;  // the last normal sent before begin
    std::vector<model::Vec3> vertices;
  };

  void material(const float rgba[4]) override {
    materials.push_back({rgba[0], rgba[1], rgba[2], rgba[3]});
    calls += "m";
  }
  void normal(const model::Vec3& n) override {
    lastNormal = n;
    calls += "n";
  }
  void begin(render::Primitive kind) override {
    primitives.push_back({kind, lastNormal, {}});
    calls += "b";
  }
  void vertex(const model::Vec3& v) override { primitives.back().vertices.push_back(v); }
  void end() override { calls += "e"; }
  bool screen(ScreenTransform* transform) const override {
    if (window.viewport[2] <= 0.0) return false;
    *transform = window;
    return true;
  }

  std::vector<std::vector<float>> materials;
  std::vector<Primitive> primitives;
  std::string calls;  // one letter per call except vertices: the order of the stream
  model::Vec3 lastNormal;
  ScreenTransform window;  // as a window of this shape would draw; none while 0 wide
};

}  // namespace orvex::render
