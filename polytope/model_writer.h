// Writing a polytope as the viewer's three model files, and the generator's other files.
#pragma once

#include <string>
#include <vector>

#include "base/output_file.h"
#include "model/loader.h"
#include "polytope/model_check.h"
#include "polytope/polytope.h"

namespace orvex::polytope {

/// The longest model name: its polygon file "f<name>.cel" must fit a 255-byte file name.
constexpr size_t kMaxModelName = 250;

/// False with "model name '<name>' ..." unless name is a usable file name stem: not
/// empty, not "." or "..", no '/', no whitespace, not starting with '-', at most
/// kMaxModelName bytes.
bool checkModelName(const std::string& name, std::string* error);

/// A real as the model files hold it: the shortest of %.15g, %.16g and %.17g that reads
/// back as the same double.
std::string formatReal(double v);
/// formatReal into text, which holds at least 32 characters; returns the length written.
int writeReal(double v, char* text);

/// Writes text to the file at path whole or not at all (model::writeFilesWhole): through a
/// symlink to the file it names, never over what is not a regular file, and on any
/// failure (a full disk) with the old file as it was. False with "<path>: ..." then.
bool writeTextFile(const std::string& path, const std::string& text, std::string* error);

/// Renumbers the vertices so that vertex 0 is one farthest from the origin, to 1e-12
/// relative (the viewer scales vertex 0 to length 1, so the whole polytope then fits its
/// frame), by swapping it with vertex 0. order receives, for each new vertex number, the number it
/// had.
void putFarthestFirst(Polytope* p, std::vector<int>* order);

struct WriteOptions {
  /// The incidence margin the check demands (see model_check.h).
  double requiredMargin = kRequiredMargin;
  /// Writes the coordinates as given instead of centred and scaled to circumradius 1.
  bool keepCoordinates = false;
  /// When set, receives for each written vertex its number in the given polytope.
  std::vector<int>* order = nullptr;
  /// When not empty, the map file written with the model, in the same whole-or-nothing
  /// batch: line k + 1 holds polytope.origin of written vertex k (its input row).
  std::string mapPath;
};

/// Writes <dir>/<name>.poi (the vertices, then the word "<name>.nor"), <dir>/f<name>.cel
/// and <dir>/<name>.nor, creating dir if needed. The vertices are first centred on
/// their centroid and scaled to circumradius 1 (unless options.keepCoordinates), and a
/// farthest vertex becomes vertex 0 (putFarthestFirst). Each normal is written at length
/// 1 where its cell clears the viewer's incidence rule by kRequiredMargin, and longer
/// where it needs to (normalLengths).
/// With options.keepCoordinates, coordinates whose squared length the viewer cannot
/// form (beyond about 1e154, or so small it vanishes) are refused.
/// The model is then loaded from memory as the viewer would load it and checked
/// (checkModelFrom); only a model that passes is written, with the map file if asked,
/// by model::writeFilesWhole, so on any failure, a rename failing part-way or a crash
/// included, an existing model of that name (and map) stays exactly as it was. False with
/// "not writing <name>: <problem>" or "<path>: <problem>".
/// requiredMargin is the incidence margin the check demands (see model_check.h).
bool writeModel(const std::string& dir, const std::string& name, Polytope polytope,
                std::string* error, double requiredMargin = kRequiredMargin);
/// The texts of files as a loader's source: what the loader would read from disk once
/// they are written. files must outlive the source.
model::TextSource filesSource(const std::vector<model::OutputFile>& files);

/// What writeModel would write, checked, without writing it: the three files in the
/// order written (normals, polygons, vertices). False with writeModel's messages.
bool modelFiles(const std::string& dir, const std::string& name, Polytope polytope,
                const WriteOptions& options, std::vector<model::OutputFile>* files,
                std::string* error);
bool writeModel(const std::string& dir, const std::string& name, Polytope polytope,
                const WriteOptions& options, std::string* error);

}  // namespace orvex::polytope
