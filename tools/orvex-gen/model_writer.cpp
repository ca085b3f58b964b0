#include "tools/orvex-gen/model_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "model/loader.h"
#include "tools/orvex-gen/faces.h"
#include "tools/orvex-gen/geometry.h"
#include "tools/orvex-gen/model_check.h"

namespace orvex::gen {
namespace {

void writeRow(std::ostream& out, const Vec4& v) {
  out << formatReal(v.x) << ' ' << formatReal(v.y) << ' ' << formatReal(v.z) << ' '
      << formatReal(v.w) << '\n';
}

// Writes all of text to fd and closes it; errno is kept from the first failure.
bool writeAndClose(int fd, const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      const int saved = errno;
      ::close(fd);
      errno = saved;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return ::close(fd) == 0;
}

// A new file beside target with a short name of its own (target's name may be near the
// 255-byte limit), opened for writing. -1 with errno on failure.
int createTemporary(const std::string& dir, std::string* path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    *path = dir + "/.orvex-gen-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
    int fd = ::open(path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

struct ModelFile {
  std::string path, text, temporary;
};

// Writes every file to a temporary and renames them into place only once all are
// complete; on failure removes the temporaries and leaves the targets untouched.
bool replaceFiles(const std::string& dir, std::vector<ModelFile>* files, std::string* error) {
  for (const ModelFile& f : *files) {
    std::error_code ec;
    auto status = std::filesystem::status(f.path, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
      *error = f.path + ": exists and is not a regular file, so it is not replaced";
      return false;
    }
  }
  auto removeTemporaries = [&] {
    for (ModelFile& f : *files) {
      if (!f.temporary.empty()) ::unlink(f.temporary.c_str());
      f.temporary.clear();
    }
  };
  for (ModelFile& f : *files) {
    std::string temporary;
    int fd = createTemporary(dir, &temporary);
    if (fd < 0) {
      *error = f.path + ": cannot write: " + std::strerror(errno);
      removeTemporaries();
      return false;
    }
    f.temporary = temporary;
    if (!writeAndClose(fd, f.text)) {
      *error = f.path + ": cannot write: " + std::strerror(errno);
      removeTemporaries();
      return false;
    }
  }
  for (ModelFile& f : *files) {
    if (std::rename(f.temporary.c_str(), f.path.c_str()) != 0) {
      *error = f.path + ": cannot write: " + std::strerror(errno);
      removeTemporaries();
      return false;
    }
    f.temporary.clear();
  }
  return true;
}

}  // namespace

bool checkModelName(const std::string& name, std::string* error) {
  bool ok = !name.empty() && name[0] != '-' && name != "." && name != "..";
  for (char c : name) ok = ok && c != '/' && !std::isspace(static_cast<unsigned char>(c));
  if (!ok) {
    *error = "model name '" + name +
             "' must be a plain file name (no '/', no spaces, not starting with '-', "
             "not . or ..)";
  } else if (name.size() > kMaxModelName) {
    ok = false;
    *error = "model name '" + name.substr(0, 20) + "...' is " + std::to_string(name.size()) +
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
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0 || !writeAndClose(fd, text)) {
    *error = path + ": cannot write: " + std::strerror(errno);
    return false;
  }
  return true;
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
  std::vector<ModelFile> files = {
      {model::normalsFilePath(dir, name + ".nor"), normals.str(), ""},
      {model::polygonFilePath(dir, name), polygons.str(), ""},
      {model::vertexFilePath(dir, name), vertices.str(), ""},
  };

  // Loaded from memory exactly as the viewer will load it from disk.
  auto fromMemory = [&files](const std::string& path, std::string* text) {
    for (const ModelFile& f : files) {
      if (f.path == path) {
        *text = f.text;
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
  return replaceFiles(dir, &files, error);
}

}  // namespace orvex::gen
