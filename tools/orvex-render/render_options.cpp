// orvex-render's command line, in this order: number, angle and list readers; one
// take* handler per option and the tables naming them; the checks across options;
// parseRenderOptions; pictureMemory and frameFileName; the --help text in sections.
#include "tools/orvex-render/render_options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/number_text.h"
#include "base/printable.h"
#include "offscreen/gif_writer.h"
#include "render/facing.h"
#include "tools/orvex-render/scene_export.h"

namespace orvex::render_tool {
namespace {

bool parseInt(const std::string& text, int lowest, int highest, int* value) {
  const std::optional<long> v = base::wholeInteger(text);
  if (!v || *v < lowest || *v > highest) return false;
  *value = static_cast<int>(*v);
  return true;
}

// Underflow is rounding, not failure: a subnormal, or zero, is the number nearest the one
// written. Overflow is refused with the infinities.
bool parseReal(const std::string& text, double* value) {
  const std::optional<double> v = base::wholeReal(text);
  if (v) *value = *v;
  return v.has_value();
}

// One angle: radians, or degrees when it ends in "deg".
bool parseAngle(const std::string& text, double* radians) {
  const std::string suffix = "deg";
  const bool degrees = text.size() > suffix.size() &&
                       text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
  if (!degrees) return parseReal(text, radians);
  double value = 0.0;
  if (!parseReal(text.substr(0, text.size() - suffix.size()), &value)) return false;
  *radians = value * (std::acos(-1.0) / 180.0);
  return std::isfinite(*radians);
}

// --sweep N replaces --section's own levels and --frames' count; it is checked once the
// whole line is read, so the options may come in any order.
bool settleSweep(RenderOptions* options, std::string* error) {
  SectionOptions& section = options->section;
  if (section.inside == 0) return true;
  if (section.on || section.sweep) {
    *error = "--sweep spans the whole polytope; it takes no --section or --section-to";
    return false;
  }
  if (options->frames != 0) {
    *error = "--sweep N makes N pictures; it takes no --frames";
    return false;
  }
  options->frames = section.inside;
  section.on = section.sweep = true;
  return true;
}

}  // namespace

bool parsePlaneAngles(const std::string& text, view4d::PlaneAngles* angles) {
  view4d::PlaneAngles parsed;
  size_t start = 0;
  for (int slot = 0; slot < 6; ++slot) {
    const size_t comma = text.find(',', start);
    const bool last = slot == 5;
    if (last != (comma == std::string::npos)) return false;
    const std::string field = text.substr(start, last ? std::string::npos : comma - start);
    if (!parseAngle(field, &parsed[slot])) return false;
    start = comma + 1;
  }
  *angles = parsed;
  return true;
}

bool parseNormal(const std::string& text, model::Vec4* normal) {
  model::Vec4 parsed;
  size_t start = 0;
  for (int k = 0; k < 4; ++k) {
    const size_t comma = text.find(',', start);
    const bool last = k == 3;
    if (last != (comma == std::string::npos)) return false;
    if (!parseReal(text.substr(start, last ? std::string::npos : comma - start), &parsed[k])) {
      return false;
    }
    start = comma + 1;
  }
  const double squared = model::dot(parsed, parsed);
  if (!(squared > 0.0 && std::isfinite(squared))) return false;
  *normal = parsed;
  return true;
}

bool parseSpinPlanes(const std::string& text, std::vector<int>* slots) {
  static const char* const kPlanes[6] = {"xy", "xz", "yz", "xw", "yw", "zw"};
  std::vector<int> parsed;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::string name = text.substr(start, comma == std::string::npos ? comma : comma - start);
    const auto found = std::find(kPlanes, kPlanes + 6, name);
    const int slot = static_cast<int>(found - kPlanes);
    if (slot == 6 || std::count(parsed.begin(), parsed.end(), slot) > 0) return false;
    parsed.push_back(slot);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  *slots = parsed;
  return true;
}

bool outputKindOf(const std::string& name, OutputKind* kind) {
  const size_t slash = name.rfind('/');
  const size_t dot = name.rfind('.');
  const size_t baseStart = slash == std::string::npos ? 0 : slash + 1;
  if (dot == std::string::npos || dot <= baseStart) {
    *kind = OutputKind::kPng;
    return true;
  }
  std::string extension = name.substr(dot + 1);
  for (char& ch : extension) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  static const std::pair<const char*, OutputKind> kKinds[] = {{"png", OutputKind::kPng},
                                                              {"gif", OutputKind::kGif},
                                                              {"mp4", OutputKind::kMp4},
                                                              {"webm", OutputKind::kWebm}};
  for (const auto& entry : kKinds) {
    if (extension == entry.first) {
      *kind = entry.second;
      return true;
    }
  }
  return false;
}

namespace {

// One option of the table: its handler takes the value (if it has one) and returns ""
// or the whole error line.
using Handler = std::string (*)(const std::string& arg, const std::string& value,
                                RenderOptions* options);
struct OptionRow {
  const char* name;
  const char* alias;
  Handler handle;
};

std::string needs(const std::string& arg, const std::string& value, const std::string& what) {
  return base::printable(arg) + " needs " + what + ", not '" + base::printable(value) + "'";
}

std::string takeOutput(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (value.empty() || value.back() == '/') return needs(arg, value, "a file name");
  ExportOptions& e = o->exported;
  e.mesh = exporting::meshFormatOf(value, &e.meshFormat);
  e.figure = exporting::figureFormatOf(value, &e.figureFormat);
  if (e.mesh || e.figure) {
    o->outputKind = OutputKind::kPng;
  } else if (!outputKindOf(value, &o->outputKind)) {
    return needs(arg, value,
                 "a file ending in .png, .gif, .mp4, .webm, .stl, .obj, .ply, .glb, .3mf, .svg "
                 "or .pdf");
  }
  // ".gif" alone names a hidden file with no extension, which would take PNG frames.
  const std::string base = value.substr(value.rfind('/') + 1);
  OutputKind hidden;
  if (base[0] == '.' && outputKindOf("x" + base, &hidden) &&
      base.find('.', 1) == std::string::npos && base.size() > 1) {
    return needs(arg, value, "a name before the extension " + base);
  }
  o->output = value;
  return "";
}

std::string takeSize(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (parseInt(value, 1, config::kMaxWidth, &o->size)) return "";
  return needs(arg, value,
               "a whole number of pixels from 1 to " + std::to_string(config::kMaxWidth));
}

std::string takeTurn(const std::string& arg, const std::string& value, RenderOptions* o) {
  TurnStep step;
  if (!parsePlaneAngles(value, &step.increment)) {
    return needs(arg, value, "six angles in radians (or with deg, degrees), xy,xz,yz,xw,yw,zw");
  }
  o->turns.push_back(step);
  return "";
}

std::string takeRepeat(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (o->turns.empty()) return "--repeat must follow the --turn it repeats";
  if (parseInt(value, 0, static_cast<int>(kMaxIncrements), &o->turns.back().repeat)) return "";
  return needs(arg, value, "a whole number from 0 to " + std::to_string(kMaxIncrements));
}

std::string takeFrames(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (parseInt(value, 1, 9999, &o->frames)) return "";
  return needs(arg, value, "a whole number from 1 to 9999");
}

std::string takeProjection(const std::string& arg, const std::string& value, RenderOptions* o) {
  o->schlegel = value == "schlegel";
  if (o->schlegel) {
    o->projection = view4d::Projection::kPerspective;
  } else if (value == "ortho") {
    o->projection = view4d::Projection::kOrtho;
  } else if (value == "perspective") {
    o->projection = view4d::Projection::kPerspective;
  } else if (value == "stereographic") {
    o->projection = view4d::Projection::kStereographic;
  } else if (value == "angle") {
    return "--projection angle is not offered: its angles jump by pi inside cells and tear "
           "every picture into slivers";
  } else {
    return needs(arg, value, "ortho, perspective, stereographic or schlegel");
  }
  return "";
}

std::string takeDistance(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (parseReal(value, &o->distance) && o->distance > 1.0) return "";
  return needs(arg, value, "a real greater than 1");
}

std::string takeSection(const std::string& arg, const std::string& value, RenderOptions* o) {
  const bool to = arg == "--section-to";
  if (!parseReal(value, to ? &o->section.to : &o->section.from)) {
    return needs(arg, value, "a real number, the w of the cutting hyperplane");
  }
  (to ? o->section.toText : o->section.fromText) = value;
  (to ? o->section.sweep : o->section.on) = true;
  return "";
}

std::string takeSectionNormal(const std::string& arg, const std::string& value,
                              RenderOptions* o) {
  if (!parseNormal(value, &o->section.normal)) {
    return needs(arg, value, "four reals a,b,c,d, not all zero: the normal in model coordinates");
  }
  o->section.alongNormal = true;
  return "";
}

std::string takeSweep(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (parseInt(value, 1, 9999, &o->section.inside)) return "";
  return needs(arg, value, "a whole number of sections from 1 to 9999");
}

std::string takeFacing(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (!render::parseFacing(value, &o->facing))
    return needs(arg, value, "cell, face, edge or vertex");
  o->facingOn = true;
  return "";
}

std::string takeSpin(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (parseSpinPlanes(value, &o->spinPlanes)) return "";
  return needs(arg, value, "planes among xy,xz,yz,xw,yw,zw, each once, such as xw or xw,yz");
}

std::string takeFps(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (parseInt(value, 1, 100, &o->fps)) return "";
  return needs(arg, value, "a whole number of frames a second from 1 to 100");
}

std::string takeCells(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (value != "all" && value != "facing") return needs(arg, value, "all or facing");
  o->style.allCells = value == "all";
  return "";
}

std::string takeEdges(const std::string&, const std::string&, RenderOptions* o) {
  o->style.edges = true;
  return "";
}

std::string takeVertices(const std::string&, const std::string&, RenderOptions* o) {
  o->style.vertices = true;
  return "";
}

std::string takeFit(const std::string&, const std::string&, RenderOptions* o) {
  o->style.fit = true;
  return "";
}

std::string takeZoom(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (parseReal(value, &o->style.zoom) && o->style.zoom >= 0.01 && o->style.zoom <= 100.0) {
    return "";
  }
  return needs(arg, value, "a real from 0.01 to 100");
}

std::string takeAa(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (parseInt(value, 1, 4, &o->aa)) return "";
  return needs(arg, value, "a whole number of samples across a pixel from 1 to 4");
}

std::string takeBackground(const std::string& arg, const std::string& value, RenderOptions* o) {
  o->transparent = value == "transparent";
  if (o->transparent || render::parseColour(value, o->style.background)) return "";
  return needs(arg, value, "#rrggbb, transparent or a colour name (white, black, grey, ...)");
}

std::string takeColourBy(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (value == "polygons") {
    o->style.colourBy = render::ColourBy::kPolygons;
  } else if (value == "kind") {
    o->style.colourBy = render::ColourBy::kKind;
  } else if (value == "cell") {
    o->style.colourBy = render::ColourBy::kCell;
  } else {
    return needs(arg, value, "polygons, kind or cell");
  }
  return "";
}

std::string takePrintSize(const std::string& arg, const std::string& value, RenderOptions* o) {
  o->exported.printSizeGiven = true;
  if (parseReal(value, &o->exported.printSize) && o->exported.printSize >= 1.0 &&
      o->exported.printSize <= 10000.0) {
    return "";
  }
  return needs(arg, value, "a length in millimetres from 1 to 10000");
}

std::string takeStrutRadius(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (parseReal(value, &o->exported.strutRadius) && o->exported.strutRadius >= 0.01 &&
      o->exported.strutRadius <= 1000.0) {
    return "";
  }
  return needs(arg, value, "a radius in millimetres from 0.01 to 1000");
}

std::string takeStruts(const std::string&, const std::string&, RenderOptions* o) {
  o->exported.struts = true;
  return "";
}

std::string takeWireframe(const std::string&, const std::string&, RenderOptions* o) {
  o->style.wireframe = true;
  return "";
}

std::string takeLabel(const std::string&, const std::string&, RenderOptions* o) {
  o->label = true;
  return "";
}

std::string takeOpacity(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (parseReal(value, &o->style.opacity) && o->style.opacity > 0.0 && o->style.opacity <= 1.0) {
    return "";
  }
  return needs(arg, value, "a real greater than 0 and at most 1");
}

std::string takeEdgeWidth(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (parseReal(value, &o->style.edgeWidth) && o->style.edgeWidth >= 0.25 &&
      o->style.edgeWidth <= 64.0) {
    return "";
  }
  return needs(arg, value, "a width in pixels from 0.25 to 64");
}

std::string takeExtend(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (parseReal(value, &o->settings.extendRate) && o->settings.extendRate >= 0.0 &&
      o->settings.extendRate <= 10.0) {
    return "";
  }
  return needs(arg, value, "a real from 0 to 10");
}

std::string takeView(const std::string& arg, const std::string& value, RenderOptions* o) {
  if (value != "oblique" && value != "start") return needs(arg, value, "oblique or start");
  o->oblique = value == "oblique";
  return "";
}

// --pole takes two words, "cell N"; applyOption hands them over joined by a space.
std::string takePole(const std::string& arg, const std::string& value, RenderOptions* o) {
  const std::string word = "cell ";
  int cell = 0;
  if (value.compare(0, word.size(), word) != 0 ||
      !parseInt(value.substr(word.size()), 1, 1 << 30, &cell)) {
    return needs(arg, value, "'cell N', N a cell's number from 1");
  }
  o->pole = cell - 1;
  return "";
}

// A null handler takes no value.
constexpr OptionRow kValueOptions[] = {
    {"--output", "-o", takeOutput},
    {"--size", nullptr, takeSize},
    {"--turn", nullptr, takeTurn},
    {"--repeat", nullptr, takeRepeat},
    {"--frames", nullptr, takeFrames},
    {"--projection", nullptr, takeProjection},
    {"--distance", nullptr, takeDistance},
    {"--section", nullptr, takeSection},
    {"--section-to", nullptr, takeSection},
    {"--section-normal", nullptr, takeSectionNormal},
    {"--sweep", nullptr, takeSweep},
    {"--facing", nullptr, takeFacing},
    {"--spin", nullptr, takeSpin},
    {"--fps", nullptr, takeFps},
    {"--cells", nullptr, takeCells},
    {"--zoom", nullptr, takeZoom},
    {"--aa", nullptr, takeAa},
    {"--background", nullptr, takeBackground},
    {"--colour-by", "--color-by", takeColourBy},
    {"--opacity", nullptr, takeOpacity},
    {"--edge-width", nullptr, takeEdgeWidth},
    {"--extend", nullptr, takeExtend},
    {"--view", nullptr, takeView},
    {"--pole", nullptr, takePole},
    {"--print-size", nullptr, takePrintSize},
    {"--strut-radius", nullptr, takeStrutRadius},
};
constexpr OptionRow kFlagOptions[] = {
    {"--edges", nullptr, takeEdges},
    {"--vertices", nullptr, takeVertices},
    {"--fit", nullptr, takeFit},
    {"--wireframe", nullptr, takeWireframe},
    {"--struts", nullptr, takeStruts},
    {"--label", nullptr, takeLabel},
};

template <size_t N>
const OptionRow* findOption(const OptionRow (&table)[N], const std::string& arg) {
  for (const OptionRow& row : table) {
    if (arg == row.name || (row.alias != nullptr && arg == row.alias)) return &row;
  }
  return nullptr;
}

// Applies argv[*i] (and its value); "" or the error line. *action is set for --help
// and --version.
std::string applyOption(int argc, const char* const* argv, int* i, RenderOptions* options,
                        RenderAction* action) {
  std::string arg = argv[*i];
  std::string value;
  bool hasInlineValue = false;
  if (arg.compare(0, 2, "--") == 0) {
    const size_t eq = arg.find('=');
    if (eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
      hasInlineValue = true;
    }
  }
  if (arg == "--help" || arg == "--version") {
    *action = arg == "--help" ? RenderAction::kHelp : RenderAction::kVersion;
    return "";
  }
  if (const OptionRow* flag = findOption(kFlagOptions, arg)) {
    if (hasInlineValue) return base::printable(arg) + " takes no value";
    return flag->handle(arg, value, options);
  }
  if (const OptionRow* option = findOption(kValueOptions, arg)) {
    if (!hasInlineValue) {
      if (*i + 1 >= argc) return base::printable(arg) + " needs a value";
      value = argv[++*i];
    }
    if (arg == "--pole") {
      if (*i + 1 >= argc) return "--pole needs 'cell N', N a cell's number from 1";
      value += std::string(" ") + argv[++*i];
    }
    return option->handle(arg, value, options);
  }
  if (arg.compare(0, 2, "--") == 0) {
    return "unknown option '" + base::printable(argv[*i]) + "' (see --help)";
  }
  if (arg.empty()) return "the model name is empty";
  // The viewer's own words go through its parser, so they mean exactly what they mean
  // to orvex, ignored switches included.
  *i = config::applyArgument(argc, argv, *i, &options->settings);
  return "";
}

// The rules between options, once all are read: "" or the error line.
std::string checkSectionAndFrames(const RenderOptions& o) {
  if (o.section.sweep && !o.section.on) return "--section-to needs a --section to start from";
  if (o.section.alongNormal && !o.section.on) {
    return "--section-normal needs a --section or a --sweep to cut with";
  }
  if (o.section.alongNormal && o.facingOn) {
    return "--section-normal sets the starting view; it takes no --facing";
  }
  if (o.section.sweep && o.frames == 0) {
    return "--section-to needs --frames N, the number of pictures in the sweep";
  }
  if (o.section.on && o.projection != view4d::Projection::kOrtho) {
    return std::string(o.section.inside > 0 ? "--sweep" : "--section") +
           " draws the cut in view coordinates; it takes no --projection";
  }
  const std::string sectionName = o.section.inside > 0 ? "--sweep" : "--section";
  if (o.section.on && (o.style.allCells || o.style.wireframe || o.style.opacity < 1.0)) {
    return sectionName + " draws the cut; it takes no --cells, --wireframe or --opacity";
  }
  if (o.label && !o.section.on) return "--label writes a section's w and counts; it needs "
                                       "--section or --sweep";
  if (o.style.wireframe && o.style.opacity < 1.0) {
    return "--wireframe draws no faces; it takes no --opacity";
  }
  if (o.pole >= 0 && !o.schlegel && o.projection != view4d::Projection::kStereographic) {
    return "--pole needs --projection schlegel or stereographic";
  }
  if (!o.spinPlanes.empty() && o.frames == 0)
    return "--spin needs --frames N to spread the turn over";
  if (o.frames > 0 && o.turns.empty() && o.spinPlanes.empty() && !o.section.sweep) {
    return "--frames needs a --turn or a --spin to spin by";
  }
  long increments = 0;
  for (const TurnStep& step : o.turns) increments += step.repeat;
  // A spin by the last turn applies it once more for every frame after the first.
  const bool spinByTurn = o.frames > 1 && o.spinPlanes.empty() && !o.section.sweep;
  const long spun = spinByTurn ? o.frames - 1 : 0;
  if (increments + spun > kMaxIncrements) {
    return "the turns add up to " + std::to_string(increments + spun) + " increments" +
           (spun > 0 ? " with the " + std::to_string(spun) + " of --frames" : "") + ", more than " +
           std::to_string(kMaxIncrements);
  }
  return "";
}

std::string checkOutputAndSize(RenderOptions* o) {
  if (o->size == 0) {
    if (o->settings.width < 1 || o->settings.width > config::kMaxWidth) {
      return "the Width setting " + std::to_string(o->settings.width) +
             " is not a size from 1 to " + std::to_string(config::kMaxWidth) + "; give --size";
    }
    o->size = o->settings.width;
  }
  if (o->size * o->aa > config::kMaxWidth) {
    return "--aa " + std::to_string(o->aa) + " at --size " + std::to_string(o->size) +
           " draws more than " + std::to_string(config::kMaxWidth) + " pixels across";
  }
  const bool video = o->outputKind == OutputKind::kMp4 || o->outputKind == OutputKind::kWebm;
  if (o->transparent && o->outputKind != OutputKind::kPng) {
    return "--background transparent needs a .png output";
  }
  if (video && o->size % 2 != 0) return "a video needs an even --size";
  if (o->outputKind == OutputKind::kGif && o->fps > offscreen::GifWriter::kMaxFps) {
    return "--fps " + std::to_string(o->fps) + ": a GIF shows at most " +
           std::to_string(offscreen::GifWriter::kMaxFps) +
           " frames a second (browsers slow faster ones down); use a video for more";
  }
  // A GIF keeps every frame until its palette is chosen: refuse before drawing.
  const size_t frameBytes = static_cast<size_t>(o->size) * o->size * 4;
  const size_t gifFrames = static_cast<size_t>(std::max(o->frames, 1));
  if (o->outputKind == OutputKind::kGif &&
      gifFrames * frameBytes > offscreen::GifWriter::kMaxFrameBytes) {
    return "a GIF of " + std::to_string(gifFrames) + " frames at --size " +
           std::to_string(o->size) + " needs more than 1 GiB; at most " +
           std::to_string(offscreen::GifWriter::kMaxFrameBytes / frameBytes) + " frames";
  }
  const double memory = pictureMemory(*o);
  if (memory > kMaxPictureMemory) {
    char amount[32];
    std::snprintf(amount, sizeof amount, "%.1f GiB", memory / (1 << 30));
    return "--size " + std::to_string(o->size) +
           (o->aa > 1 ? " with --aa " + std::to_string(o->aa) : "") + " needs about " + amount +
           " of memory to draw and write, more than the " +
           std::to_string(static_cast<int>(kMaxPictureMemory / (1 << 30))) +
           " GiB orvex-render allows; choose a smaller --size" + (o->aa > 1 ? " or --aa" : "");
  }
  return "";
}

}  // namespace

RenderAction parseRenderOptions(int argc, const char* const* argv, RenderOptions* options,
                                std::string* error) {
  for (int i = 1; i < argc; ++i) {
    RenderAction action = RenderAction::kRun;
    *error = applyOption(argc, argv, &i, options, &action);
    if (action != RenderAction::kRun) return action;
    if (!error->empty()) return RenderAction::kError;
  }
  if (!settleSweep(options, error)) return RenderAction::kError;
  *error = checkSectionAndFrames(*options);
  if (error->empty()) *error = checkOutputAndSize(options);
  if (error->empty()) *error = checkExportOptions(*options);
  return error->empty() ? RenderAction::kRun : RenderAction::kError;
}

double pictureMemory(const RenderOptions& o) {
  // Bytes a pixel, measured: the drawn picture with its depth buffer and read-back copy;
  // the two extra copies of a transparent one; the encoders' frames and look-ahead.
  constexpr double kFixed = 100.0 * (1 << 20), kDrawn = 14, kTransparent = 7, kMp4 = 28,
                   kWebm = 110, kGifFrame = 4;
  const double drawn = static_cast<double>(o.size) * o.aa * o.size * o.aa;
  const double pixels = static_cast<double>(o.size) * o.size;
  double bytes = kFixed + kDrawn * drawn + (o.transparent ? kTransparent * pixels : 0.0);
  switch (o.outputKind) {
    case OutputKind::kPng:
      break;
    case OutputKind::kGif:
      bytes += kGifFrame * pixels * std::max(o.frames, 1);
      break;
    case OutputKind::kMp4:
      bytes += kMp4 * pixels;
      break;
    case OutputKind::kWebm:
      bytes += kWebm * pixels;
      break;
  }
  return bytes;
}

std::string frameFileName(const std::string& output, int number) {
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "-%04d", number);
  const size_t slash = output.rfind('/');
  const size_t dot = output.rfind('.');
  const size_t baseStart = slash == std::string::npos ? 0 : slash + 1;
  // A leading dot names a hidden file; it does not start an extension.
  const bool hasExtension = dot != std::string::npos && dot > baseStart;
  if (!hasExtension) return output + suffix;
  return output.substr(0, dot) + suffix + output.substr(dot);
}

