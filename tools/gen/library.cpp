#include "tools/gen/library.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/gen/coxeter.h"
#include "tools/gen/hull.h"
#include "tools/gen/point_sets.h"
#include "tools/gen/prisms.h"
#include "tools/gen/wythoff.h"

namespace orvex::gen {

bool readLibraryTable(const std::string& path, std::vector<LibraryEntry>* entries,
                      std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "Cannot open " + path;
    return false;
  }
  std::vector<LibraryEntry> result;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream columns(line);
    for (std::string f; std::getline(columns, f, '\t');) fields.push_back(f);
    LibraryEntry e;
    bool ok = fields.size() == 7;
    if (ok) {
      e.name = fields[0];
      e.family = fields[1];
      e.construction = fields[2];
      int* counts[4] = {&e.vertices, &e.edges, &e.polygons, &e.cells};
      for (int k = 0; ok && k < 4; ++k) {
        size_t used = 0;
        try {
          *counts[k] = std::stoi(fields[3 + k], &used);
        } catch (const std::exception&) {
          used = 0;
        }
        ok = used == fields[3 + k].size() && used > 0;
      }
    }
    if (!ok) {
      *error = path + ":" + std::to_string(number) +
               ": expected name, family, construction and four counts, tab-separated";
      return false;
    }
    result.push_back(e);
  }
  *entries = std::move(result);
  return true;
}

bool buildLibraryEntry(const LibraryEntry& entry, Polytope* out, std::string* error) {
  const std::string& how = entry.construction;
  char group[16] = {}, rings[16] = {};
  int p = 0, q = 0;
  if (std::sscanf(how.c_str(), "wythoff %15s %15s", group, rings) == 2) {
    CoxeterGroup g;
    bool r[4];
    if (!coxeterGroup(group, &g)) {
      *error = entry.name + ": unknown group '" + group + "'";
      return false;
    }
    return parseRings(rings, r, error) && wythoff(g, r, out, error);
  }
  std::vector<Vec4> points;
  if (how.rfind("hull:", 0) == 0) {
    if (!namedPoints(entry.name, &points)) {
      *error = entry.name + ": no point set of that name for its hull";
      return false;
    }
  } else if (std::sscanf(how.c_str(), "{%d}×{%d}", &p, &q) == 2 && p >= 3 && q >= 3) {
    return duoprism(p, q, out, error);
  } else if (std::sscanf(how.c_str(), "%d-gonal antiprism", &p) == 1 && p >= 3) {
    return antiprismPrism(p, out, error);
  } else {
    *error = entry.name + ": unknown construction '" + how + "'";
    return false;
  }
  return convexHull(points, out, error);
}

std::string libraryReadme(const std::vector<LibraryEntry>& entries) {
  std::ostringstream out;
  out << "# The model library\n\n"
      << "These models are generated at build time by `orvex-gen library data/polytopes.tsv`\n"
      << "into the build tree's model directory (`share/orvex/models`); only `c8` is\n"
      << "committed. Open one with `orvex NAME`. V, E, F and C count vertices, edges,\n"
      << "polygons and cells.\n\n"
      << "| name | family | construction | V | E | F | C |\n"
      << "|---|---|---|---:|---:|---:|---:|\n";
  for (const LibraryEntry& e : entries) {
    out << "| " << e.name << " | " << e.family << " | " << e.construction << " | " << e.vertices
        << " | " << e.edges << " | " << e.polygons << " | " << e.cells << " |\n";
  }
  return out.str();
}

}  // namespace orvex::gen
