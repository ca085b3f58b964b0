#include "config/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>

#include "tests/temp_dir.h"

namespace orvex::config {
namespace {

Settings fromLines(std::initializer_list<const char*> lines) {
  Settings s;
  std::string error;
  for (const char* line : lines) EXPECT_TRUE(applyConfigLine(line, &s, &error)) << error;
  return s;
}

TEST(ConfigLineTest, KeysAreCaseSensitiveAndDelimitersAreSpaceCommaEquals) {
  EXPECT_EQ(fromLines({"Width=400"}).width, 400);
  EXPECT_EQ(fromLines({"Width 400"}).width, 400);
  EXPECT_EQ(fromLines({"Width , 400"}).width, 400);
  EXPECT_EQ(fromLines({"Width,500"}).width, 500);
  EXPECT_EQ(fromLines({"width=500"}).width, 300);
  // Tabs are not delimiters: "Width\t400" is one unknown token.
  EXPECT_EQ(fromLines({"Width\t400"}).width, 300);
  EXPECT_EQ(fromLines({"# Width 400", "Comment Width 400"}).width, 300);
  // atoi and atof: leading digits only, 0 without any.
  EXPECT_EQ(fromLines({"Width 640px"}).width, 640);
  EXPECT_EQ(fromLines({"Width abc"}).width, 0);
  EXPECT_EQ(fromLines({"hidePoly -6"}).hidePoly, -6);
  EXPECT_DOUBLE_EQ(fromLines({"ExtendRate 2e-1"}).extendRate, 0.2);
  // The later line wins; further tokens on a line are ignored.
  EXPECT_EQ(fromLines({"FillType 1", "FillType 2 3"}).fillType, 2);
}

TEST(ConfigLineTest, EveryKeySetsItsValue) {
  Settings s = fromLines({"DataDir /models/here", "FillType=1", "Clip 1", "ClipPlane 0,0,1,0.5",
                          "ExtendRate 0.2", "Width 123", "hidePoly 6"});
  EXPECT_EQ(s.dataDir, "/models/here");
  EXPECT_EQ(s.fillType, 1);
  EXPECT_EQ(s.clip, 1);
  EXPECT_EQ(s.clipPlane[0], 0.0);
  EXPECT_EQ(s.clipPlane[2], 1.0);
  EXPECT_EQ(s.clipPlane[3], 0.5);
  EXPECT_EQ(s.extendRate, 0.2);
  EXPECT_EQ(s.width, 123);
  EXPECT_EQ(s.hidePoly, 6);
}

TEST(ConfigLineTest, LinesMissingValuesOrTokensChangeNothing) {
  Settings defaults;
  Settings s = fromLines({"", " ,=,, ", "Width", "DataDir", "ClipPlane 0 0 1", "ExtendRate="});
  EXPECT_EQ(s.width, defaults.width);
  EXPECT_EQ(s.dataDir, defaults.dataDir);
  EXPECT_EQ(s.extendRate, defaults.extendRate);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(s.clipPlane[k], defaults.clipPlane[k]);
}

TEST(ConfigLineTest, RefusesValuesThatAreNotFiniteOrDoNotFitNamingKeyAndValue) {
  const std::pair<const char*, const char*> refused[] = {
      {"Width 99999999999999", "Width 99999999999999 does not fit in a whole number setting"},
      {"Width=4294967297", "Width 4294967297 does not fit in a whole number setting"},
      {"hidePoly -2147483649x", "hidePoly -2147483649x does not fit in a whole number setting"},
      {"ExtendRate nan\x1b[31m", "ExtendRate nan\\x1b[31m is not a finite number"},
      {"ExtendRate 1e999", "ExtendRate 1e999 is not a finite number"},
      {"ClipPlane 0 0 1 -inf", "ClipPlane -inf is not a finite number"},
  };
  for (const auto& [line, message] : refused) {
    Settings s;
    std::string error;
    EXPECT_FALSE(applyConfigLine(line, &s, &error)) << line;
    EXPECT_EQ(error, message);
    EXPECT_EQ(s.width, 300);
    EXPECT_EQ(s.extendRate, 0.06);
    EXPECT_EQ(s.clipPlane[2], -1.0) << "a refused plane is not half applied";
  }
  // The edges of the range still fit, and a denormal is a finite number.
  EXPECT_EQ(fromLines({"hidePoly -2147483648"}).hidePoly, INT_MIN);
  EXPECT_EQ(fromLines({"Width 2147483647"}).width, INT_MAX);
  EXPECT_GT(fromLines({"ExtendRate 1e-310"}).extendRate, 0.0);

  // In a file, the refusal names the file and the line. Only the line with the last
  // word on its key is judged: a refused value that a later line replaces is no error.
  orvex::testing::TempDir dir;
  const std::string path =
      dir.write("orvex.cfg", "Width 200\n\nExtendRate nan\nWidth 100\nClipPlane 0 0 1 inf\n");
  Settings s;
  std::string error;
  EXPECT_FALSE(readConfigFile(path, &s, &error));
  EXPECT_EQ(error, path + " line 3: ExtendRate nan is not a finite number");
  const std::string replaced = dir.write(
      "replaced.cfg", "ExtendRate nan\nClipPlane 0 0 1 inf\nExtendRate 0.2\nClipPlane 0 0 1 2\n");
  Settings r;
  EXPECT_TRUE(readConfigFile(replaced, &r, &error)) << error;
  EXPECT_EQ(r.extendRate, 0.2);
  EXPECT_EQ(r.clipPlane[3], 2.0);
  const std::string last = dir.write("last.cfg", "Width 1\nWidth 2\nWidth 9999999999\nClip 1\n");
  EXPECT_FALSE(readConfigFile(last, &r, &error));
  EXPECT_EQ(error, last + " line 3: Width 9999999999 does not fit in a whole number setting");
}

TEST(ConfigFileTest, ReadsEveryLineInPiecesOf255Characters) {
  // Each piece of a long line is a line of its own: a key that begins a piece is seen,
  // and a value is cut where its piece ends.
  orvex::testing::TempDir dir;
  const std::string pad(255 - 10, ' ');
  const std::string comment = "#" + std::string(254, 'x');
  const std::string path = dir.write(
      "orvex.cfg", "FillType=1" + pad + "ExtendRate 0.2\n" + comment + "Width 77\nDataDir /" +
                       std::string(600, 'd') + "\n" + std::string(255, ',') + "\nClip 3");
  Settings s;
  std::string error;
  EXPECT_TRUE(readConfigFile(path, &s, &error)) << error;
  EXPECT_EQ(s.fillType, 1);
  EXPECT_EQ(s.extendRate, 0.2);
  EXPECT_EQ(s.width, 77);
  EXPECT_EQ(s.dataDir, "/" + std::string(246, 'd'));
  EXPECT_EQ(s.clip, 3);

  // A refusal in the second piece names the file's own line.
  const std::string refused = dir.write("refused.cfg", "\n" + comment + "ExtendRate inf\n");
  EXPECT_FALSE(readConfigFile(refused, &s, &error));
  EXPECT_EQ(error, refused + " line 2: ExtendRate inf is not a finite number");

  Settings untouched;
  EXPECT_TRUE(readConfigFile(dir.path() + "/missing.cfg", &untouched, &error));
  EXPECT_EQ(untouched.width, 300);
}

// Files saved on other systems: CRLF line ends, a byte-order mark, an indent of tabs.
TEST(ConfigFileTest, CarriageReturnsByteOrderMarkAndTabIndentsKeepEveryLine) {
  orvex::testing::TempDir dir;
  const std::string path = dir.write(
      "orvex.cfg", "\xef\xbb\xbfWidth 200\r\n\tFillType 1\r\nDataDir /m\r\nClipPlane 1 2 3 4\r\n");
  Settings s;
  std::string error;
  ASSERT_TRUE(readConfigFile(path, &s, &error)) << error;
  EXPECT_EQ(s.width, 200);
  EXPECT_EQ(s.fillType, 1);
  EXPECT_EQ(s.dataDir, "/m");
  EXPECT_EQ(s.clipPlane[3], 4.0);
}

// A FIFO, a device or a file without end is refused before --help could hang on it.
TEST(ConfigFileTest, RefusesWhatIsNotARegularFileOrTooLong) {
  orvex::testing::TempDir dir;
  const std::string fifo = dir.path() + "/fifo.cfg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string huge =
      dir.write("huge.cfg", std::string(kMaxConfigBytes, '#') + "\nWidth 200\n");
  const std::pair<std::string, std::string> refused[] = {
      {fifo, fifo + ": not a regular file, so not read as settings"},
      {"/dev/zero", "/dev/zero: not a regular file, so not read as settings"},
      {huge, huge + ": longer than 1048576 bytes, so not read as settings"},
  };
  for (const auto& [path, message] : refused) {
    Settings s;
    std::string error;
    EXPECT_FALSE(readConfigFile(path, &s, &error)) << path;
    EXPECT_EQ(error, message);
    EXPECT_EQ(s.width, 300);
  }
}

TEST(SettingsCheckTest, RefusesOnlyWindowsWiderThanTheLargestFramebuffer) {
  Settings s;
  std::string error;
  for (int width : {-5, 0, 300, kMaxWidth}) {
    s.width = width;
    EXPECT_TRUE(checkSettings(s, &error)) << width;
  }
  s.width = kMaxWidth + 1;
  EXPECT_FALSE(checkSettings(s, &error));
  EXPECT_EQ(error, "orvex.cfg: Width 16385 is wider than the largest window, 16384 pixels");
}

CommandLineAction apply(std::initializer_list<const char*> args, Settings* s) {
  std::vector<const char*> argv = {"orvex"};
  argv.insert(argv.end(), args.begin(), args.end());
  return applyCommandLine(static_cast<int>(argv.size()), argv.data(), s);
}

TEST(CommandLineTest, SwitchesAreJudgedBySecondCharacterAndLastModelWins) {
  Settings s;
  s.fillType = 1;  // as if from the configuration file
  EXPECT_EQ(apply({"-s"}, &s), CommandLineAction::kRun);
  EXPECT_EQ(s.fillType, 0);

  Settings t;
  apply({"c5", "-n", "Tesseract", "c8"}, &t);
  EXPECT_EQ(t.modelName, "c8");
  EXPECT_EQ(t.title, "Tesseract");

  Settings u;
  apply({"-clip", "-hollow", "-x", "-", "-n", "-c"}, &u);
  EXPECT_EQ(u.clip, 1);
  EXPECT_EQ(u.fillType, 1);
  // The title after -n is not examined itself, even when it looks like a switch.
  EXPECT_EQ(u.title, "-c");

  Settings v;
  apply({"c24", "-n"}, &v);
  EXPECT_EQ(v.title, "noname");
  EXPECT_EQ(v.modelName, "c24");

  Settings w;
  EXPECT_EQ(apply({"c8", "--help"}, &w), CommandLineAction::kHelp);
  EXPECT_EQ(apply({"--version"}, &w), CommandLineAction::kVersion);
}

TEST(SceneSettingsTest, ClipPlaneReachesGlAsWrittenUnlessFloatsCannotHoldIt) {
  struct Case {
    double plane[4];
    double scale;  // what the plane reaches GL multiplied by
  };
  const Case cases[] = {
      // Ordinary planes, however uneven, are not touched: a division would round them.
      {{0.1, -0.7, 0.3, 0.45}, 1.0},
      {{3.0, 7.0, -11.0, 0.1}, 1.0},
      {{1e-3, 0.0, 0.0, 2.5e-9}, 1.0},
      {{0x1p60, 1.0, 0.0, 0.0}, 1.0},
      {{0x1p-60, 0.0, 0.0, 0.0}, 1.0},
      {{0.0, 0.0, 0.0, 0.0}, 1.0},
      // Beyond float range, or nearly: scaled by a power of two to a largest of 0.5 to 1.
      {{1e39, -3e38, 0.0, 1.0}, 0x1p-130},
      {{0x1.8p61, 0.0, 0.0, 0.0}, 0x1p-62},
      {{1e-46, 0.0, 0.0, -4e-47}, 0x1p152},
      {{0.0, -0x1p-61, 0.0, 0.0}, 0x1p60},
  };
  for (const Case& c : cases) {
    Settings s;
    std::copy(c.plane, c.plane + 4, s.clipPlane.begin());
    const render::SceneSettings scene = sceneSettingsOf(s);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(scene.clipPlane[k], c.plane[k] * c.scale) << c.plane[0] << " coefficient " << k;
    }
  }
}

}  // namespace
}  // namespace orvex::config