namespace {

// The --help text in sections, each a raw string so it reads as it prints.
// The synopsis, the outputs and the turns.
constexpr char kUsageRunAndTurns[] = R"(usage: orvex-render [MODEL] [-h|-s] [-c] [-o FILE] [--size N]
                    [--turn XY,XZ,YZ,XW,YW,ZW [--repeat N]]... [--frames N]
                    [--spin PLANES] [--fps N] [--projection KIND [--distance D]]
                    [--section W [--section-to W2 --frames N] | --sweep N]
                    [--section-normal A,B,C,D]
                    [--facing cell|face|edge|vertex] [--view oblique]
                    [--cells all] [--edges] [--vertices] [--colour-by HOW]
                    [--wireframe] [--opacity A] [--edge-width PX] [--extend R]
                    [--fit] [--zoom F] [--aa N] [--background COLOR] [--label]
                    [--pole cell N] [--print-size MM] [--struts [--strut-radius MM]]
Draws the picture the orvex viewer shows, without a window, into a PNG file,
an animated GIF or a video; or writes the scene as a 3D model or a vector figure.
Reads orvex.cfg from the current directory and takes MODEL, -h, -s, -c and
-n TITLE (ignored) exactly as orvex does: a one-dash switch is judged by its
second letter, and one-dash switches orvex does not know are ignored.
  -o, --output FILE   where to write (default orvex.png), by its extension:
                      .png (or none) PNG pictures; .gif one animated GIF that
                      loops forever; .mp4 (H.264) or .webm (VP9) one video;
                      .stl, .obj (with FILE.mtl), .ply, .glb (binary glTF) or
                      .3mf a 3D model; .svg or .pdf a vector figure.
                      Other extensions are refused. Written whole or not at
                      all (a sequence of frames together), through a symlink;
                      never over a device, directory, FIFO or the model's own
                      files. A picture needing more than about 3 GiB (--size
                      times --aa across at 14 bytes a pixel, plus 110 a pixel
                      for .webm, 28 for .mp4) is refused
  --size N            width and height in pixels (default: the Width setting);
                      even for a video
  --turn ANGLES       one rotation increment: six angles in radians (or in
                      degrees with a deg suffix, as 45deg) for the planes
                      xy,xz,yz,xw,yw,zw. Turns are applied in order from
                      the start-up view, as the viewer applies drag events.
                      A left drag moving the pointer dx pixels right and dy down
                      is 0,-0.005dx,0.005dy,0,0,0; another button's drag is
                      0,0,0,-0.005dx,0.005dy,0.
  --repeat N          apply the preceding --turn N times (default 1), as a spin
                      applies it once per frame; 0 skips it. All turns together,
                      with one a frame after the first, apply at most 1000000
                      increments
  --frames N          N pictures of a spin (1 to 9999): the view above, then the
                      last --turn applied once more for each next one. PNG
                      frames are numbered: FILE-0001.png, FILE-0002.png, ...
  --spin PLANES       with --frames N: a seamless loop, one whole turn in each
                      named plane (xw, or xw,yz for a double rotation) spread
                      over the N frames, starting from the turned view
  --fps N             frames a second of a GIF or video (default 25, at most 100;
                      a GIF at most 50, whole centiseconds that keep the total)
)";

