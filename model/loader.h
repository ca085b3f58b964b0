// Reading a polytope's three files from the data directory into a Model.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/model.h"

namespace orvex::model {

/// The three paths of a model: "<dir>/<name>.poi", "<dir>/f<name>.cel", and the
/// normals file "<dir>/<word>" named by the word after the vertices.
std::string vertexFilePath(const std::string& dataDir, const std::string& name);
std::string polygonFilePath(const std::string& dataDir, const std::string& name);
std::string normalsFilePath(const std::string& dataDir, const std::string& word);

/// The paths of the files a load of model `name` reads: the vertex and polygon files
/// and, when the vertex file can be read, the normals file it names.
std::vector<std::string> modelFilePaths(const std::string& dataDir, const std::string& name);

/// Reads one model file whole for a load: false when it cannot be read, with *refusal
/// "<path>: larger than 256 MiB, ..." when it is over kMaxInputBytes. A leading
/// byte-order mark is dropped (readTextFile).
bool readModelText(const std::string& path, std::string* text, std::string* refusal);

/// The largest coordinate a vertex may have once scaled (2^59): beyond it GL's floats could
/// overflow, and the vertex is refused as too far from the origin.
constexpr double kFarthestCoordinate = 0x1p59;

/// Loads model `name` from dataDir into *model and sizes *projectedVertices to one zero
/// entry per vertex. Scales the vertices so vertex 0 has length 1, derives cellVertices
/// and cellPolygons from the normals as written, then scales the normals to length 1.
/// On failure returns false with *error set to one line: "Cannot open file<path>" when a
/// file cannot be opened, otherwise "<path>: <problem>" (a file over kMaxInputBytes is
/// refused unread). Files read before the failure
/// stay in *model.
bool loadModel(const std::string& dataDir, const std::string& name, Model* model,
               Vec3List* projectedVertices, std::string* error);

/// Supplies the whole text of the file at path; false when it cannot be opened.
using TextSource = std::function<bool(const std::string& path, std::string* text)>;

/// loadModel with the files' texts taken from source instead of the disk, so that a model
/// can be loaded exactly as the viewer would before it is written.
bool loadModelFrom(const TextSource& source, const std::string& dataDir, const std::string& name,
                   Model* model, Vec3List* projectedVertices, std::string* error);

/// loadModelFrom without the incidence: the files read and checked, the vertices scaled
/// and *projectedVertices sized, but cellVertices, cellPolygons and cellClosed left as
/// they were and the normals as written, for a caller that derives the incidence itself.
bool readModelFrom(const TextSource& source, const std::string& dataDir, const std::string& name,
                   Model* model, Vec3List* projectedVertices, std::string* error);

}  // namespace orvex::model
