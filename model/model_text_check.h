// Checks that a model file's text holds what its counts announce, before it is read,
// so that a bad file is refused with a message instead of being half read.
#pragma once

#include <string>

#include "model/lists.h"

namespace orvex::model {

/// What checkVertexText read, for a loader that takes it instead of reading the text a
/// second time: the vertices (with the header), filled as Vec4Table::read fills them
/// whenever every real is plain, which from_chars reads whole to the same double as the
/// stream reader (in the browser build always: there they are the native reader's values,
/// which its own stream reader does not give for a value out of range); and the word after
/// them.
struct CheckedVertices {
  Vec4Table* vertices = nullptr;
  bool plain = false;
  std::string word;
};

/// Vertex file: a count, a header real, count×4 reals, then one word. On success stores
/// the vertex count, and fills *read when given. Errors are "<problem>" without the path.
bool checkVertexText(const std::string& text, int* vertexCount, std::string* error,
                     CheckedVertices* read = nullptr);

/// Polygon file: a count, then per polygon a vertex count of at least 3 and that many
/// vertex numbers, each between 1 and vertexCount. On success *polygons, when given,
/// holds them as IndexListArray::read gives them (integers read as strtol reads them).
bool checkPolygonText(const std::string& text, int vertexCount, std::string* error,
                      IndexListArray* polygons = nullptr);

/// Normals file: a count, a header real, count×4 reals, none of the normals zero. On
/// success *normals, when given, holds them as Vec4Table::read gives them if *plain is
/// set (see CheckedVertices).
bool checkNormalsText(const std::string& text, std::string* error, Vec4Table* normals = nullptr,
                      bool* plain = nullptr);

}  // namespace orvex::model