// How the cells, edges and vertices are drawn.
constexpr char kUsageStyles[] = R"(Styles (the default is exactly the viewer's picture):
  --cells all         draw every cell, not only those facing the viewer in
                      four-space (--cells facing, the default)
  --edges             dark lines on the edges of the drawn cells, solid and of one
                      width, drawn in front of the faces they bound
  --edge-width PX     the edges' width in pixels of the picture (0.25 to 64;
                      default one pixel in 300 of --size, at least 1)
  --wireframe         no faces: every edge of the polytope once, where it
                      projects (no cell pushed out), with --vertices its dots
  --opacity A         glass cells: every polygon of the drawn cells, blended
                      farthest first with opacity A (above 0, at most 1), the
                      edges over them; --cells all shows the inner cells
  --extend R          how far cells are pushed out along their normals (0 to 10;
                      the ExtendRate setting, default 0.06); 0 keeps them joined
  --vertices          dots on the vertices of the drawn cells
  --colour-by HOW     polygons: the viewer's colour per polygon count (default);
                      kind: one colour per combinatorial kind of cell; cell:
                      every cell its own hue
  --fit               scale the picture so the drawn polytope fills the frame
                      (for an animation, every frame of it) with a small margin
  --zoom F            multiply the scale by F (0.01 to 100), after --fit
  --aa N              antialias: N x N samples a pixel (1 to 4)
  --background COLOR  #rrggbb or white, black, grey, lightgrey, darkgrey, navy:
                      the background and the colour cells fade to with depth;
                      transparent: a PNG with alpha, cells fading out instead
)";

