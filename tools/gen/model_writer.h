// Writing a polytope as the viewer's three model files.
#pragma once

#include <string>

#include "tools/gen/polytope.h"

namespace orvex::gen {

/// False with "model name '<name>' ..." unless name is a usable file name stem: not
/// empty, no '/', no whitespace, not starting with '-'.
bool checkModelName(const std::string& name, std::string* error);

/// A real as the model files hold it: %.15g, with magnitudes below 1e-12 written as 0
/// so that rounding noise neither shows nor carries a sign.
std::string formatReal(double v);

/// Writes <dir>/<name>.poi (the vertices, then the word "<name>.nor"), <dir>/f<name>.cel
/// and <dir>/<name>.nor, creating dir if needed. The vertices are first centred on
/// their centroid and scaled to circumradius 1, and the normals scaled to length 1.
/// False with "<path>: <problem>" when a file cannot be written.
bool writeModel(const std::string& dir, const std::string& name, Polytope polytope,
                std::string* error);

}  // namespace orvex::gen
