// The viewer binary's behaviour before any window: options, and refusal of bad models.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/run_program.h"
#include "tests/temp_dir.h"

namespace orvex {
namespace {

using testing::ProgramResult;
using testing::runProgram;
using testing::TempDir;

const std::string kViewer = std::string(ORVEX_BIN_DIR) + "/orvex";

TEST(ViewerCommandLineTest, HelpAndVersionPrintAndExitZero) {
  TempDir dir;
  ProgramResult help = runProgram(kViewer, {"c8", "--help"}, dir.path());
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_NE(help.out.find("usage: orvex"), std::string::npos);
  EXPECT_NE(help.out.find("DataDir"), std::string::npos);
  EXPECT_NE(help.out.find("share/orvex/models"), std::string::npos);
  ProgramResult version = runProgram(kViewer, {"--version"}, dir.path());
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_EQ(version.out.rfind("orvex ", 0), 0u);
}

TEST(ViewerCommandLineTest, MissingModelFilesEndTheRunWithTheOpenMessageBeforeAnyWindow) {
  TempDir dir;
  dir.write("orvex.cfg", "DataDir " + dir.path() + "\n");
  // With DISPLAY unset a window attempt would add a GLUT message; there must be none.
  ProgramResult r = runProgram(kViewer, {"nothing"}, dir.path());
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Cannot open file" + dir.path() + "/nothing.poi\n");

  dir.write("half.poi", "1 0\n1 0 0 0\nhalf.nor\n");
  r = runProgram(kViewer, {"half"}, dir.path());
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Cannot open file" + dir.path() + "/fhalf.cel\n");
}

TEST(ViewerCommandLineTest, MalformedModelIsRefusedWithOneLine) {
  TempDir dir;
  dir.write("orvex.cfg", "DataDir=" + dir.path());
  dir.write("bad.poi", "2 0\n0 0 0 0\n1 0 0 0\nbad.nor\n");
  dir.write("fbad.cel", "0\n");
  dir.write("bad.nor", "0 0\n");
  ProgramResult r = runProgram(kViewer, {"bad"}, dir.path());
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, dir.path() + "/bad.poi: vertex 0 is at the origin\n");

  dir.write("bad.poi", "2 0\n1 0 0 0\n0 1 0 0\nbad.nor\n");
  dir.write("fbad.cel", "1\n3 1 2 3\n");
  r = runProgram(kViewer, {"bad"}, dir.path());
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, dir.path() +
                       "/fbad.cel: vertex 2 of polygon 0 is 3, but vertices are "
                       "numbered 1 to 2\n");

  // A NUL right after a number once passed the check and crashed the run.
  dir.write("fbad.cel", std::string("1\n3 1\0 2 1\n", 11));
  r = runProgram(kViewer, {"bad"}, dir.path());
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, dir.path() +
                       "/fbad.cel: '1\\x00' on line 2 is not an integer (vertex 0 of "
                       "polygon 0)\n");
}

TEST(ViewerCommandLineTest, BadSettingsAreRefusedBeforeAnyWindow) {
  TempDir dir;
  dir.write("orvex.cfg", "Width 100000\n");
  ProgramResult r = runProgram(kViewer, {}, dir.path());
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "orvex.cfg: Width 100000 is wider than the largest window, 16384 pixels\n");

  // Once wrapped to a 1 x 1 window.
  dir.write("orvex.cfg", "# big\nWidth 4294967297\n");
  r = runProgram(kViewer, {}, dir.path());
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "orvex.cfg line 2: Width 4294967297 does not fit in a whole number setting\n");
  EXPECT_EQ(runProgram(kViewer, {"--help"}, dir.path()).exitStatus, 0);

  // A FIFO (or a device) for a configuration file is not opened: --help answers at once
  // and a run ends with one line instead of waiting forever.
  TempDir piped;
  ASSERT_EQ(mkfifo(piped.file("orvex.cfg").c_str(), 0600), 0);
  EXPECT_EQ(runProgram(kViewer, {"--help"}, piped.path(), {}, 20).exitStatus, 0);
  r = runProgram(kViewer, {}, piped.path(), {}, 20);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "orvex.cfg: not a regular file, so not read as settings\n");
  // A CRLF file's DataDir keeps no carriage return, and a model name's escape is shown.
  dir.write("orvex.cfg", "DataDir " + dir.path() + "\r\n");
  r = runProgram(kViewer, {"x\x1b[31m"}, dir.path());
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Cannot open file" + dir.path() + "/x\\x1b[31m.poi\n");
}

TEST(ViewerCommandLineTest, DefaultModelLoadsFromTheShippedDirectory) {
  TempDir dir;
  // A good model gets as far as the window, which cannot open without a display: the
  // failure then comes from GLUT, after loading succeeded.
  ProgramResult r = runProgram(kViewer, {}, dir.path());
  EXPECT_NE(r.exitStatus, 0);
  EXPECT_EQ(r.err.find("Cannot open file"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("display"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace orvex
