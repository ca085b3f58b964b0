#include "model/loader.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/incidence.h"
#include "model/model_text_check.h"
#include "base/regular_file.h"

namespace orvex::model {
namespace {

bool slurp(const std::string& path, std::string* text) {
  return base::readTextFile(path, text) == base::FileRead::kRead;
}

bool cannotOpen(const std::string& path, std::string* error) {
  *error = "Cannot open file" + path;
  return false;
}

bool refuse(const std::string& path, const std::string& problem, std::string* error) {
  *error = path + ": " + problem;
  return false;
}

// Reads the vertex file's text into *vertices and returns the normals file name after it.
std::string readVertexText(const std::string& text, Vec4Table* vertices) {
  std::istringstream in(text);
  vertices->read(in);
  std::string word;
  in >> word;
  return word;
}

}  // namespace

std::vector<std::string> modelFilePaths(const std::string& dataDir, const std::string& name) {
  std::vector<std::string> paths{vertexFilePath(dataDir, name), polygonFilePath(dataDir, name)};
  std::string text, problem;
  int vertexCount = 0;
  if (slurp(paths[0], &text) && checkVertexText(text, &vertexCount, &problem)) {
    Vec4Table vertices;
    paths.push_back(normalsFilePath(dataDir, readVertexText(text, &vertices)));
  }
  return paths;
}

std::string vertexFilePath(const std::string& dataDir, const std::string& name) {
  return dataDir + "/" + name + ".poi";
}

std::string polygonFilePath(const std::string& dataDir, const std::string& name) {
  return dataDir + "/f" + name + ".cel";
}

std::string normalsFilePath(const std::string& dataDir, const std::string& word) {
  return dataDir + "/" + word;
}

bool readModelText(const std::string& path, std::string* text, std::string* refusal) {
  switch (base::readTextFile(path, text)) {
    case base::FileRead::kRead:
      return true;
    case base::FileRead::kTooLong:
      *refusal = path + ": larger than " + base::sizeLimitText(base::kMaxInputBytes) +
                 ", the most a model file may hold; not read";
      return false;
    case base::FileRead::kNotRegular:
    case base::FileRead::kCannotOpen:
      break;
  }
  return false;
}

bool loadModel(const std::string& dataDir, const std::string& name, Model* model,
               Vec3List* projectedVertices, std::string* error) {
  std::string refusal;
  auto fromDisk = [&refusal](const std::string& path, std::string* text) {
    return readModelText(path, text, &refusal);
  };
  if (loadModelFrom(fromDisk, dataDir, name, model, projectedVertices, error)) return true;
  if (!refusal.empty()) *error = refusal;
  return false;
}

namespace {

// Reads and checks the vertex file into model->vertices (as read, not yet scaled); sets the
// vertex count and the normals file's word.
bool readVertexFile(const TextSource& source, const std::string& path, Model* model,
                    int* vertexCount, std::string* normalsWord, std::string* error) {
  std::string text, problem;
  if (!source(path, &text)) return cannotOpen(path, error);
  // The checks read every number already; their values are taken rather than read a
  // second time, unless some real was not in the plain form both readers agree on.
  auto readVertices = std::make_unique<Vec4Table>();
  CheckedVertices checked;
  checked.vertices = readVertices.get();
  if (!checkVertexText(text, vertexCount, &problem, &checked)) return refuse(path, problem, error);
  model->vertices.reset();
  if (!checked.plain) checked.word = readVertexText(text, readVertices.get());
  model->vertices = std::move(readVertices);
  *normalsWord = checked.word;
  return true;
}

bool readPolygonFile(const TextSource& source, const std::string& path, int vertexCount,
                     Model* model, std::string* error) {
  std::string text, problem;
  if (!source(path, &text)) return cannotOpen(path, error);
  auto polygons = std::make_unique<IndexListArray>();
  if (!checkPolygonText(text, vertexCount, &problem, polygons.get())) {
    return refuse(path, problem, error);
  }
  model->polygons.reset();
  model->polygons = std::move(polygons);
  return true;
}

// Reads and checks the normals file into model->cellNormals, as written.
bool readNormalsFile(const TextSource& source, const std::string& path, Model* model,
                     std::string* error) {
  std::string text, problem;
  if (!source(path, &text)) return cannotOpen(path, error);
  auto cellNormals = std::make_unique<Vec4Table>();
  bool plain = false;
  if (!checkNormalsText(text, &problem, cellNormals.get(), &plain)) {
    return refuse(path, problem, error);
  }
  if (!plain) {
    std::istringstream in(text);
    cellNormals->read(in);
  }
  model->cellNormals.reset();
  model->cellNormals = std::move(cellNormals);
  return true;
}

// Lengths whose squares underflow or overflow would scale everything to zero or
// infinity: a wrong picture, so such files are refused like a zero length.
bool checkScalableLengths(const Vec4Table& vertices, const Vec4Table& normals,
                          const std::string& vertexPath, const std::string& normalsPath,
                          std::string* error) {
  const double squared = dot(vertices[0], vertices[0]);
  if (!(squared > 0.0 && std::isfinite(squared))) {
    return refuse(vertexPath, "vertex 0 is at the origin or too far from it to scale", error);
  }
  for (int c = 0; c < normals.count; ++c) {
    const double n2 = dot(normals[c], normals[c]);
    if (!(n2 > 0.0 && std::isfinite(n2))) {
      return refuse(
          normalsPath,
          "the normal of cell " + std::to_string(c) + " is too short or too long to scale", error);
    }
  }
  return true;
}

// Every vertex, not only vertex 0: each is turned, offset and handed to GL in floats,
// which a vertex far beyond vertex 0 overflows, and then nothing at all is drawn (Mesa
// draws nothing from 1e38). Within 2^59 per coordinate a vertex, however turned, stays
// within 2^60, and its products with a clip plane (held within 2^60 too) within floats.
// One that comes out tiny is drawn at the origin, where it belongs. Checked on copies so
// a refusal scales nothing.
bool checkDrawableAfterScaling(const Vec4Table& vertices, double s, const std::string& vertexPath,
                               std::string* error) {
  for (int i = 0; i < vertices.count; ++i) {
    Vec4 scaled = vertices[i];
    scaled.scale(s);
    bool drawable = true;
    for (int k = 0; k < 4; ++k) drawable = drawable && std::fabs(scaled[k]) <= kFarthestCoordinate;
    if (!drawable) {
      return refuse(vertexPath,
                    "vertex " + std::to_string(i) +
                        " is too far from the origin to scale by the length of vertex 0",
                    error);
    }
  }
  return true;
}

// Incidence runs on the normals as written: their lengths scale its tolerance.
void deriveIncidence(Model* model) {
  model->cellVertices.reset();
  model->cellVertices = std::make_unique<IndexListArray>();
  deriveCellVertices(*model->cellNormals, *model->vertices, model->cellVertices.get());
  model->cellPolygons.reset();
  model->cellPolygons = std::make_unique<IndexListArray>();
  deriveCellPolygons(*model->polygons, *model->cellVertices, 0, model->cellPolygons.get());
  model->cellClosed = closedCells(*model->cellPolygons, *model->polygons);
}

}  // namespace

bool loadModelFrom(const TextSource& source, const std::string& dataDir, const std::string& name,
                   Model* model, Vec3List* projectedVertices, std::string* error) {
  if (!readModelFrom(source, dataDir, name, model, projectedVertices, error)) return false;
  deriveIncidence(model);
  Vec4Table& normals = *model->cellNormals;
  for (int c = 0; c < normals.count; ++c) {
    normals[c].scale(1.0 / std::sqrt(dot(normals[c], normals[c])));
  }
  return true;
}

bool readModelFrom(const TextSource& source, const std::string& dataDir, const std::string& name,
                   Model* model, Vec3List* projectedVertices, std::string* error) {
  const std::string vertexPath = vertexFilePath(dataDir, name);
  int vertexCount = 0;
  std::string normalsWord;
  if (!readVertexFile(source, vertexPath, model, &vertexCount, &normalsWord, error)) return false;
  if (!readPolygonFile(source, polygonFilePath(dataDir, name), vertexCount, model, error)) {
    return false;
  }
  const std::string normalsPath = normalsFilePath(dataDir, normalsWord);
  if (!readNormalsFile(source, normalsPath, model, error)) return false;

  Vec4Table& vertices = *model->vertices;
  if (!checkScalableLengths(vertices, *model->cellNormals, vertexPath, normalsPath, error)) {
    return false;
  }
  const double squared = dot(vertices[0], vertices[0]);
  const double s = 1.0 / std::sqrt(squared);
  if (!checkDrawableAfterScaling(vertices, s, vertexPath, error)) return false;
  for (int i = 0; i < vertices.count; ++i) vertices[i].scale(s);
  model->scale = std::sqrt(squared);
  projectedVertices->resize(vertices.count);
  return true;
}

}  // namespace orvex::model
