#include "polytope/off4.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "base/number_text.h"
#include "base/printable.h"
#include "base/regular_file.h"
#include "base/word_lines.h"
#include "polytope/geometry.h"
#include "polytope/model_writer.h"

namespace orvex::polytope {
namespace {

using Line = base::WordLine;

// A number too small for a normal double (1e-310) is still that number; one too large
// is refused with the infinities.
bool parseReal(const std::string& word, double* v) {
  const std::optional<double> r = base::wholeReal(word);
  if (r) *v = *r;
  return r.has_value();
}

bool parseCount(const std::string& word, long* v) {
  const std::optional<long> r = base::wholeInteger(word);
  if (!r || *r < 0 || *r > 100000000) return false;
  *v = *r;
  return true;
}

// Reads rows of "k i0 ... i(k-1)" whose entries number items below limit.
bool parseIndexRows(const std::vector<Line>& lines, size_t* at, long rows, long limit, int least,
                    const char* what, const char* itemWhat, const std::string& path,
                    std::vector<std::vector<int>>* out, std::string* error) {
  for (long r = 0; r < rows; ++r, ++*at) {
    auto fail = [&](const std::string& problem) {
      int number = *at < lines.size() ? lines[*at].number : lines.back().number;
      *error = path + ":" + std::to_string(number) + ": " + what + " " + std::to_string(r) + " " +
               problem;
      return false;
    };
    if (*at >= lines.size()) return fail("is missing");
    const auto& words = lines[*at].words;
    long k = 0;
    if (!parseCount(words[0], &k) || k < least) {
      return fail("must start with a count of at least " + std::to_string(least));
    }
    if (static_cast<long>(words.size()) < k + 1) {
      return fail("has fewer than the " + std::to_string(k) + " entries it announces");
    }
    std::vector<int> row;
    for (long i = 1; i <= k; ++i) {
      long v = 0;
      if (!parseCount(words[i], &v) || v >= limit) {
        return fail("refers to " + std::string(itemWhat) + " '" + base::printable(words[i]) +
                    "', but there are " + std::to_string(limit));
      }
      row.push_back(static_cast<int>(v));
    }
    out->push_back(std::move(row));
  }
  return true;
}

}  // namespace

bool parseOff4(const std::string& text, const std::string& path, Off4* off, std::string* error) {
  std::vector<Line> lines;
  // As a file's reader drops it: text taken from elsewhere (an upload) may start so too.
  size_t pos = text.compare(0, 3, "\xef\xbb\xbf") == 0 ? 3 : 0;
  int number = 0;
  for (Line line; base::nextWordLine(text, &pos, &number, base::WordBreaks::kBlanks, &line);) {
    if (line.words[0][0] != '#') lines.push_back(line);
  }
  if (lines.empty() || lines[0].words[0] != "4OFF") {
    *error = path + ":1: not a 4OFF file (the first line must be 4OFF)";
    return false;
  }
  long counts[4] = {0, 0, 0, 0};
  bool ok = lines.size() > 1 && lines[1].words.size() >= 4;
  for (int i = 0; ok && i < 4; ++i) ok = parseCount(lines[1].words[i], &counts[i]);
  if (!ok) {
    *error = path + ":" + std::to_string(lines.size() > 1 ? lines[1].number : 1) +
             ": expected the counts 'V F E C'";
    return false;
  }
  Off4 result;
  size_t at = 2;
  for (long i = 0; i < counts[0]; ++i, ++at) {
    Vec4 v;
    bool good = at < lines.size() && lines[at].words.size() >= 4;
    for (int k = 0; good && k < 4; ++k) good = parseReal(lines[at].words[k], &v[k]);
    if (!good) {
      int number = at < lines.size() ? lines[at].number : lines.back().number;
      *error = path + ":" + std::to_string(number) + ": vertex " + std::to_string(i) +
               (at < lines.size() ? " is not four finite numbers" : " is missing");
      return false;
    }
    result.vertices.push_back(v);
  }
  if (!parseIndexRows(lines, &at, counts[1], counts[0], 3, "polygon", "vertex", path,
                      &result.polygons, error) ||
      !parseIndexRows(lines, &at, counts[3], counts[1], 4, "cell", "polygon", path, &result.cells,
                      error)) {
    return false;
  }
  if (at < lines.size()) {
    *error = path + ":" + std::to_string(lines[at].number) + ": a row after the last of the " +
             std::to_string(counts[3]) + " cells the counts announce";
    return false;
  }
  *off = std::move(result);
  return true;
}

bool readOff4File(const std::string& path, Off4* off, std::string* error) {
  // The first line is judged before the rest is read: a file that is no 4OFF at all is
  // refused at once, however large.
  std::string start;
  if (base::readFileStart(path, 4096, &start) == base::FileRead::kRead) {
    size_t pos = 0;
    int number = 0;
    Line line;
    // A line cut off by the end of the start is not judged.
    while (base::nextWordLine(start, &pos, &number, base::WordBreaks::kBlanks, &line) &&
           pos <= start.size()) {
      if (line.words[0][0] == '#') continue;
      if (line.words[0] != "4OFF") return parseOff4(start.substr(0, pos), path, off, error);
      break;
    }
  }
  std::string text;
  return base::readInputFile(path, &text, error) && parseOff4(text, path, off, error);
}

std::string formatOff4(const Off4& off) {
  std::set<std::pair<int, int>> edges;
  for (const auto& polygon : off.polygons) {
    for (size_t i = 0; i < polygon.size(); ++i) {
      int a = polygon[i], b = polygon[(i + 1) % polygon.size()];
      edges.insert({std::min(a, b), std::max(a, b)});
    }
  }
  std::ostringstream out;
  out << "4OFF\n# Vertices Polygons Edges Cells\n"
      << off.vertices.size() << ' ' << off.polygons.size() << ' ' << edges.size() << ' '
      << off.cells.size() << '\n';
  for (const Vec4& v : off.vertices) {
    out << formatReal(v.x) << ' ' << formatReal(v.y) << ' ' << formatReal(v.z) << ' '
        << formatReal(v.w) << '\n';
  }
  for (const auto* rows : {&off.polygons, &off.cells}) {
    for (const auto& row : *rows) {
      out << row.size();
      for (int i : row) out << ' ' << i;
      out << '\n';
    }
  }
  return out.str();
}

Off4 off4FromModel(const model::Model& m) {
  Off4 off;
  for (int i = 0; i < m.vertices->count; ++i) off.vertices.push_back((*m.vertices)[i]);
  auto copy = [](const model::IndexListArray& lists, std::vector<std::vector<int>>* rows) {
    for (int i = 0; i < lists.count; ++i) {
      rows->emplace_back(lists[i].data.get(), lists[i].data.get() + lists[i].count);
    }
  };
  copy(*m.polygons, &off.polygons);
  copy(*m.cellPolygons, &off.cells);
  return off;
}

bool polytopeFromOff4(const Off4& off, const std::string& path, Polytope* out, std::string* error) {
  Polytope result;
  result.vertices = off.vertices;
  result.polygons = off.polygons;
  // Scaled first by a power of two, which is exact, to coordinates below 1, as the hull
  // does: a polytope 1e155 or 1e-200 across then squares without overflow or underflow.
  double largest = 0.0;
  for (const Vec4& v : result.vertices) {
    for (int k = 0; k < 4; ++k) largest = std::max(largest, std::fabs(v[k]));
  }
  int exponent = 0;
  if (largest > 0.0 && std::isfinite(largest)) std::frexp(largest, &exponent);
  for (Vec4& v : result.vertices) {
    for (int k = 0; k < 4; ++k) v[k] = std::ldexp(v[k], -exponent);
  }
  const std::vector<Vec4>& vertices = result.vertices;
  const Vec4 centre = centroid(vertices);
  double scale = 0.0;
  for (const Vec4& v : vertices) scale = std::max(scale, length(v - centre));
  const double tol = 1e-7 * scale;
  for (size_t c = 0; c < off.cells.size(); ++c) {
    std::set<int> own;
    for (int f : off.cells[c]) own.insert(off.polygons[f].begin(), off.polygons[f].end());
    std::vector<Vec4> corners;
    for (int v : own) corners.push_back(vertices[v]);
    auto fail = [&](const std::string& problem) {
      *error = path + ": cell " + std::to_string(c) + " " + problem;
      return false;
    };
    if (affineRank(corners, tol) < 3) return fail("spans fewer than three dimensions");
    double values[4];
    Vec4 axes[4];
    principalAxes(corners, values, axes);
    Vec4 n = axes[0];
    const Vec4 middle = centroid(corners);
    if (dot(n, middle - centre) < 0) n = -1.0 * n;
    for (const Vec4& p : corners) {
      if (std::fabs(dot(n, p - middle)) > tol) return fail("is not flat");
    }
    if (!(dot(n, middle - centre) > tol)) return fail("has the polytope's centre on its plane");
    result.normals.push_back(n);
    result.cellVertices.emplace_back(own.begin(), own.end());
  }
  *out = std::move(result);
  return true;
}

}  // namespace orvex::polytope
