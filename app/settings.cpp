#include "app/settings.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace orvex::app {
namespace {

std::vector<std::string> tokens(const std::string& line) {
  static const char kDelimiters[] = " ,=\n";
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < line.size()) {
    size_t start = line.find_first_not_of(kDelimiters, pos);
    if (start == std::string::npos) break;
    size_t end = line.find_first_of(kDelimiters, start);
    if (end == std::string::npos) end = line.size();
    out.push_back(line.substr(start, end - start));
    pos = end;
  }
  return out;
}

}  // namespace

void applyConfigLine(const std::string& line, Settings* settings) {
  const std::vector<std::string> t = tokens(line);
  if (t.empty()) return;
  const std::string& key = t[0];
  const size_t values = t.size() - 1;
  auto integer = [&](size_t i) { return std::atoi(t[i].c_str()); };
  auto real = [&](size_t i) { return std::atof(t[i].c_str()); };
  if (key == "hidePoly" && values >= 1) {
    settings->hidePoly = integer(1);
  } else if (key == "Width" && values >= 1) {
    settings->width = integer(1);
  } else if (key == "ExtendRate" && values >= 1) {
    settings->extendRate = real(1);
  } else if (key == "ClipPlane" && values >= 4) {
    for (int k = 0; k < 4; ++k) settings->clipPlane[k] = real(1 + k);
  } else if (key == "Clip" && values >= 1) {
    settings->clip = integer(1);
  } else if (key == "FillType" && values >= 1) {
    settings->fillType = integer(1);
  } else if (key == "DataDir" && values >= 1) {
    settings->dataDir = t[1];
  }
}

bool readConfigFile(const std::string& path, Settings* settings) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) applyConfigLine(line, settings);
  return true;
}

CommandLineAction applyCommandLine(int argc, const char* const* argv, Settings* settings) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0) return CommandLineAction::kHelp;
    if (std::strcmp(arg, "--version") == 0) return CommandLineAction::kVersion;
    if (arg[0] != '-') {
      settings->modelName = arg;
      continue;
    }
    switch (arg[1]) {
      case 'c':
        settings->clip = 1;
        break;
      case 'h':
        settings->fillType = 1;
        break;
      case 's':
        settings->fillType = 0;
        break;
      case 'n':
        // The title is the next argument, which is not examined itself.
        if (i + 1 < argc) settings->title = argv[++i];
        break;
      default:
        break;
    }
  }
  return CommandLineAction::kRun;
}

bool checkSettings(const Settings& settings, std::string* error) {
  if (settings.width > kMaxWidth) {
    *error = "orvex.cfg: Width " + std::to_string(settings.width) +
             " is wider than the largest window, " + std::to_string(kMaxWidth) + " pixels";
    return false;
  }
  return true;
}

render::DrawSettings drawSettingsOf(const Settings& settings) {
  render::DrawSettings draw;
  draw.fillType = settings.fillType;
  draw.hidePoly = settings.hidePoly;
  draw.extendRate = settings.extendRate;
  draw.clip = settings.clip;
  return draw;
}

render::SceneSettings sceneSettingsOf(const Settings& settings) {
  render::SceneSettings scene;
  scene.clip = settings.clip;
  for (int k = 0; k < 4; ++k) scene.clipPlane[k] = settings.clipPlane[k];
  return scene;
}

std::string usageText(const std::string& defaultDataDir) {
  return "usage: orvex [MODEL] [-c] [-h] [-s] [-n TITLE]\n"
         "  MODEL      model name (default c8); the last one given wins\n"
         "  -c         enable the clip plane\n"
         "  -h         draw cells as frames with open centres\n"
         "  -s         draw solid cells\n"
         "  -n TITLE   window title (default noname)\n"
         "  --help     print this text;  --version  print the version\n"
         "Drag with the left button to turn in xz/yz, with another button in xw/yw;\n"
         "released, the polytope keeps spinning until the next press.\n"
         "Settings are read first from orvex.cfg in the current directory, lines of\n"
         "KEY VALUE: DataDir, FillType, Clip, ClipPlane (a b c d), ExtendRate, Width, hidePoly.\n"
         "Models are the files DIR/MODEL.poi, DIR/fMODEL.cel and the normals file it names,\n"
         "with DIR the DataDir setting, by default " +
         defaultDataDir + "\n";
}

}  // namespace orvex::app
