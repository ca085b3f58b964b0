// The orvex-render command line: the viewer's settings and switches, plus the output,
// the size, the view (turn increments, repeated like a spin) and the projection.
#pragma once

#include <string>
#include <vector>

#include "config/settings.h"
#include "export/mesh_writers.h"
#include "export/vector_figure.h"
#include "render/picture_style.h"
#include "render/facing.h"
#include "render/picture_style.h"
#include "view4d/projections.h"
#include "view4d/transform4.h"

namespace orvex::render_tool {

/// One rotation increment and how many times it is applied in a row.
struct TurnStep {
  view4d::PlaneAngles increment;
  int repeat = 1;
};

/// --section and --section-to: the hyperplane w = from, or a sweep of them to `to`;
/// --sweep N: N cuts strictly between the polytope's least and greatest w.
struct SectionOptions {
  bool on = false;     // draw the section instead of the projection
  bool sweep = false;  // --section-to or --sweep given: --frames pictures, w stepping
  int inside = 0;      // --sweep N: N, with from and to set to the span once it is known
  double from = 0.0, to = 0.0;
  std::string fromText, toText;  // as the user wrote them, for the printed line
  /// --section-normal: the levels are n·x in the model's own coordinates, the cut
  /// starting from the frame whose w axis is n (turns then apply as usual).
  bool alongNormal = false;
  model::Vec4 normal;
};

/// What -o writes, from its extension: numbered PNG files (also for a name without an
/// extension), one animated GIF, or one video.
enum class OutputKind { kPng, kGif, kMp4, kWebm };

/// The most rotation increments all --turn and --repeat together may apply: far beyond
/// any spin anyone watches, and a few seconds of work.
constexpr long kMaxIncrements = 1000000;

/// -o FILE.stl, .obj, .ply, .glb or .3mf (a 3D model) or .svg or .pdf (a vector figure),
/// written instead of pictures, and the options only they take.
struct ExportOptions {
  bool mesh = false;
  exporting::MeshFormat meshFormat = exporting::MeshFormat::kStl;
  bool figure = false;
  exporting::FigureFormat figureFormat = exporting::FigureFormat::kSvg;
  double printSize = 100.0;  // millimetres, the model's longest side
  bool printSizeGiven = false;
  bool struts = false;       // the drawn edges and vertices as bars and balls
  double strutRadius = 0.0;  // millimetres; 0: 1% of the print size
};
/// The most memory orvex-render lets a picture take, by pictureMemory's estimate.
constexpr double kMaxPictureMemory = 3.0 * (1 << 30);

struct RenderOptions {
  config::Settings settings;  // orvex.cfg, then the viewer's switches and model name
  std::string output = "orvex.png";
  int size = 0;                 // 0: settings.width
  std::vector<TurnStep> turns;  // applied in order to the rotation, from the identity
  int frames = 0;               // 0: one picture at output; N: a numbered spin sequence
  view4d::Projection projection = view4d::Projection::kOrtho;
  double distance = 3.0;  // perspective: eye on the viewing axis at this w
  SectionOptions section;
  OutputKind outputKind = OutputKind::kPng;
  std::vector<int> spinPlanes;  // --spin: slots (0..5) each turned once around over the frames
  int fps = 25;                 // GIF and video frame rate
  render::PictureStyle style;
  bool transparent = false;  // --background transparent: PNG with alpha
  int aa = 1;                // --aa: N × N samples a pixel
  bool facingOn = false;     // --facing: turn a cell, polygon, edge or vertex to face
  render::Facing facing = render::Facing::kCell;  // the viewer before any --turn
  bool oblique = false;   // --view oblique: the explorer's opening turn comes first
  bool schlegel = false;  // --projection schlegel (projection is then kPerspective)
  int pole = -1;          // --pole cell N: cell N - 1; -1: the cell facing the viewer
  bool label = false;     // --label: a section's w and counts written into the picture
  ExportOptions exported;
};

enum class RenderAction { kRun, kHelp, kVersion, kError };

/// Applies the arguments after argv[0] to *options, whose settings already hold the
/// configuration file's values. On kError, *error is one line naming the argument.
RenderAction parseRenderOptions(int argc, const char* const* argv, RenderOptions* options,
                                std::string* error);

/// Parses "xy,xz,yz,xw,yw,zw": six finite reals in radians, or in degrees with the
/// suffix "deg" ("45deg"). False on anything else.
/// Parses "a,b,c,d": four finite reals, not all zero. False on anything else.
bool parseNormal(const std::string& text, model::Vec4* normal);

bool parsePlaneAngles(const std::string& text, view4d::PlaneAngles* angles);

/// The memory, in bytes, drawing and writing options' pictures takes, as measured with
/// Mesa's software renderer and this system's encoders: the drawn picture (--size times
/// --aa across) and its copies, and the encoder's or the GIF's own.
double pictureMemory(const RenderOptions& options);

/// The output kind for name's extension (case ignored); false for one it cannot write.
bool outputKindOf(const std::string& name, OutputKind* kind);

/// Parses "xw" or "xw,yz": plane names, each once, into slots. False on anything else.
bool parseSpinPlanes(const std::string& text, std::vector<int>* slots);

/// The name of frame `number` (from 1) of a sequence written for output: "-NNNN"
/// before the extension, so "spin.png" gives "spin-0001.png".
std::string frameFileName(const std::string& output, int number);

/// The --help text.
std::string renderUsageText(const std::string& defaultDataDir);

}  // namespace orvex::render_tool
