// Reading a file of 4D points for the hull.
#pragma once

#include <string>
#include <vector>

#include "model/vec.h"

namespace orvex::polytope {

/// Reads a points file in any of these forms: a 4OFF file (its vertices); a count line
/// then that many rows; qhull's form (a dimension line "4", then a count line, then the
/// rows); or rows alone, with one header line allowed. A row is four numbers separated by
/// spaces, tabs or commas; blank lines are skipped. Rows are numbered from 0 in file
/// order. On failure "<path>: line 7: <problem>" (more or fewer rows than a stated
/// count, a row that is not four numbers, a number too large for a double), or "Cannot
/// open <path>". NaN and infinity are read as given; the hull refuses them.
bool readPointsFile(const std::string& path, std::vector<model::Vec4>* points, std::string* error);

}  // namespace orvex::polytope
