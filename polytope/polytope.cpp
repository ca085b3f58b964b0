#include "polytope/polytope.h"

#include "model/loader.h"

namespace orvex::polytope {
namespace {

std::vector<std::vector<int>> listsOf(const model::IndexListArray& array) {
  std::vector<std::vector<int>> result;
  for (int i = 0; i < array.count; ++i) {
    result.emplace_back(array[i].data.get(), array[i].data.get() + array[i].count);
  }
  return result;
}

}  // namespace

bool loadPolytope(const std::string& dataDir, const std::string& name, Polytope* out,
                  std::string* error) {
  model::Model m;
  model::Vec3List projected;
  if (!model::loadModel(dataDir, name, &m, &projected, error)) return false;
  Polytope p;
  p.vertices.assign(m.vertices->data.get(), m.vertices->data.get() + m.vertices->count);
  p.normals.assign(m.cellNormals->data.get(), m.cellNormals->data.get() + m.cellNormals->count);
  p.polygons = listsOf(*m.polygons);
  p.cellVertices = listsOf(*m.cellVertices);
  *out = std::move(p);
  return true;
}

}  // namespace orvex::polytope
