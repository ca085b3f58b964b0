// What orvex-gen info tells of a model: its measures, symmetry, the cells around each
// kind of vertex and its dual, as text for a person or as one JSON object.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "polytope/measures.h"
#include "polytope/symmetry.h"

namespace orvex::polytope {

/// The cells around the vertices of the orbits that have the same kinds of cell around.
struct VertexFigure {
  int vertices = 0, orbits = 0;
  std::vector<std::pair<std::string, int>> cells;  // kinds around one of them
};

struct ModelInfo {
  std::string name;
  Measures measures;
  Symmetry symmetry;
  std::vector<VertexFigure> vertexFigures;  // most vertices first
  std::string dual;                         // the library's name for the dual, or ""
};

/// The info of model name in dir, which must pass the check. The dual is named when name
/// is a row of the shipped library table with that row's counts and symmetry order.
/// On failure one line, as the check or the loader words it, or "<name>: symmetry: ...".
bool modelInfo(const std::string& dir, const std::string& name, ModelInfo* out, std::string* error);

/// The info as lines for a person; lists longer than a dozen values end with how many
/// more there are.
std::string infoText(const ModelInfo& info);

/// The info as one JSON object, every list whole.
std::string infoJson(const ModelInfo& info);

}  // namespace orvex::polytope
