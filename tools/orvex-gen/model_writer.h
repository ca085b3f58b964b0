// Writing a polytope as the viewer's three model files, and the generator's other files.
#pragma once

#include <string>

#include "tools/orvex-gen/model_check.h"
#include "tools/orvex-gen/polytope.h"

namespace orvex::gen {

/// The longest model name: its polygon file "f<name>.cel" must fit a 255-byte file name.
constexpr size_t kMaxModelName = 250;

/// False with "model name '<name>' ..." unless name is a usable file name stem: not
/// empty, not "." or "..", no '/', no whitespace, not starting with '-', at most
/// kMaxModelName bytes.
bool checkModelName(const std::string& name, std::string* error);

/// A real as the model files hold it: %.15g, with magnitudes below 1e-12 written as 0
/// so that rounding noise neither shows nor carries a sign.
std::string formatReal(double v);

/// Writes text to the file at path, creating or truncating it. False with
/// "<path>: cannot write: <reason>" when opening, any write or the close fails (a full
/// disk, /dev/full), so that nothing reports success for data left in a buffer.
bool writeTextFile(const std::string& path, const std::string& text, std::string* error);

/// Writes <dir>/<name>.poi (the vertices, then the word "<name>.nor"), <dir>/f<name>.cel
/// and <dir>/<name>.nor, creating dir if needed. The vertices are first centred on
/// their centroid and scaled to circumradius 1, and the normals scaled to length 1.
/// The model is then loaded from memory as the viewer would load it and checked
/// (checkModelFrom); only a model that passes is written. The files go to temporaries in
/// dir that are renamed into place only when all three are complete, so on any failure
/// an existing model of that name stays exactly as it was. False with
/// "not writing <name>: <problem>" or "<path>: <problem>".
/// requiredMargin is the incidence margin the check demands (see model_check.h).
bool writeModel(const std::string& dir, const std::string& name, Polytope polytope,
                std::string* error, double requiredMargin = kRequiredMargin);

}  // namespace orvex::gen
