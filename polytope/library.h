// The shipped model library: a table of names, families, constructions and the counts
// each model must have, and the way to build every row.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "polytope/polytope.h"

namespace orvex::polytope {

struct LibraryEntry {
  std::string name, family, construction;
  int vertices = 0, edges = 0, polygons = 0, cells = 0;
  /// The optional columns: the order of the symmetry group, the 4-volume and the
  /// circumradius for unit edge, the dual's row; 0 and "" where the table has "-" or
  /// stops at the counts.
  unsigned long long symmetry = 0;
  double unitVolume = 0.0, unitCircumradius = 0.0;
  std::string dual;
};

/// Reads the tab-separated table (name, family, construction, V, E, F, C, then either
/// nothing or symmetry, volume, circumradius and dual, each "-" where unknown; '#' lines
/// are comments; a CR before a line end is dropped). On failure "<path>:<line>:
/// <problem>" (also for a family that is not one of kLibraryFamilies, and for a name used
/// twice) or, as base::readInputFile, "Cannot open <path>" when it is not a readable regular
/// file.
bool readLibraryTable(const std::string& path, std::vector<LibraryEntry>* entries,
                      std::string* error);

/// readLibraryTable on the table's text; path names it in messages.
bool parseLibraryTable(const std::string& text, const std::string& path,
                       std::vector<LibraryEntry>* entries, std::string* error);

/// The text of data/polytopes.tsv as this program was built with it.
const char* shippedLibraryTable();

/// The families a table row may have, space-separated.
extern const char* const kLibraryFamilies;

/// True for the families whose polytopes are uniform (every edge one length, every vertex
/// on one sphere): all but "dual".
bool isUniformFamily(const std::string& family);

/// Polytopes already built, by row name.
using BuiltRows = std::map<std::string, Polytope>;

/// Builds one row by its construction: "wythoff GROUP RINGS", "hull: ..." (the point set
/// named like the row), "{p}×{q}", "n-gonal antiprism × segment", or "dual NAME", the
/// polar dual of row NAME, which must come earlier in table. When built is not null, a row
/// that a dual row names is kept there once built, and taken from there when asked again.
bool buildLibraryEntry(const LibraryEntry& entry, const std::vector<LibraryEntry>& table,
                       BuiltRows* built, Polytope* out, std::string* error);

/// Runs make(row, built) on every row of table not named in except, on up to two threads.
/// A row and the rows that dualise it, directly or through other duals, go to one thread
/// in table order with one BuiltRows, so each original is built once. make returns "" or
/// a message; the first message in table order is the failure, after which no new group
/// is started. *made counts the rows make passed.
bool forEachLibraryRow(const std::vector<LibraryEntry>& table,
                       const std::vector<std::string>& except,
                       const std::function<std::string(const LibraryEntry&, BuiltRows*)>& make,
                       int* made, std::string* error);

/// A markdown page listing the models: name, family, construction and counts.
std::string libraryReadme(const std::vector<LibraryEntry>& entries);

}  // namespace orvex::polytope
