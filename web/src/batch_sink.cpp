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

void BatchSink::emit(const model::Vec3& v) { push(v, normal_, colour_, out_); }

void BatchSink::end() {
  const int n = static_cast<int>(pending_.size());
  for (int i = 2; i < n; ++i) {
    if (primitive_ == render::Primitive::kTriangleFan) {
      emit(pending_[0]);
      emit(pending_[i - 1]);
      emit(pending_[i]);
    } else if (i % 2 == 0) {
      // A strip's odd triangles swap their first two corners to keep the winding.
      emit(pending_[i - 2]);
      emit(pending_[i - 1]);
      emit(pending_[i]);
    } else {
      emit(pending_[i - 1]);
      emit(pending_[i - 2]);
      emit(pending_[i]);
    }
  }
  pending_.clear();
}

void appendLine(const model::Vec3& a, const model::Vec3& b, const float rgb[3],
                std::vector<float>* out) {
  const model::Vec3 none;
  push(a, none, rgb, out);
  push(b, none, rgb, out);
}

}  // namespace orvex::web
