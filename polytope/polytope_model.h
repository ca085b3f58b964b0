// A polytope in the generator's form as the viewer's Model, without going through files.
#pragma once

#include "model/model.h"
#include "polytope/polytope.h"

namespace orvex::polytope {

/// p as a Model in p's own coordinates (scale 1, nothing centred or scaled): vertices,
/// polygons, unit normals and cell vertices as p holds them, and cellPolygons and
/// cellClosed derived as the loader derives them.
void modelOf(const Polytope& p, model::Model* out);

}  // namespace orvex::polytope
