#include "web/src/explorer.h"

#include <map>
#include <set>

#include "model/loader.h"
#include "render/scene.h"
#include "render/section_drawing.h"
#include "tools/orvex-gen/json.h"
#include "tools/orvex-gen/measures.h"

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
  if (!gen::writtenUnit(model::vertexFilePath(dir, name), &unit)) unit = 1.0;
  projected.resize(model->vertices->count);
  kinds = render::cellKinds(*model);
  outlines = render::findCellOutlines(*model);
  palette = render::makeCellPalette(*model, colourBy);
  return true;
}

void Explorer::setProjection(view4d::Projection p) {
  if (p == projection && projectedView) return;
  projection = p;
  projectedView = view4d::makeView(p);
}

void Explorer::setColourBy(render::ColourBy by) {
  if (by == colourBy) return;
  colourBy = by;
  if (model) palette = render::makeCellPalette(*model, colourBy);
}

const view4d::Transform4& Explorer::view() {
  if (projection == view4d::Projection::kOrtho) return orthoView;
  if (!projectedView) projectedView = view4d::makeView(projection);
  view4d::assignView(rotation, distance, projectedView.get());
  return *projectedView;
}

void Explorer::build() {
  sink.clear();
  if (model) {
    render::DrawSettings settings = draw;
    // An empty palette is the viewer's colouring by polygon count.
    settings.palette = palette.colours.empty() ? nullptr : &palette;
    if (sectionOn) {
      section = render::computeSection(*model, orthoView, sectionW);
      render::drawSection(section, *model, render::kEye, settings, &sink);
    } else {
      const view4d::Transform4& v = view();
      render::drawCells(*model, v, render::kEye, settings, &projected, &sink);
      render::drawOutlines(*model, v, settings, projected, outlines, edges, vertices, &sink);
    }
  }
  sink.gather(&buffer, &triangleVertices, &lineVertices, &pointVertices);
}

std::string Explorer::info() const {
  if (!model) return "{}";
  std::set<std::pair<int, int>> edgeSet;
  for (int f = 0; f < model->polygons->count; ++f) {
    const model::IndexList& p = (*model->polygons)[f];
    for (int i = 0; i < p.count; ++i) {
      const int a = p[i], b = p[(i + 1) % p.count];
      edgeSet.emplace(std::min(a, b), std::max(a, b));
    }
  }
  // Each kind by the polygon sizes of its first cell.
  std::vector<std::string> signatures;
  std::vector<int> counts;
  for (int c = 0; c < static_cast<int>(kinds.size()); ++c) {
    const int k = kinds[c];
    if (k >= static_cast<int>(signatures.size())) {
      std::map<int, int> sizes;
      const model::IndexList& cell = (*model->cellPolygons)[c];
      for (int j = 0; j < cell.count; ++j) ++sizes[(*model->polygons)[cell[j]].count];
      std::string signature;
      for (const auto& [size, count] : sizes) {
        signature +=
            (signature.empty() ? "" : " ") + std::to_string(size) + "x" + std::to_string(count);
      }
      signatures.resize(k + 1);
      counts.resize(k + 1);
      signatures[k] = signature;
    }
    ++counts[k];
  }
  std::string json = "{\"V\":" + std::to_string(model->vertices->count) +
                     ",\"E\":" + std::to_string(edgeSet.size()) +
                     ",\"F\":" + std::to_string(model->polygons->count) +
                     ",\"C\":" + std::to_string(model->cellPolygons->count) + ",\"kinds\":[";
  for (size_t k = 0; k < signatures.size(); ++k) {
    json += (k > 0 ? ",[\"" : "[\"") + signatures[k] + "\"," + std::to_string(counts[k]) + "]";
  }
  const gen::Measures m = gen::measureModel(*model, unit);
  json += "],\"volume\":" + gen::jsonNumber(m.volume) + ",\"edges\":[";
  for (size_t i = 0; i < m.edgeLengths.size() && i < 2; ++i) {
    json += (i ? "," : "") + gen::jsonNumber(m.edgeLengths[i].value);
  }
  json += "],\"dihedral\":[";
  for (size_t i = 0; i < m.dihedralAngles.size() && i < 6; ++i) {
    const gen::DihedralAngle& a = m.dihedralAngles[i];
    json += std::string(i ? "," : "") + "[" + gen::jsonNumber(a.degrees) + "," +
            gen::jsonQuoted(a.kinds[0]) + "," + gen::jsonQuoted(a.kinds[1]) + "," +
            std::to_string(a.count) + "]";
  }
  return json + "],\"angles\":" + std::to_string(m.dihedralAngles.size()) + "}";
}

}  // namespace orvex::web
