#include "render/glass.h"

#include <algorithm>
#include <numeric>

namespace orvex::render {

void GlassSink::material(const float rgba[4]) { materials_.push_back({rgba, rgba + 4}); }

void GlassSink::normal(const model::Vec3& n) { normal_ = n; }

void GlassSink::begin(Primitive primitive) {
  keeping_ = primitive == Primitive::kTriangleFan || primitive == Primitive::kTriangleStrip;
  if (keeping_) {
    polygons_.push_back({primitive, static_cast<int>(materials_.size()) - 1, normal_, {}});
  }
}

void GlassSink::vertex(const model::Vec3& v) {
  if (keeping_) polygons_.back().vertices.push_back(v);
}

void GlassSink::end() { keeping_ = false; }

void GlassSink::sendBackToFront(const model::Vec3& eye, float opacity, DrawSink* out) const {
  std::vector<double> distance(polygons_.size());
  for (size_t i = 0; i < polygons_.size(); ++i) {
    model::Vec3 mean;
    for (const model::Vec3& v : polygons_[i].vertices) mean = mean + v;
    const size_t n = std::max<size_t>(1, polygons_[i].vertices.size());
    distance[i] = model::length((1.0 / static_cast<double>(n)) * mean - eye);
  }
  std::vector<size_t> order(polygons_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return distance[a] > distance[b]; });
  int last = -2;
  for (size_t i : order) {
    const Polygon& polygon = polygons_[i];
    if (polygon.material != last && polygon.material >= 0) {
      const std::vector<float>& m = materials_[polygon.material];
      const float rgba[4] = {m[0], m[1], m[2], m[3] * opacity};
      out->material(rgba);
    }
    last = polygon.material;
    out->normal(polygon.normal);
    out->begin(polygon.kind);
    for (const model::Vec3& v : polygon.vertices) out->vertex(v);
    out->end();
  }
}

}  // namespace orvex::render
