#include "web/src/explorer.h"

#include <set>

#include "model/loader.h"
#include "render/scene.h"
#include "render/section_drawing.h"
#include "web/src/batch_sink.h"

namespace orvex::web {

bool Explorer::load(const std::string& dir, const std::string& name, std::string* error) {
  auto next = std::make_unique<model::Model>();
  model::Vec3List nextProjected;
  if (!model::loadModel(dir, name, next.get(), &nextProjected, error)) return false;
  if (next->cellPolygons->count == 0) {
    *error = name + ": the model has no cells";
    return false;
  }
  model = std::move(next);
  projected.resize(model->vertices->count);
  kinds = classifyCells(*model);
  return true;
}

void Explorer::setProjection(view4d::Projection p) {
  if (p == projection && projectedView) return;
  projection = p;
  projectedView = view4d::makeView(p);
}

const view4d::Transform4& Explorer::view() {
  if (projection == view4d::Projection::kOrtho) return orthoView;
  if (!projectedView) projectedView = view4d::makeView(projection);
  view4d::assignView(rotation, distance, projectedView.get());
  return *projectedView;
}

void Explorer::build() {
  buffer.clear();
  triangleVertices = lineVertices = 0;
  if (!model) return;
  std::vector<float> lines;
  BatchSink sink(&buffer);
  if (sectionOn) {
    section = render::computeSection(*model, orthoView, sectionW);
    render::drawSection(section, *model, render::kEye, draw, &sink);
  } else {
    // Short of the camera at 3.5, with room for the cells' offsets.
    style.maxReach = projection == view4d::Projection::kStereographic ? 2.5 : 0.0;
    drawStyled(*model, view(), render::kEye, draw, style, kinds, &projected, &sink, &lines);
  }
  triangleVertices = static_cast<int>(buffer.size()) / kFloatsPerVertex;
  lineVertices = static_cast<int>(lines.size()) / kFloatsPerVertex;
  buffer.insert(buffer.end(), lines.begin(), lines.end());
}

std::string Explorer::info() const {
  if (!model) return "{}";
  std::set<std::pair<int, int>> edges;
  for (int f = 0; f < model->polygons->count; ++f) {
    const model::IndexList& p = (*model->polygons)[f];
    for (int i = 0; i < p.count; ++i) {
      const int a = p[i], b = p[(i + 1) % p.count];
      edges.emplace(std::min(a, b), std::max(a, b));
    }
  }
  std::string json = "{\"V\":" + std::to_string(model->vertices->count) +
                     ",\"E\":" + std::to_string(edges.size()) +
                     ",\"F\":" + std::to_string(model->polygons->count) +
                     ",\"C\":" + std::to_string(model->cellPolygons->count) + ",\"kinds\":[";
  for (size_t k = 0; k < kinds.signatures.size(); ++k) {
    if (k > 0) json += ",";
    json += "[\"" + kinds.signatures[k] + "\"," + std::to_string(kinds.counts[k]) + "]";
  }
  return json + "]}";
}

}  // namespace orvex::web
