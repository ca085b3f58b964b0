// The orvex-render command line: the viewer's settings and switches, plus the output,
// the size, the view (turn increments, repeated like a spin) and the projection.
#pragma once

#include <string>
#include <vector>

#include "config/settings.h"
#include "view4d/projections.h"
#include "view4d/transform4.h"

namespace orvex::render_tool {

/// One rotation increment and how many times it is applied in a row.
struct TurnStep {
  view4d::PlaneAngles increment;
  int repeat = 1;
};

/// --section and --section-to: the hyperplane w = from, or a sweep of them to `to`.
struct SectionOptions {
  bool on = false;     // draw the section instead of the projection
  bool sweep = false;  // --section-to given: --frames pictures from `from` to `to`
  double from = 0.0, to = 0.0;
  std::string fromText, toText;  // as the user wrote them, for the printed line
};

struct RenderOptions {
  config::Settings settings;          // orvex.cfg, then the viewer's switches and model name
  std::string output = "orvex.png";
  int size = 0;                    // 0: settings.width
  std::vector<TurnStep> turns;     // applied in order to the rotation, from the identity
  int frames = 0;                  // 0: one picture at output; N: a numbered spin sequence
  view4d::Projection projection = view4d::Projection::kOrtho;
  double distance = 3.0;           // perspective: eye on the viewing axis at this w
  SectionOptions section;
};

enum class RenderAction { kRun, kHelp, kVersion, kError };

/// Applies the arguments after argv[0] to *options, whose settings already hold the
/// configuration file's values. On kError, *error is one line naming the argument.
RenderAction parseRenderOptions(int argc, const char* const* argv, RenderOptions* options,
                                std::string* error);

/// Parses "xy,xz,yz,xw,yw,zw": six finite reals in radians. False on anything else.
bool parsePlaneAngles(const std::string& text, view4d::PlaneAngles* angles);

/// The name of frame `number` (from 1) of a sequence written for output: "-NNNN"
/// before the extension, so "spin.png" gives "spin-0001.png".
std::string frameFileName(const std::string& output, int number);

/// The --help text.
std::string renderUsageText(const std::string& defaultDataDir);

}  // namespace orvex::render_tool
