#include "web/src/batch_sink.h"

namespace orvex::web {
namespace {

void push(const model::Vec3& v, const model::Vec3& n, const float rgb[3], std::vector<float>* out) {
  out->insert(out->end(),
              {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z),
               static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z), rgb[0],
               rgb[1], rgb[2]});
}

}  // namespace

void BatchSink::material(const float rgba[4]) {
  for (int i = 0; i < 3; ++i) colour_[i] = rgba[i];
}

void BatchSink::normal(const model::Vec3& n) { normal_ = n; }

void BatchSink::begin(render::Primitive primitive) {
  primitive_ = primitive;
  pending_.clear();
}

void BatchSink::vertex(const model::Vec3& v) { pending_.push_back(v); }

void BatchSink::emit(const model::Vec3& v, std::vector<float>* out) {
  push(v, normal_, colour_, out);
}

void BatchSink::end() {
  const int n = static_cast<int>(pending_.size());
  if (primitive_ == render::Primitive::kLines || primitive_ == render::Primitive::kPoints) {
    std::vector<float>* out = primitive_ == render::Primitive::kLines ? &lines_ : &points_;
    for (int i = 0; i < (primitive_ == render::Primitive::kLines ? n - n % 2 : n); ++i) {
      emit(pending_[i], out);
    }
  }
  for (int i = 2; i < n && primitive_ == render::Primitive::kTriangleFan; ++i) {
    emit(pending_[0], &triangles_);
    emit(pending_[i - 1], &triangles_);
    emit(pending_[i], &triangles_);
  }
  for (int i = 2; i < n && primitive_ == render::Primitive::kTriangleStrip; ++i) {
    // A strip's odd triangles swap their first two corners to keep the winding.
    emit(pending_[i % 2 == 0 ? i - 2 : i - 1], &triangles_);
    emit(pending_[i % 2 == 0 ? i - 1 : i - 2], &triangles_);
    emit(pending_[i], &triangles_);
  }
  for (int i = 0; i + 3 < n && primitive_ == render::Primitive::kQuads; i += 4) {
    for (int corner : {0, 1, 2, 0, 2, 3}) emit(pending_[i + corner], &bands_);
  }
  pending_.clear();
}

void BatchSink::gather(std::vector<float>* out, int* triangleVertices, int* lineVertices,
                       int* pointVertices, int* bandVertices) const {
  out->clear();
  for (const std::vector<float>* part : {&triangles_, &lines_, &points_, &bands_}) {
    out->insert(out->end(), part->begin(), part->end());
  }
  *triangleVertices = static_cast<int>(triangles_.size()) / kFloatsPerVertex;
  *lineVertices = static_cast<int>(lines_.size()) / kFloatsPerVertex;
  *pointVertices = static_cast<int>(points_.size()) / kFloatsPerVertex;
  *bandVertices = static_cast<int>(bands_.size()) / kFloatsPerVertex;
}

void BatchSink::clear() {
  triangles_.clear();
  lines_.clear();
  points_.clear();
  bands_.clear();
}

}  // namespace orvex::web
