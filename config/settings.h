// The viewer's settings: compiled-in defaults, then "orvex.cfg", then the command line.
#pragma once

#include <array>
#include <istream>
#include <string>

#include "render/cell_walk.h"
#include "render/scene.h"

namespace orvex::config {

struct Settings {
  std::string dataDir;  // where model files are looked up; see defaultDataDir()
  double extendRate = render::kDefaultExtendRate;
  int width = 300;
  std::string title = "noname";
  std::string modelName = "c8";
  int fillType = 0;  // 1 draws frames, any other value solid cells
  int clip = 0;      // nonzero enables the clip plane
  std::array<double, 4> clipPlane = render::kDefaultClipPlane;
  int hidePoly = 0;  // cells with exactly this many polygons are not drawn
};

/// Applies one configuration line: tokens split at " ,=\n" and at carriage returns, after
/// a leading UTF-8 byte-order mark and tabs are dropped; the first a case-sensitive
/// key, the rest its values (read as atoi/atof read them). Unknown keys and key lines
/// missing a value leave the settings unchanged. A value that is not finite or does not
/// fit its setting is refused: false, the setting unchanged, and *error names the key
/// and the value as written.
bool applyConfigLine(const std::string& line, Settings* settings, std::string* error);

/// Applies every line of in, a line longer than 255 characters in pieces of 255, each
/// piece a line of its own. Only the line that has the last word on a key is judged: a
/// refused value that a later line for the same key replaces is no error. False when a
/// value in force was refused, with *error "<name> line <n>: <problem>" for the first.
bool readConfig(std::istream& in, const std::string& name, Settings* settings, std::string* error);

/// The most a configuration file may hold; a few hundred bytes is usual.
constexpr size_t kMaxConfigBytes = 1 << 20;

/// readConfig on the file at path. A missing file changes nothing and is no error; one
/// that is not a regular file (a FIFO, a device) is not opened, and one longer than
/// kMaxConfigBytes not read: false with *error "<path>: ..." for those.
bool readConfigFile(const std::string& path, Settings* settings, std::string* error);

enum class CommandLineAction { kRun, kHelp, kVersion };

/// Applies argv[i], one of the viewer's words: "-c" clip, "-h" frames, "-s" solid,
/// "-n TITLE", judged by the second character only, any other switch ignored; anything
/// not starting with '-' is the model name. Returns the index of the last argument
/// used (i, or i + 1 after "-n TITLE").
int applyArgument(int argc, const char* const* argv, int i, Settings* settings);

/// Applies the arguments after argv[0] with applyArgument; the last model name wins.
/// "--help" and "--version" ask for those instead of a run.
CommandLineAction applyCommandLine(int argc, const char* const* argv, Settings* settings);

/// The widest window the viewer opens: the largest framebuffer Mesa's renderers make.
constexpr int kMaxWidth = 16384;

/// False, with *error one line naming the configuration file, for a setting the window
/// cannot be made with: a Width above kMaxWidth (beyond it the GL stack crashes).
/// A Width of 0 or less is passed on; GLUT then keeps its default window size.
bool checkSettings(const Settings& settings, std::string* error);

/// What a frame and the scene read of the settings. The clip plane is as given unless its
/// largest coefficient is beyond 2^60 or below 2^-60 in magnitude; such a plane is scaled
/// by a power of two to a largest coefficient of 0.5 to 1 (the same plane, facing the
/// same way), so that GL's floats hold it.
render::DrawSettings drawSettingsOf(const Settings& settings);
render::SceneSettings sceneSettingsOf(const Settings& settings);

/// The usage text printed by --help.
std::string usageText(const std::string& defaultDataDir);

}  // namespace orvex::config
