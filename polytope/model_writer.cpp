#include "polytope/model_writer.h"

#include <cfloat>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "model/loader.h"
#include "base/output_file.h"
#include "base/printable.h"
#include "polytope/faces.h"
#include "polytope/geometry.h"
#include "polytope/model_check.h"
#include "polytope/normal_length.h"
#include "polytope/two_ways.h"

namespace orvex::polytope {
namespace {

void appendRow(std::string* out, const Vec4& v) {
  char row[4 * 32];
  char* at = row;
  for (int k = 0; k < 4; ++k) {
    at += writeReal(v[k], at);
    *at++ = k < 3 ? ' ' : '\n';
  }
  out->append(row, at - row);
}

#if defined(__cpp_lib_to_chars)
// The shortest decimal that reads back as v: its digits (no trailing zeros) and the
// exponent of the first, as a count of digits; 0 when v is not a normal double.
int shortestDigits(double v, char digits[20], int* exponent) {
  if (!(std::fabs(v) >= DBL_MIN) || !std::isfinite(v)) return 0;
  char form[32];
  char* end = std::to_chars(form, form + sizeof form, v, std::chars_format::scientific).ptr;
  *end = '\0';
  // form is "-d.ddde-XX": the digits, then the exponent of the first.
  const char* p = form + (v < 0);
  int count = 0;
  for (; *p != 'e'; ++p) {
    if (*p != '.') digits[count++] = *p;
  }
  // The exponent: a sign and at least two digits.
  const bool negative = *++p == '-';
  int e = 0;
  for (++p; *p; ++p) e = 10 * e + (*p - '0');
  *exponent = negative ? -e : e;
  return count;
}

// The digits set out as printf's %.<precision>g sets out a value with exactly those
// significant digits; returns the length written to out.
int layOut(bool negative, const char* digits, int count, int exponent, int precision, char* out) {
  char* start = out;
  if (negative) *out++ = '-';
  if (exponent >= -4 && exponent < precision) {
    // Fixed: the point after digit exponent + 1, zeros before or after as needed.
    if (exponent < 0) {
      *out++ = '0';
      *out++ = '.';
      for (int k = -1; k > exponent; --k) *out++ = '0';
      for (int k = 0; k < count; ++k) *out++ = digits[k];
    } else {
      for (int k = 0; k <= exponent; ++k) *out++ = k < count ? digits[k] : '0';
      if (count > exponent + 1) {
        *out++ = '.';
        for (int k = exponent + 1; k < count; ++k) *out++ = digits[k];
      }
    }
  } else {
    *out++ = digits[0];
    if (count > 1) {
      *out++ = '.';
      for (int k = 1; k < count; ++k) *out++ = digits[k];
    }
    out += std::snprintf(out, 8, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  }
  return static_cast<int>(out - start);
}

// Whether the shortest digits of v, when there are 16 or 17 of them, are what %.16g or
// %.17g gives. Those round v to the nearest, and the shortest digits are the nearest that
// read back, so the two differ only at a tie, which needs v's exact decimal to end one
// digit later (v a multiple of 2^-25, the coarsest such a decimal can be, below 1e15), or
// for 16 digits when v is a power of two, whose lower neighbour is nearer.
bool shortestIsPrintfs(double v, int count) {
  if (!(std::fabs(v) < 1e15)) return false;
  const double scaled = std::ldexp(v, 25);
  if (scaled == std::trunc(scaled)) return false;
  int exponent = 0;
  return count == 17 || std::fabs(std::frexp(v, &exponent)) != 0.5;
}
#endif

}  // namespace

int writeReal(double v, char* text) {
  if (v == 0.0) {
    text[0] = '0';
    return 1;
  }
#if defined(__cpp_lib_to_chars)
  // Up to 15 shortest digits are what %.15g gives (for a normal double they lie within
  // half an ulp of v, far inside half a step of the fifteenth digit); 16 or 17 are what
  // %.16g or %.17g gives but at the ties shortestIsPrintfs rules out, and fewer than 16 or
  // 17 would have done.
  char digits[20];
  int exponent = 0;
  const int shortest = shortestDigits(v, digits, &exponent);
  if (shortest > 0 && shortest <= 15) return layOut(v < 0, digits, shortest, exponent, 15, text);
  if (shortest > 0 && shortestIsPrintfs(v, shortest)) {
    return layOut(v < 0, digits, shortest, exponent, shortest, text);
  }
  // Formatted and read as printf's %.*g and strtod do, several times faster.
  char* end = text;
  for (int digits = std::max(15, shortest); digits <= 17; ++digits) {
    end = std::to_chars(text, text + 31, v, std::chars_format::general, digits).ptr;
    double back = 0.0;
    const std::from_chars_result read = std::from_chars(text, end, back);
    if (read.ec == std::errc() && back == v) break;
  }
  *end = '\0';
  return static_cast<int>(end - text);
#else
  int length = 0;
  for (int digits = 15; digits <= 17; ++digits) {
    length = std::snprintf(text, 32, "%.*g", digits, v);
    if (std::strtod(text, nullptr) == v) break;
  }
  return length;
#endif
}

std::string formatReal(double v) {
  char text[32];
  return std::string(text, writeReal(v, text));
}

bool checkModelName(const std::string& name, std::string* error) {
  bool ok = !name.empty() && name[0] != '-' && name != "." && name != "..";
  for (char c : name) ok = ok && c != '/' && !std::isspace(static_cast<unsigned char>(c));
  if (!ok) {
    *error = "model name '" + base::printable(name) +
             "' must be a plain file name (no '/', no spaces, not starting with '-', "
             "not . or ..)";
  } else if (name.size() > kMaxModelName) {
    ok = false;
    *error = "model name '" + base::printable(name, 20) + "' is " + std::to_string(name.size()) +
             " bytes long; at most " + std::to_string(kMaxModelName) + " fit a file name";
  }
  return ok;
}

bool writeTextFile(const std::string& path, const std::string& text, std::string* error) {
  return model::writeFilesWhole({{path, text}}, error);
}

namespace {

// The normals' lengths for p's vertices as the viewer will hold them: scaled so that
// vertex 0 has length 1. Only the vertices are copied.
bool lengthsAsLoaded(Polytope* p, std::vector<double>* lengths, std::string* problem) {
  std::vector<Vec4> given = p->vertices;
  const Vec4& first = given[0];
  const double s = 1.0 / std::sqrt(first.x * first.x + first.y * first.y + first.z * first.z +
                                   first.w * first.w);
  for (Vec4& v : p->vertices) v = s * v;
  const bool ok = normalLengths(*p, kRequiredMargin, lengths, problem);
  p->vertices.swap(given);
  return ok;
}

// Room for the longest rows: what is never written is never touched, so it costs no
// memory, and no text is copied as it grows.
constexpr size_t kLongestRow = 4 * 25;

// The rows of the normals of cells [begin, end), each at its written length.
void appendNormals(const Polytope& p, const std::vector<double>& lengths, int begin, int end,
                   std::string* text) {
  text->reserve(text->size() + kLongestRow * (end - begin));
  for (int c = begin; c < end; ++c) {
    appendRow(text, (lengths[c] / length(p.normals[c])) * p.normals[c]);
  }
}

std::string vertexFileText(const std::string& name, const Polytope& p) {
  std::string vertices = std::to_string(p.vertices.size()) + " 0\n";
  vertices.reserve(vertices.size() + kLongestRow * p.vertices.size() + name.size() + 8);
  for (const Vec4& v : p.vertices) appendRow(&vertices, v);
  vertices += name + ".nor\n";
  return vertices;
}

std::string polygonFileText(const Polytope& p) {
  std::string polygons = std::to_string(p.polygons.size()) + "\n";
  size_t numbers = 0;
  for (const auto& polygon : p.polygons) numbers += polygon.size() + 1;
  polygons.reserve(polygons.size() + 12 * numbers + p.polygons.size());
  char number[16];
  auto appendNumber = [&polygons, &number](size_t n) {
    polygons.append(number, std::to_chars(number, number + sizeof number, n).ptr - number);
    polygons += ' ';
  };
  for (const auto& polygon : p.polygons) {
    appendNumber(polygon.size());
    for (int v : polygon) appendNumber(static_cast<size_t>(v) + 1);
    polygons += '\n';
  }
  return polygons;
}

// The files' texts: vertices, polygons and normals, each normal at its written length,
// made on two threads: the first normals and the vertices on one, the polygons (whose
// numbers cost little) and the other normals on the other, so the rows split about evenly.
void formatModel(const std::string& name, const Polytope& p, const std::vector<double>& lengths,
                 std::string* vertexText, std::string* polygonText, std::string* normalText) {
  const int cells = p.cells();
  const int split = std::max(0, (cells - static_cast<int>(p.vertices.size())) / 2);
  std::string rest;
  together(
      [&] {
        *normalText = std::to_string(cells) + " 0\n";
        normalText->reserve(normalText->size() + kLongestRow * cells);
        appendNormals(p, lengths, 0, split, normalText);
        *vertexText = vertexFileText(name, p);
      },
      [&] {
        *polygonText = polygonFileText(p);
        appendNormals(p, lengths, split, cells, &rest);
      });
  *normalText += rest;
}

}  // namespace

model::TextSource filesSource(const std::vector<model::OutputFile>& files) {
  return [&files](const std::string& path, std::string* text) {
    for (const model::OutputFile& f : files) {
      if (f.path == path) {
        *text = f.bytes;
        return true;
      }
    }
    return false;
  };
}

void putFarthestFirst(Polytope* p, std::vector<int>* order) {
  const int n = static_cast<int>(p->vertices.size());
  order->resize(n);
  for (int v = 0; v < n; ++v) (*order)[v] = v;
  int farthest = 0;
  for (int v = 1; v < n; ++v) {
    if (length(p->vertices[v]) > length(p->vertices[farthest])) farthest = v;
  }
  // Vertices on one sphere differ in length only by rounding; vertex 0 then stays, so
  // the order the construction gave (and an exported model's) is kept.
  if (length(p->vertices[farthest]) <= (1.0 + 1e-12) * length(p->vertices[0])) return;
  // Swapping two vertices keeps every other number, so the files stay close to the order
  // the construction gave.
  std::swap(p->vertices[0], p->vertices[farthest]);
  std::swap((*order)[0], (*order)[farthest]);
  auto renumber = [farthest](int& v) { v = v == 0 ? farthest : v == farthest ? 0 : v; };
  for (auto& polygon : p->polygons) std::for_each(polygon.begin(), polygon.end(), renumber);
  for (auto& cell : p->cellVertices) {
    std::for_each(cell.begin(), cell.end(), renumber);
    std::sort(cell.begin(), cell.end());
  }
}

bool writeModel(const std::string& dir, const std::string& name, Polytope polytope,
                std::string* error, double requiredMargin) {
  WriteOptions options;
  options.requiredMargin = requiredMargin;
  return writeModel(dir, name, std::move(polytope), options, error);
}

namespace {

// The vertices as written: centred and scaled (unless keepCoordinates), a farthest one
// first (putFarthestFirst, order as there). False with writeModel's message when the
// viewer could not scale by vertex 0.
bool placeVertices(const std::string& name, bool keepCoordinates, Polytope* polytope,
                   std::vector<int>* order, std::string* error) {
  if (!keepCoordinates) {
    normalize(polytope);
    // Rounding noise about the centre is written as 0, so it neither shows nor carries a
    // sign; it is done before anything is measured, so the files hold what was checked.
    for (Vec4& v : polytope->vertices) {
      for (int k = 0; k < 4; ++k) {
        if (std::fabs(v[k]) < 1e-15) v[k] = 0.0;
      }
    }
  }
  putFarthestFirst(polytope, order);
  // The viewer scales by vertex 0's length, from its square: as given, that must be a
  // number, or every check would judge a model of zeros or infinities.
  const double squared = dot(polytope->vertices[0], polytope->vertices[0]);
  if (keepCoordinates && !(squared > 0.0 && std::isfinite(squared))) {
    *error = "not writing " + name + ": its farthest vertex is " +
             (squared > 0.0 ? "too far from the origin" : "at the origin or too near it") +
             " for the viewer to scale by its length; write it without --keep-coordinates";
    return false;
  }
  return true;
}

}  // namespace

bool modelFiles(const std::string& dir, const std::string& name, Polytope polytope,
                const WriteOptions& options, std::vector<model::OutputFile>* out,
                std::string* error) {
  if (!checkModelName(name, error)) return false;
  if (polytope.vertices.empty()) {
    *error = "not writing " + name + ": it has no vertices";
    return false;
  }
  std::vector<int> order;
  if (!placeVertices(name, options.keepCoordinates, &polytope, &order, error)) return false;
  std::vector<double> lengths;
  std::string problem;
  if (!lengthsAsLoaded(&polytope, &lengths, &problem)) {
    *error = "not writing " + name + ": " + problem;
    return false;
  }
  std::string vertexText, polygonText, normalText;
  formatModel(name, polytope, lengths, &vertexText, &polygonText, &normalText);

  // Each written vertex's row among the input points, for --map.
  std::string map;
  if (!options.mapPath.empty()) {
    for (int v : order) map += std::to_string(polytope.origin[v]) + "\n";
  }

  // The texts hold all that is written; the polytope's lists go before the check loads
  // a second copy of them.
  polytope = Polytope();
  // Normals first and the vertex file, which names them, last: the order the viewer reads.
  std::vector<model::OutputFile> files(3);
  files[0] = {model::normalsFilePath(dir, name + ".nor"), std::move(normalText)};
  files[1] = {model::polygonFilePath(dir, name), std::move(polygonText)};
  files[2] = {model::vertexFilePath(dir, name), std::move(vertexText)};
  if (!options.mapPath.empty()) files.push_back({options.mapPath, std::move(map)});
  if (options.order) *options.order = std::move(order);

  // Loaded from memory exactly as the viewer will load it from disk.
  const model::TextSource fromMemory = filesSource(files);
  ModelReport report;
  if (!checkModelFrom(fromMemory, dir, name, &report, &problem, options.requiredMargin)) {
    if (problem.rfind(name + ": ", 0) == 0) problem.erase(0, name.size() + 2);
    *error = "not writing " + name + ": " + problem;
    return false;
  }
  *out = std::move(files);
  return true;
}

bool writeModel(const std::string& dir, const std::string& name, Polytope polytope,
                const WriteOptions& options, std::string* error) {
  std::vector<model::OutputFile> files;
  if (!modelFiles(dir, name, std::move(polytope), options, &files, error)) return false;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    *error = dir + ": cannot create the directory: " + ec.message();
    return false;
  }
  return model::writeFilesWhole(files, error);
}

}  // namespace orvex::polytope
