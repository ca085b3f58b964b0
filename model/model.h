// The polytope as loaded: vertices, polygons, cell normals and the derived incidence.
#pragma once

#include <memory>
#include <vector>

#include "model/lists.h"

namespace orvex::model {

/// Owns every structure of one polytope. Cells are numbered by their place in
/// cellNormals; cellVertices and cellPolygons have one entry per cell in that order.
struct Model {
  virtual ~Model() = default;

  std::unique_ptr<Vec4Table> vertices;           // vertex 0 has length 1 after loading
  std::unique_ptr<IndexListArray> polygons;      // 0-based vertex numbers, boundary order
  std::unique_ptr<IndexListArray> cellVertices;  // ascending vertex numbers per cell
  std::unique_ptr<Vec4Table> cellNormals;        // unit outward normals after loading
  std::unique_ptr<IndexListArray> cellPolygons;  // ascending polygon numbers per cell
  // Per cell, whether its polygons close up (closedCells); empty or short when not
  // derived, and a cell without an entry counts as open.
  std::vector<bool> cellClosed;
  // The length of vertex 0 as written: the file's coordinates are the loaded ones times
  // this (1 until loaded).
  double scale = 1.0;
};

}  // namespace orvex::model
