#include "config/settings.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "base/printable.h"
#include "base/regular_file.h"

namespace orvex::config {
namespace {

std::vector<std::string> tokens(const std::string& line) {
  // A carriage return (a file saved with CRLF line ends) parts tokens too.
  static const char kDelimiters[] = " ,=\n\r";
  std::vector<std::string> out;
  // A byte-order mark, which some editors put first, and an indent of tabs are not part
  // of the key (a tab further on still is no delimiter).
  size_t pos = line.compare(0, 3, "\xef\xbb\xbf") == 0 ? 3 : 0;
  while (pos < line.size() && line[pos] == '\t') ++pos;
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

// atoi's reading (leading blanks, a sign, the digits up to the first other character, 0
// without any) but refusing a value that does not fit an int instead of wrapping it.
bool configInt(const std::string& key, const std::string& token, int* value, std::string* error) {
  size_t i = 0;
  while (i < token.size() && std::isspace(static_cast<unsigned char>(token[i]))) ++i;
  const bool negative = i < token.size() && token[i] == '-';
  if (i < token.size() && (token[i] == '-' || token[i] == '+')) ++i;
  long long v = 0;
  for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
    v = v * 10 + (token[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) v = -v;
  if (v < INT_MIN || v > INT_MAX) {
    *error = key + " " + base::printable(token) + " does not fit in a whole number setting";
    return false;
  }
  *value = static_cast<int>(v);
  return true;
}

// atof's reading, refusing NaN, infinities and values too large for a double: every
// real setting feeds the picture's geometry, which such a value blanks.
bool configReal(const std::string& key, const std::string& token, double* value,
                std::string* error) {
  const double v = std::strtod(token.c_str(), nullptr);
  if (!std::isfinite(v)) {
    *error = key + " " + base::printable(token) + " is not a finite number";
    return false;
  }
  *value = v;
  return true;
}

// The key a line sets: its first token when that is a key and the line carries as many
// values as the key takes; empty for a line without effect.
std::string settingKey(const std::vector<std::string>& t) {
  if (t.empty()) return "";
  const std::string& key = t[0];
  const size_t values = t.size() - 1;
  if (key == "ClipPlane") return values >= 4 ? key : "";
  for (const char* oneValue : {"hidePoly", "Width", "ExtendRate", "Clip", "FillType", "DataDir"}) {
    if (key == oneValue) return values >= 1 ? key : "";
  }
  return "";
}

// One piece of a line as a 256-byte fgets buffer takes it: up to 255 characters, the
// line feed included when it comes within them. False at the end of the stream.
bool readPiece(std::istream& in, std::string* piece) {
  constexpr size_t kPieceLength = 255;
  piece->clear();
  char ch;
  while (piece->size() < kPieceLength && in.get(ch)) {
    piece->push_back(ch);
    if (ch == '\n') break;
  }
  return !piece->empty();
}

}  // namespace

bool applyConfigLine(const std::string& line, Settings* settings, std::string* error) {
  const std::vector<std::string> t = tokens(line);
  const std::string key = settingKey(t);
  if (key == "hidePoly") {
    return configInt(key, t[1], &settings->hidePoly, error);
  } else if (key == "Width") {
    return configInt(key, t[1], &settings->width, error);
  } else if (key == "ExtendRate") {
    return configReal(key, t[1], &settings->extendRate, error);
  } else if (key == "ClipPlane") {
    // All four or none: a refused value leaves the plane as it was.
    double plane[4];
    for (int k = 0; k < 4; ++k) {
      if (!configReal(key, t[1 + k], &plane[k], error)) return false;
    }
    for (int k = 0; k < 4; ++k) settings->clipPlane[k] = plane[k];
  } else if (key == "Clip") {
    return configInt(key, t[1], &settings->clip, error);
  } else if (key == "FillType") {
    return configInt(key, t[1], &settings->fillType, error);
  } else if (key == "DataDir") {
    settings->dataDir = t[1];
  }
  return true;
}

bool readConfig(std::istream& in, const std::string& name, Settings* settings, std::string* error) {
  // A refused value matters only if no later line sets the same key: per key, the line
  // number and problem of a refusal still in force.
  std::map<std::string, std::pair<int, std::string>> refused;
  std::string piece, problem;
  for (int number = 1; readPiece(in, &piece); number += piece.back() == '\n' ? 1 : 0) {
    const std::string key = settingKey(tokens(piece));
    if (key.empty()) continue;
    if (applyConfigLine(piece, settings, &problem)) {
      refused.erase(key);
    } else {
      refused[key] = {number, problem};
    }
  }
  if (refused.empty()) return true;
  auto first = refused.begin();
  for (auto it = refused.begin(); it != refused.end(); ++it) {
    if (it->second.first < first->second.first) first = it;
  }
  *error = name + " line " + std::to_string(first->second.first) + ": " + first->second.second;
  return false;
}

bool readConfigFile(const std::string& path, Settings* settings, std::string* error) {
  // A FIFO or a device (a link to /dev/urandom) could keep the program waiting or reading
  // forever, before even --help is answered: only a regular file is opened.
  std::string text;
  switch (base::readRegularFile(path, &text, kMaxConfigBytes)) {
    case base::FileRead::kRead:
      break;
    case base::FileRead::kNotRegular:
      *error = path + ": not a regular file, so not read as settings";
      return false;
    case base::FileRead::kTooLong:
      *error = path + ": longer than " + std::to_string(kMaxConfigBytes) +
               " bytes, so not read as settings";
      return false;
    case base::FileRead::kCannotOpen:
      return true;  // a missing file changes nothing
  }
  std::istringstream lines(text);
  return readConfig(lines, path, settings, error);
}

int applyArgument(int argc, const char* const* argv, int i, Settings* settings) {
  const char* arg = argv[i];
  if (arg[0] != '-') {
    settings->modelName = arg;
    return i;
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
  return i;
}

CommandLineAction applyCommandLine(int argc, const char* const* argv, Settings* settings) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) return CommandLineAction::kHelp;
    if (std::strcmp(argv[i], "--version") == 0) return CommandLineAction::kVersion;
    i = applyArgument(argc, argv, i, settings);
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
  // GL keeps the plane in floats, where 1e39 overflows and 1e-46 vanishes, and multiplies
  // it by coordinates. Only a plane whose largest coefficient lies outside 2^-60 .. 2^60 is
  // scaled, by a power of two (exact, and the plane keeps its side) to a largest of 0.5 to
  // 1; every other plane reaches GL exactly as written.
  double largest = 0.0;
  for (double c : settings.clipPlane) largest = std::max(largest, std::fabs(c));
  int exponent = 0;
  if (largest > 0.0 && (largest > 0x1p60 || largest < 0x1p-60)) std::frexp(largest, &exponent);
  for (int k = 0; k < 4; ++k) scene.clipPlane[k] = std::ldexp(settings.clipPlane[k], -exponent);
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

}  // namespace orvex::config
