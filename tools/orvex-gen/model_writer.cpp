#include "tools/orvex-gen/model_writer.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "model/loader.h"
#include "model/output_file.h"
#include "model/printable.h"
#include "tools/orvex-gen/faces.h"
#include "tools/orvex-gen/geometry.h"
#include "tools/orvex-gen/model_check.h"

namespace orvex::gen {
namespace {

void writeRow(std::ostream& out, const Vec4& v) {
  out << formatReal(v.x) << ' ' << formatReal(v.y) << ' ' << formatReal(v.z) << ' '
      << formatReal(v.w) << '\n';
}

}  // namespace

bool checkModelName(const std::string& name, std::string* error) {
  bool ok = !name.empty() && name[0] != '-' && name != "." && name != "..";
  for (char c : name) ok = ok && c != '/' && !std::isspace(static_cast<unsigned char>(c));
  if (!ok) {
    *error = "model name '" + model::printable(name) +
             "' must be a plain file name (no '/', no spaces, not starting with '-', "
             "not . or ..)";
  } else if (name.size() > kMaxModelName) {
    ok = false;
    *error = "model name '" + model::printable(name, 20) + "' is " + std::to_string(name.size()) +
             " bytes long; at most " + std::to_string(kMaxModelName) + " fit a file name";
  }
  return ok;
}

std::string formatReal(double v) {
  if (std::fabs(v) < 1e-12) return "0";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15g", v);
  return buffer;
}

bool writeTextFile(const std::string& path, const std::string& text, std::string* error) {
  return model::writeFilesWhole({{path, text}}, error);
}

bool writeModel(const std::string& dir, const std::string& name, Polytope polytope,
                std::string* error, double requiredMargin) {
  if (!checkModelName(name, error)) return false;
  normalize(&polytope);

  std::ostringstream vertices;
  vertices << polytope.vertices.size() << " 0\n";
  for (const Vec4& v : polytope.vertices) writeRow(vertices, v);
  vertices << name << ".nor\n";

  std::ostringstream polygons;
  polygons << polytope.polygons.size() << '\n';
  for (const auto& polygon : polytope.polygons) {
    polygons << polygon.size() << ' ';
    for (int v : polygon) polygons << v + 1 << ' ';
    polygons << '\n';
  }

  std::ostringstream normals;
  normals << polytope.normals.size() << " 0\n";
  for (const Vec4& n : polytope.normals) writeRow(normals, (1.0 / length(n)) * n);

  // Normals first and the vertex file, which names them, last: the order the viewer reads.
  std::vector<model::OutputFile> files = {
      {model::normalsFilePath(dir, name + ".nor"), normals.str()},
      {model::polygonFilePath(dir, name), polygons.str()},
      {model::vertexFilePath(dir, name), vertices.str()},
  };

  // Loaded from memory exactly as the viewer will load it from disk.
  auto fromMemory = [&files](const std::string& path, std::string* text) {
    for (const model::OutputFile& f : files) {
      if (f.path == path) {
        *text = f.bytes;
        return true;
      }
    }
    return false;
  };
  ModelReport report;
  std::string problem;
  if (!checkModelFrom(fromMemory, dir, name, &report, &problem, requiredMargin)) {
    if (problem.rfind(name + ": ", 0) == 0) problem.erase(0, name.size() + 2);
    *error = "not writing " + name + ": " + problem;
    return false;
  }

  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    *error = dir + ": cannot create the directory: " + ec.message();
    return false;
  }
  return model::writeFilesWhole(files, error);
}

}  // namespace orvex::gen
