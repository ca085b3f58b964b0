#include "tools/gen/model_writer.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/loader.h"
#include "tools/gen/faces.h"
#include "tools/gen/geometry.h"

namespace orvex::gen {
namespace {

void writeRow(std::ostream& out, const Vec4& v) {
  out << formatReal(v.x) << ' ' << formatReal(v.y) << ' ' << formatReal(v.z) << ' '
      << formatReal(v.w) << '\n';
}

bool writeFile(const std::string& path, const std::string& text, std::string* error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out << text;
  if (out) out.close();
  if (!out) {
    *error = path + ": cannot write: " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

bool checkModelName(const std::string& name, std::string* error) {
  bool ok = !name.empty() && name[0] != '-';
  for (char c : name) ok = ok && c != '/' && !std::isspace(static_cast<unsigned char>(c));
  if (!ok) {
    *error = "model name '" + name +
             "' must be a plain file name (no '/', no spaces, not starting with '-')";
  }
  return ok;
}

std::string formatReal(double v) {
  if (std::fabs(v) < 1e-12) return "0";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15g", v);
  return buffer;
}

bool writeModel(const std::string& dir, const std::string& name, Polytope polytope,
                std::string* error) {
  if (!checkModelName(name, error)) return false;
  normalize(&polytope);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    *error = dir + ": cannot create the directory: " + ec.message();
    return false;
  }

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
  for (const Vec4& n : polytope.normals) writeRow(normals, (1.0 / norm(n)) * n);

  return writeFile(model::vertexFilePath(dir, name), vertices.str(), error) &&
         writeFile(model::polygonFilePath(dir, name), polygons.str(), error) &&
         writeFile(model::normalsFilePath(dir, name + ".nor"), normals.str(), error);
}

}  // namespace orvex::gen
