// Checks that a model file's text holds what its counts announce, before it is read,
// so that a bad file is refused with a message instead of being half read.
#pragma once

#include <string>

namespace orvex::model {

/// Vertex file: a count, a header real, count×4 reals, then one word. On success stores
/// the vertex count. Errors are "<problem>" without the path.
bool checkVertexText(const std::string& text, int* vertexCount, std::string* error);

/// Polygon file: a count, then per polygon a vertex count of at least 3 and that many
/// vertex numbers, each between 1 and vertexCount.
bool checkPolygonText(const std::string& text, int vertexCount, std::string* error);

/// Normals file: a count, a header real, count×4 reals, none of the normals zero.
bool checkNormalsText(const std::string& text, std::string* error);

}  // namespace orvex::model
