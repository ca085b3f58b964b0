#include "tools/gen/hull.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

#include "tools/gen/faces.h"
#include "tools/gen/geometry.h"
#include "tools/gen/off4.h"

namespace orvex::gen {

bool readPointsFile(const std::string& path, std::vector<Vec4>* points, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  if (in) all << in.rdbuf();
  // A directory opens on Linux but reads as nothing.
  if (!in || in.bad() || std::filesystem::is_directory(path)) {
    *error = "Cannot open " + path;
    return false;
  }
  const std::string text = all.str();
  std::istringstream words(text);
  std::string first;
  words >> first;
  if (first == "4OFF") {
    Off4 off;
    if (!parseOff4(text, path, &off, error)) return false;
    *points = off.vertices;
    return true;
  }
  char* end = nullptr;
  errno = 0;
  long count = std::strtol(first.c_str(), &end, 10);
  if (first.empty() || *end != '\0' || errno == ERANGE || count < 0 || count > 100000000) {
    *error = path + ": expected a point count or 4OFF, found '" + first.substr(0, 40) + "'";
    return false;
  }
  std::vector<Vec4> result;
  for (long i = 0; i < count; ++i) {
    Vec4 p;
    for (int k = 0; k < 4; ++k) {
      std::string word;
      if (!(words >> word)) {
        *error = path + ": point " + std::to_string(i) + " is missing (the count says " +
                 std::to_string(count) + ")";
        return false;
      }
      errno = 0;
      p[k] = std::strtod(word.c_str(), &end);
      // NaN and infinity parse, and are refused later with the degenerate inputs.
      if (*end != '\0' || errno == ERANGE) {
        *error = path + ": point " + std::to_string(i) + " has '" + word.substr(0, 40) +
                 "', which is not a number";
        return false;
      }
    }
    result.push_back(p);
  }
  *points = std::move(result);
  return true;
}

bool convexHull(const std::vector<Vec4>& input, Polytope* out, std::string* error) {
  for (size_t i = 0; i < input.size(); ++i) {
    for (int k = 0; k < 4; ++k) {
      if (!std::isfinite(input[i][k])) {
        *error = "point " + std::to_string(i) + " has a coordinate that is not finite";
        return false;
      }
    }
  }
  double scale = 0.0;
  Vec4 centre = centroid(input);
  for (const Vec4& p : input) scale = std::max(scale, norm(p - centre));
  // Duplicates would only make qhull work harder.
  std::vector<Vec4> points;
  PointIndex index(1e-10 * (scale > 0 ? scale : 1.0));
  for (const Vec4& p : input) {
    if (index.findOrAdd(p, static_cast<int>(points.size())) < 0) points.push_back(p);
  }
  if (points.size() < 5) {
    *error = "a hull needs at least 5 distinct points, got " + std::to_string(points.size());
    return false;
  }
  if (affineRank(points, 1e-9 * scale) < 4) {
    *error = "all points lie in one hyperplane, so they bound no 4D polytope";
    return false;
  }

  std::vector<coordT> coords;
  for (const Vec4& p : points) {
    for (int k = 0; k < 4; ++k) coords.push_back(p[k]);
  }
  qhT context;
  qhT* qh = &context;
  // qhull reports through a FILE; its words go to a scratch file, our message to the user.
  FILE* messages = std::tmpfile();
  qh_zero(qh, messages);
  // Pre-merging facets that are coplanar within the tolerance keeps a cell of rounded
  // points in one piece.
  char options[64];
  std::snprintf(options, sizeof options, "qhull C-%.3g", kHullTolerance * scale);
  int status = qh_new_qhull(qh, 4, static_cast<int>(points.size()), coords.data(), False, options,
                            nullptr, messages);
  std::vector<Vec4> directions;
  if (status == 0) {
    facetT* facet;
    FORALLfacets {
      Vec4 normal(facet->normal[0], facet->normal[1], facet->normal[2], facet->normal[3]);
      // A merged facet's normal is one piece's; the fit through all its vertices is the cell's.
      std::vector<Vec4> corners;
      vertexT *vertex, **vertexp;
      FOREACHvertex_(facet->vertices) {
        int id = qh_pointid(qh, vertex->point);
        if (id >= 0 && id < static_cast<int>(points.size())) corners.push_back(points[id]);
      }
      if (corners.size() >= 4) {
        double values[4];
        Vec4 axes[4];
        principalAxes(corners, values, axes);
        normal = dot(axes[0], normal) < 0 ? -1.0 * axes[0] : axes[0];
      }
      directions.push_back(normal);
    }
  }
  qh_freeqhull(qh, !qh_ALL);
  int curlong = 0, totlong = 0;
  qh_memfreeshort(qh, &curlong, &totlong);
  if (messages) std::fclose(messages);
  if (status != 0) {
    *error = "qhull failed with code " + std::to_string(status) +
             " (the points may be too close to degenerate)";
    return false;
  }
  // Cells are taken wider than qhull's rounding, so points given to six digits still
  // fall on their cells.
  return buildFaces(points, directions, kHullTolerance, out, error);
}

}  // namespace orvex::gen
