// Which vertices and which polygons bound each cell, derived from the cell normals.
//
// A vertex lies on a cell when its dot product with the cell's normal is within
// kIncidenceTolerance of the greatest such product over all vertices. The tolerance is
// absolute and applies to the normals as given, so their lengths scale it.
#pragma once

#include <vector>

#include "model/lists.h"

namespace orvex::model {

constexpr double kIncidenceTolerance = 0.00001;

/// The greatest dot product of n with any vertex. vertices must not be empty.
double supportValue(const Vec4& n, const Vec4List& vertices);

/// The numbers of the vertices on the cell with normal n, ascending. Empty when there
/// are no vertices.
IndexList supportSet(const Vec4& n, const Vec4List& vertices);

/// Fills result with one support set per normal, in order. Asks result->progress every
/// 100 cells; a nonzero answer stops the derivation and leaves the rest empty.
void deriveCellVertices(const Vec4List& normals, const Vec4List& vertices, IndexListArray* result);

/// Fills result with, per cell, the ascending numbers of the polygons whose vertices all
/// lie on the cell. markSize 0 sizes the marks to the greatest vertex number in
/// cellVertices plus one; polygon vertex numbers outside the marks count as off the
/// cell. Asks result->progress every 100 cells, like deriveCellVertices.
void deriveCellPolygons(const IndexListArray& polygons, const IndexListArray& cellVertices,
                        int markSize, IndexListArray* result);

/// Whether the polygons of one cell close up: every edge (two vertices next to each other
/// on a polygon's boundary, either way round) lies on exactly two of them. An open cell
/// lets the eye see its polygons from inside.
bool isClosedCell(const IndexList& cell, const IndexListArray& polygons);

/// isClosedCell for every entry of cellPolygons, in order.
std::vector<bool> closedCells(const IndexListArray& cellPolygons, const IndexListArray& polygons);

}  // namespace orvex::model