// What the viewer itself cannot show: projections, sections, facing.
constexpr char kUsageExtensions[] = R"(Extensions (the viewer itself always projects orthographically):
  --projection KIND   ortho: drop w (default, the viewer's picture);
                      perspective: central projection from the eye on the
                      viewing axis at w = D; stereographic: from the far pole of
                      the unit 3-sphere, so the facing half fills the unit ball;
                      cells through that pole are left out; schlegel: the
                      Schlegel diagram, every cell drawn in perspective from
                      just beyond the pole cell, which frames all the others
                      (its polygons left open; cells not pushed out)
  --pole cell N       with schlegel: the pole cell, the Nth in the model's
                      files from 1 (default: the cell facing the viewer); with
                      stereographic: turn the projection's pole through cell N
  --distance D        the perspective eye's w, greater than 1 (default 3)
  --section W         draw the cross-section of the turned polytope with the
                      hyperplane w = W (view coordinates, after every turn)
                      instead of the projection, and print
                      "section w=W: V vertices, E edges, F faces"; faces in
                      --colour-by's colours, --edges and --vertices drawn
  --section-to W2     with --frames N: a sweep, N pictures with w stepping evenly
                      from W to W2, the view held where the turns left it
  --sweep N           N sections evenly spaced strictly between the least and
                      the greatest w of the polytope's vertices, numbered as
                      --frames numbers them: never an empty picture
  --section-normal A,B,C,D
                      cut by the hyperplane A·x + B·y + C·z + D·w = W in the
                      model file's own coordinates instead: the view starts
                      from a frame whose w axis is that normal, then turns;
                      W and W2 are in the model's units
  --facing KIND       before any --turn, turn the view so that the centre of a
                      cell, the centre of a polygon, the midpoint of an edge or
                      a vertex lies on the positive w axis; of them, the one
                      nearest in direction to the start-up view's w axis,
                      the first in the model's files among equals. With
                      --sweep: the cell-, face-, edge- or vertex-first sweep
  --label             with --section or --sweep: write w and the counts into
                      the picture's top left corner
  --view oblique      start from the explorer's opening view, turned so the
                      first picture shows depth, before --facing and --turn
                      (--view start, the default: the viewer's start-up view)
)";

// 3D models, vector figures, failures and where models are found.
constexpr char kUsageModelsAndFigures[] = R"(3D models (-o FILE.stl, .obj, .ply, .glb, .3mf) hold the scene as drawn: every
drawn cell a closed solid in its colour (always solid cells, whatever FillType;
no clip plane), with --section W the cut as one solid. Coordinates are the
scene's (x right, y up, z towards the viewer), centred, in millimetres:
  --print-size MM     the model's longest side (default 100)
  --struts            the drawn edges as round bars and the vertices as balls
                      (1.5 times as thick), separate overlapping parts that a
                      slicer joins; with a picture output, a picture of them
  --strut-radius MM   the bars' radius (default 1% of the print size)
Vector figures (-o FILE.svg, .pdf) draw the picture's view --size points across:
the same camera, fit, light, fog and background, polygons painted back to front,
edges and vertices over them. --aa has no effect on them.
  --label             with --section: write the section's line into the figure
  --help, --version
On a bad option, a model that cannot be loaded or no usable OpenGL, prints one
line on stderr, writes nothing and exits with status 1.
Models are looked up in the DataDir setting, by default )";

}  // namespace

std::string renderUsageText(const std::string& defaultDataDir) {
  return std::string(kUsageRunAndTurns) + kUsageStyles + kUsageExtensions + kUsageModelsAndFigures +
         defaultDataDir + "\n";
}

}  // namespace orvex::render_tool
