#include "polytope/polytope_model.h"

#include <cmath>
#include <memory>

#include "model/incidence.h"

namespace orvex::polytope {
namespace {

void fillIndexLists(const std::vector<std::vector<int>>& lists, model::IndexListArray* out) {
  out->resize(static_cast<int>(lists.size()));
  for (size_t i = 0; i < lists.size(); ++i) {
    model::IndexList list(static_cast<int>(lists[i].size()));
    for (size_t k = 0; k < lists[i].size(); ++k) list[static_cast<int>(k)] = lists[i][k];
    (*out)[static_cast<int>(i)] = list;
  }
}

}  // namespace

void modelOf(const Polytope& p, model::Model* out) {
  out->vertices = std::make_unique<model::Vec4Table>();
  out->vertices->resize(static_cast<int>(p.vertices.size()));
  for (size_t v = 0; v < p.vertices.size(); ++v) (*out->vertices)[static_cast<int>(v)] = p.vertices[v];
  out->cellNormals = std::make_unique<model::Vec4Table>();
  out->cellNormals->resize(p.cells());
  for (int c = 0; c < p.cells(); ++c) {
    const Vec4& n = p.normals[c];
    (*out->cellNormals)[c] = (1.0 / std::sqrt(model::dot(n, n))) * n;
  }
  out->polygons = std::make_unique<model::IndexListArray>();
  fillIndexLists(p.polygons, out->polygons.get());
  out->cellVertices = std::make_unique<model::IndexListArray>();
  fillIndexLists(p.cellVertices, out->cellVertices.get());
  out->cellPolygons = std::make_unique<model::IndexListArray>();
  model::deriveCellPolygons(*out->polygons, *out->cellVertices, 0, out->cellPolygons.get());
  out->cellClosed = model::closedCells(*out->cellPolygons, *out->polygons);
  out->scale = 1.0;
}

}  // namespace orvex::polytope
