// The 4OFF interchange format: "4OFF", the counts "V F E C", V rows "x y z w", F
// polygon rows "m v0 ... v(m-1)" (0-based vertex cycle) and C cell rows
// "k f0 ... f(k-1)" (0-based polygon numbers). Numbers after a row's entries (colours)
// are ignored, and lines starting with '#' are comments.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"
#include "polytope/polytope.h"

namespace orvex::polytope {

struct Off4 {
  std::vector<Vec4> vertices;
  std::vector<std::vector<int>> polygons;  // vertex numbers in boundary order
  std::vector<std::vector<int>> cells;     // polygon numbers
};

/// Parses 4OFF text. On failure returns false with "<path>:<line>: <problem>"; path
/// only names the text in messages. The E count is read but not trusted.
bool parseOff4(const std::string& text, const std::string& path, Off4* off, std::string* error);

/// Reads and parses the file at path; fails like base::readInputFile when it cannot be read.
bool readOff4File(const std::string& path, Off4* off, std::string* error);

/// The 4OFF text of off, with the edge count taken from the polygons.
std::string formatOff4(const Off4& off);

/// The 4OFF content of a loaded model: its vertices, polygons and cellPolygons.
Off4 off4FromModel(const model::Model& model);

/// The polytope of off: its vertices and polygons as they are, one cell per cell row
/// with the outward normal of the hyperplane through the cell's vertices. Fails with a
/// message naming the cell when a cell is not flat, spans fewer than three dimensions
/// or has the polytope's centre on its outer side.
bool polytopeFromOff4(const Off4& off, const std::string& path, Polytope* out, std::string* error);

}  // namespace orvex::polytope
