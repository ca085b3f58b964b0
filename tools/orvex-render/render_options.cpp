#include "tools/orvex-render/render_options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/printable.h"

namespace orvex::render_tool {
namespace {

bool parseInt(const std::string& text, int lowest, int highest, int* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < lowest || v > highest) return false;
  *value = static_cast<int>(v);
  return true;
}

bool parseReal(const std::string& text, double* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(v)) return false;
  *value = v;
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
    if (!parseReal(field, &parsed[slot])) return false;
    start = comma + 1;
  }
  *angles = parsed;
  return true;
}

RenderAction parseRenderOptions(int argc, const char* const* argv, RenderOptions* options,
                                std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
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
    auto takeValue = [&](std::string* out) {
      if (hasInlineValue) {
        *out = value;
        return true;
      }
      if (i + 1 >= argc) {
        *error = model::printable(arg) + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    auto refuse = [&](const std::string& what) {
      *error = model::printable(arg) + " needs " + what + ", not '" + model::printable(value) +
               "'";
      return RenderAction::kError;
    };

    if (arg == "--help") return RenderAction::kHelp;
    if (arg == "--version") return RenderAction::kVersion;
    if (arg == "-o" || arg == "--output") {
      if (!takeValue(&value)) return RenderAction::kError;
      if (value.empty() || value.back() == '/') return refuse("a file name");
      options->output = value;
    } else if (arg == "--size") {
      if (!takeValue(&value)) return RenderAction::kError;
      if (!parseInt(value, 1, config::kMaxWidth, &options->size)) {
        return refuse("a whole number of pixels from 1 to " + std::to_string(config::kMaxWidth));
      }
    } else if (arg == "--turn") {
      if (!takeValue(&value)) return RenderAction::kError;
      TurnStep step;
      if (!parsePlaneAngles(value, &step.increment)) {
        return refuse("six angles in radians, xy,xz,yz,xw,yw,zw");
      }
      options->turns.push_back(step);
    } else if (arg == "--repeat") {
      if (!takeValue(&value)) return RenderAction::kError;
      if (options->turns.empty()) {
        *error = "--repeat must follow the --turn it repeats";
        return RenderAction::kError;
      }
      if (!parseInt(value, 0, 100000000, &options->turns.back().repeat)) {
        return refuse("a whole number from 0");
      }
    } else if (arg == "--frames") {
      if (!takeValue(&value)) return RenderAction::kError;
      if (!parseInt(value, 1, 9999, &options->frames)) {
        return refuse("a whole number from 1 to 9999");
      }
    } else if (arg == "--projection") {
      if (!takeValue(&value)) return RenderAction::kError;
      if (value == "ortho") {
        options->projection = view4d::Projection::kOrtho;
      } else if (value == "perspective") {
        options->projection = view4d::Projection::kPerspective;
      } else if (value == "angle") {
        options->projection = view4d::Projection::kAngle;
      } else if (value == "stereographic") {
        options->projection = view4d::Projection::kStereographic;
      } else {
        return refuse("ortho, perspective, angle or stereographic");
      }
    } else if (arg == "--distance") {
      if (!takeValue(&value)) return RenderAction::kError;
      if (!parseReal(value, &options->distance) || options->distance <= 1.0) {
        return refuse("a real greater than 1");
      }
    } else if (arg == "--section" || arg == "--section-to") {
      if (!takeValue(&value)) return RenderAction::kError;
      const bool to = arg == "--section-to";
      if (!parseReal(value, to ? &options->section.to : &options->section.from)) {
        return refuse("a real number, the w of the cutting hyperplane");
      }
      (to ? options->section.toText : options->section.fromText) = value;
      (to ? options->section.sweep : options->section.on) = true;
    } else if (arg.compare(0, 2, "--") == 0) {
      *error = "unknown option '" + model::printable(argv[i]) + "' (see --help)";
      return RenderAction::kError;
    } else if (arg.empty()) {
      *error = "the model name is empty";
      return RenderAction::kError;
    } else {
      // The viewer's own words go through its parser, so they mean exactly what they
      // mean to orvex, ignored switches included.
      i = config::applyArgument(argc, argv, i, &options->settings);
    }
  }
  if (options->section.sweep && !options->section.on) {
    *error = "--section-to needs a --section to start from";
    return RenderAction::kError;
  }
  if (options->section.sweep && options->frames == 0) {
    *error = "--section-to needs --frames N, the number of pictures in the sweep";
    return RenderAction::kError;
  }
  if (options->section.on && options->projection != view4d::Projection::kOrtho) {
    *error = "--section draws the cut in view coordinates; it takes no --projection";
    return RenderAction::kError;
  }
  if (options->frames > 0 && options->turns.empty() && !options->section.sweep) {
    *error = "--frames needs a --turn to spin by";
    return RenderAction::kError;
  }
  if (options->size == 0) {
    if (options->settings.width < 1 || options->settings.width > config::kMaxWidth) {
      *error = "the Width setting " + std::to_string(options->settings.width) +
               " is not a size from 1 to " + std::to_string(config::kMaxWidth) + "; give --size";
      return RenderAction::kError;
    }
    options->size = options->settings.width;
  }
  return RenderAction::kRun;
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

std::string renderUsageText(const std::string& defaultDataDir) {
  return "usage: orvex-render [MODEL] [-h|-s] [-c] [-o FILE] [--size N]\n"
         "                    [--turn XY,XZ,YZ,XW,YW,ZW [--repeat N]]... [--frames N]\n"
         "                    [--projection KIND [--distance D]]\n"
         "                    [--section W [--section-to W2 --frames N]]\n"
         "Draws the picture the orvex viewer shows, without a window, into a PNG file.\n"
         "Reads orvex.cfg from the current directory and takes MODEL, -h, -s, -c and\n"
         "-n TITLE (ignored) exactly as orvex does: a one-dash switch is judged by its\n"
         "second letter, and one-dash switches orvex does not know are ignored.\n"
         "  -o, --output FILE   the PNG to write (default orvex.png); written whole or not\n"
         "                      at all, through a symlink; never over a device, directory,\n"
         "                      FIFO or the model's own files\n"
         "  --size N            width and height in pixels (default: the Width setting)\n"
         "  --turn ANGLES       one rotation increment: six angles in radians for the\n"
         "                      planes xy,xz,yz,xw,yw,zw. Turns are applied in order from\n"
         "                      the start-up view, as the viewer applies drag events.\n"
         "                      A left drag moving the pointer dx pixels right and dy down\n"
         "                      is 0,-0.005dx,0.005dy,0,0,0; another button's drag is\n"
         "                      0,0,0,-0.005dx,0.005dy,0.\n"
         "  --repeat N          apply the preceding --turn N times (default 1), as a spin\n"
         "                      applies it once per frame; 0 skips it\n"
         "  --frames N          write N pictures of a spin: FILE-0001.png is the view above,\n"
         "                      each next one has the last --turn applied once more\n"
         "Extensions (the viewer itself always projects orthographically):\n"
         "  --projection KIND   ortho: drop w (default, the viewer's picture);\n"
         "                      perspective: central projection from the eye on the\n"
         "                      viewing axis at w = D; angle: the three angles of the\n"
         "                      angle projector; stereographic: from the far pole of the\n"
         "                      unit 3-sphere, so the facing half fills the unit ball\n"
         "  --distance D        the perspective eye's w, greater than 1 (default 3)\n"
         "  --section W         draw the cross-section of the turned polytope with the\n"
         "                      hyperplane w = W (view coordinates, after every turn)\n"
         "                      instead of the projection, and print\n"
         "                      \"section w=W: V vertices, E edges, F faces\"\n"
         "  --section-to W2     with --frames N: a sweep, N pictures with w stepping evenly\n"
         "                      from W to W2, the view held where the turns left it\n"
         "  --help, --version\n"
         "On a bad option, a model that cannot be loaded or no usable OpenGL, prints one\n"
         "line on stderr, writes nothing and exits with status 1.\n"
         "Models are looked up in the DataDir setting, by default " +
         defaultDataDir + "\n";
}

}  // namespace orvex::render_tool
