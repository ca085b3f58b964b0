// The shipped model library: a table of names, families, constructions and the counts
// each model must have, and the way to build every row.
#pragma once

#include <string>
#include <vector>

#include "tools/gen/polytope.h"

namespace orvex::gen {

struct LibraryEntry {
  std::string name, family, construction;
  int vertices = 0, edges = 0, polygons = 0, cells = 0;
};

/// Reads the tab-separated table (name, family, construction, V, E, F, C; '#' lines are
/// comments). On failure "<path>:<line>: <problem>" or "Cannot open <path>".
bool readLibraryTable(const std::string& path, std::vector<LibraryEntry>* entries,
                      std::string* error);

/// Builds one row by its construction: "wythoff GROUP RINGS", "hull: ..." (the point set
/// named like the row), "{p}×{q}" or "n-gonal antiprism × segment".
bool buildLibraryEntry(const LibraryEntry& entry, Polytope* out, std::string* error);

/// A markdown page listing the models: name, family, construction and counts.
std::string libraryReadme(const std::vector<LibraryEntry>& entries);

}  // namespace orvex::gen
