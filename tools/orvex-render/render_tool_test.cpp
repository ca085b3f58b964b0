// orvex-render run as users run it: the real binary in a scratch directory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "offscreen/image_diff.h"
#include "offscreen/png_io.h"
#include "tools/orvex-render/render_options.h"
#include "tools/orvex-render/test_support.h"

namespace orvex::render_tool {
namespace {

using testing::renderBinary;
using testing::runProgram;
using testing::TempDir;

offscreen::RgbImage load(const std::string& path) {
  offscreen::RgbImage image;
  std::string error;
  EXPECT_TRUE(offscreen::readPng(path, &image, &error)) << error;
  return image;
}

std::vector<std::string> render(std::vector<std::string> args) {
  args.insert(args.begin(), renderBinary());
  return args;
}

TEST(RenderToolTest, FailuresAreOneLineStatusOneAndNoFile) {
  struct Case {
    std::vector<std::string> args;
    std::string message;  // the whole stderr
  };
  const std::string models = std::string(ORVEX_MODELS_DIR);
  const std::vector<Case> cases = {
      {{"--bogus"}, "orvex-render: unknown option '--bogus' (see --help)\n"},
      {{"--size", "-4"},
       "orvex-render: --size needs a whole number of pixels from 1 to 16384, "
       "not '-4'\n"},
      {{"--frames", "2"}, "orvex-render: --frames needs a --turn or a --spin to spin by\n"},
      {{"-o", "spin.jpg"}, "orvex-render: -o needs a file ending in .png, .gif, .mp4, .webm, "
                           ".stl, .obj, .ply, .glb, .3mf, .svg or .pdf, not 'spin.jpg'\n"},
      {{"--turn", "0,0,0,1,0,0", "--repeat", "999999", "--turn", "0,0,0,1,0,0", "--repeat", "2"},
       "orvex-render: the turns add up to 1000001 increments, more than 1000000\n"},
      // The frames of a spin apply the last turn too.
      {{"--turn", "0,0,0,1,0,0", "--repeat", "999990", "--frames", "12"},
       "orvex-render: the turns add up to 1000001 increments with the 11 of --frames, more "
       "than 1000000\n"},
      // Refused before drawing, by the memory it would take.
      {{"--size", "4096", "--aa", "4"},
       "orvex-render: --size 4096 with --aa 4 needs about 3.6 GiB of memory to draw and "
       "write, more than the 3 GiB orvex-render allows; choose a smaller --size or --aa\n"},
      {{"c8", "--size", "8192", "--spin", "xw", "--frames", "2", "-o", "big.webm"},
       "orvex-render: --size 8192 needs about 7.8 GiB of memory to draw and write, more than "
       "the 3 GiB orvex-render allows; choose a smaller --size\n"},
      {{"c8", "--spin", "xw", "--frames", "2", "--fps", "51", "-o", "fast.gif"},
       "orvex-render: --fps 51: a GIF shows at most 50 frames a second (browsers slow faster "
       "ones down); use a video for more\n"},
      {{"-o", "out/.gif"},
       "orvex-render: -o needs a name before the extension .gif, not "
       "'out/.gif'\n"},
      {{"nosuch"}, "orvex-render: Cannot open file" + models + "/nosuch.poi\n"},
      {{"c8", "-o", "no/such/dir/x.png"}, ""},
      {{"--section", "half"},
       "orvex-render: --section needs a real number, the w of the "
       "cutting hyperplane, not 'half'\n"},
      {{"--section-to", "1", "--frames", "3"},
       "orvex-render: --section-to needs a --section to start from\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    testing::writeText(dir.file("keep.png"), "old content");
    std::vector<std::string> args = c.args;
    if (c.args[0] != "c8") args.insert(args.end(), {"-o", "keep.png"});
    const testing::RunResult r = runProgram(render(args), dir.path());
    EXPECT_EQ(r.status, 1) << c.args[0];
    EXPECT_TRUE(r.out.empty()) << r.out;
    if (!c.message.empty()) {
      EXPECT_EQ(r.err, c.message);
    } else {
      EXPECT_EQ(r.err.rfind("orvex-render: no/such/dir/x.png: ", 0), 0u) << r.err;
    }
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.png"}) << "no stray file";
    EXPECT_EQ(testing::readText(dir.file("keep.png")), "old content");
  }
  // A full disk, a delayed write error seen at the close, a failed rename: the old
  // picture stays and no temporary is left.
  for (const char* call : {"WRITE", "CLOSE", "RENAME"}) {
    TempDir dir;
    testing::writeText(dir.file("keep.png"), "old content");
    const testing::RunResult r =
        runProgram(render({"c8", "--size", "16", "-o", "keep.png"}), dir.path(),
                   ::orvex::testing::failing(call, call[0] == 'R' ? "keep.png" : "/.orvex-"));
    EXPECT_EQ(r.status, 1) << call;
    EXPECT_EQ(r.err.rfind("orvex-render: keep.png: cannot write: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.png"}) << call;
    EXPECT_EQ(testing::readText(dir.file("keep.png")), "old content") << call;
  }
  // A sequence of frames is replaced whole: the fourth frame's rename failing puts the
  // three before it back.
  {
    TempDir dir;
    std::vector<std::string> frames;
    for (int f = 1; f <= 6; ++f) {
      frames.push_back(frameFileName("keep.png", f));
      testing::writeText(dir.file(frames.back()), "old content");
    }
    const testing::RunResult r = runProgram(
        render({"c8", "--size", "16", "--spin", "xw", "--frames", "6", "-o", "keep.png"}),
        dir.path(), ::orvex::testing::failing("RENAME", "keep-0004"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "orvex-render: keep-0004.png: cannot write: Input/output error\n");
    EXPECT_EQ(dir.entries(), frames) << "no temporary left";
    for (const std::string& frame : frames) {
      EXPECT_EQ(testing::readText(dir.file(frame)), "old content") << frame;
    }
  }
  // Animations are staged beside their target too: a delayed write error at the final
  // close or a failed rename keeps the old one.
  for (const char* call : {"CLOSE", "RENAME"}) {
    for (const std::string output : {"keep.gif", "keep.mp4", "keep.webm"}) {
      TempDir dir;
      testing::writeText(dir.file(output), "old content");
      const testing::RunResult r = runProgram(
          render({"c8", "--size", "16", "--spin", "xw", "--frames", "2", "-o", output}), dir.path(),
          ::orvex::testing::failing(call, call[0] == 'R' ? output : "/.orvex-"));
      EXPECT_EQ(r.status, 1) << call << " " << output;
      EXPECT_EQ(r.err.rfind("orvex-render: " + output + ": cannot write", 0), 0u) << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
      EXPECT_EQ(dir.entries(), std::vector<std::string>{output}) << "no temporary left";
      EXPECT_EQ(testing::readText(dir.file(output)), "old content") << call << " " << output;
    }
  }
}

// Every kind of file the tools write is made as a new file would be: readable by others
// as the umask allows, not left with a temporary's private mode.
TEST(RenderToolTest, EveryOutputFileOfTheToolsTakesItsModeFromTheUmask) {
  const std::string gen = std::string(ORVEX_BIN_DIR) + "/orvex-gen";
  const std::vector<std::vector<std::string>> runs = {
      {renderBinary(), "c8", "--size", "16", "-o", "still.png"},
      {renderBinary(), "c8", "--size", "16", "--spin", "xw", "--frames", "2", "-o", "f.png"},
      {renderBinary(), "c8", "--size", "16", "--spin", "xw", "--frames", "2", "-o", "a.gif"},
      {renderBinary(), "c8", "--size", "16", "--spin", "xw", "--frames", "2", "-o", "a.mp4"},
      {renderBinary(), "c8", "--size", "16", "--spin", "xw", "--frames", "2", "-o", "a.webm"},
      {gen, "-d", ".", "wythoff", "A4", "1000", "m"},
      {gen, "-d", ".", "export", "m", "m.4off"},
      {gen, "-d", ".", "points", "snub-24-cell", "s.txt"},
      {gen, "-d", ".", "library", "t.tsv", "--readme", "README.md"},
  };
  const std::vector<std::string> written = {
      "README.md", "a.gif",  "a.mp4",  "a.webm", "c5.nor", "c5.poi", "f-0001.png", "f-0002.png",
      "fc5.cel",   "fm.cel", "m.4off", "m.nor",  "m.poi",  "s.txt",  "still.png",  "t.tsv"};
  for (const auto& [mask, mode] : {std::pair<const char*, mode_t>{"022", 0644}, {"027", 0640}}) {
    TempDir dir;
    testing::writeText(dir.file("t.tsv"), "c5\tregular\twythoff A4 1000\t5\t10\t10\t5\n");
    chmod(dir.file("t.tsv").c_str(), mode);
    for (const auto& run : runs) {
      std::vector<std::string> argv = {"/bin/sh", "-c",
                                       std::string("umask ") + mask + "; exec \"$0\" \"$@\""};
      argv.insert(argv.end(), run.begin(), run.end());
      const testing::RunResult r = runProgram(argv, dir.path());
      EXPECT_EQ(r.status, 0) << run[1] << " " << run.back() << ": " << r.err;
    }
    ASSERT_EQ(dir.entries(), written);
    for (const std::string& name : written) {
      struct stat st;
      ASSERT_EQ(stat(dir.file(name).c_str(), &st), 0) << name;
      EXPECT_EQ(st.st_mode & 07777, mode) << name << " under umask " << mask;
    }
  }
}

// SIGTERM or SIGHUP while a GIF, a video or a sequence of frames is being written: the
// old files stay and no temporary is left.
TEST(RenderToolTest, ASignalWhileWritingLeavesTheOldFilesAndNoTemporary) {
  // The signal goes as soon as a temporary is there, the picture still being drawn.
  const std::string script =
      "\"$@\" & for i in $(seq 3000); do ls -A | grep -q '^\\.orvex-[0-9]' && break; "
      "sleep 0.01; done; kill -$SIG $!; wait $!; echo $?";
  struct Case {
    const char* output;
    const char* signal;
    const char* status;  // the shell's 128 + the signal's number
    const char* old;     // the file kept
  };
  const Case cases[] = {{"spin.gif", "TERM", "143\n", "spin.gif"},
                        {"spin.webm", "HUP", "129\n", "spin.webm"},
                        {"spin.png", "TERM", "143\n", "spin-0001.png"}};
  for (const Case& c : cases) {
    TempDir dir;
    testing::writeText(dir.file(c.old), "old content");
    const testing::RunResult r =
        runProgram({"/bin/sh", "-c", script, "sh", renderBinary(), "c8", "--size", "96", "--spin",
                    "xw", "--frames", "400", "-o", c.output},
                   dir.path(), {std::string("SIG=") + c.signal});
    EXPECT_EQ(r.out, c.status) << c.output << ": ended by the signal";
    EXPECT_EQ(dir.entries(), std::vector<std::string>{c.old}) << c.output;
    EXPECT_EQ(testing::readText(dir.file(c.old)), "old content") << c.output;
  }
}

// The sanitizers reserve far more address space than any limit a test could set.
#if !defined(__SANITIZE_ADDRESS__)
TEST(RenderToolTest, OutOfMemoryIsOneLineAndStatusOne) {
  TempDir dir;
  const testing::RunResult r = runProgram({"/bin/sh", "-c", "ulimit -v 1500000; exec \"$0\" \"$@\"",
                                           renderBinary(), "c8", "--size", "8192", "-o", "big.png"},
                                          dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "orvex-render: out of memory\n");
  EXPECT_TRUE(dir.entries().empty());
}
#endif

TEST(RenderToolTest, WritesOnlyRegularFilesOrNewNamesAndNeverTheModel) {
  TempDir dir;
  const std::string models = std::string(ORVEX_MODELS_DIR);
  std::filesystem::create_directory(dir.file("m"));
  for (const char* name : {"c8.poi", "fc8.cel", "c8.nor"}) {
    std::filesystem::copy_file(models + "/" + name, dir.file("m/") + name);
  }
  testing::writeText(dir.file("orvex.cfg"), "DataDir " + dir.file("m") + "\n");
  const std::string poi = testing::readText(dir.file("m/c8.poi"));
  std::filesystem::create_directory(dir.file("sub"));
  ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
  std::filesystem::create_symlink("m/c8.nor", dir.file("normals-link"));
  std::filesystem::create_symlink("m/c8.poi", dir.file("poi-link.gif"));
  // An OBJ's material file goes beside it, under its own name.
  std::filesystem::create_symlink("m/c8.poi", dir.file("scene.mtl"));
  std::filesystem::create_hard_link(dir.file("m/fc8.cel"), dir.file("cel-link"));
  // Chains across two folders, each next link taken from the folder of the link before
  // it, with a decoy where a link taken from the first folder would land.
  std::filesystem::create_directory(dir.file("a"));
  std::filesystem::create_directory(dir.file("b"));
  std::filesystem::create_symlink("../b/link", dir.file("a/out.png"));
  std::filesystem::create_symlink("pic.png", dir.file("b/link"));
  testing::writeText(dir.file("a/pic.png"), "decoy");
  std::filesystem::create_symlink("../m/nlink", dir.file("a/model.png"));
  std::filesystem::create_symlink("c8.nor", dir.file("m/nlink"));
  testing::writeText(dir.file("a/c8.nor"), "decoy");

  struct Refused {
    std::string output;
    std::string message;  // after "orvex-render: "
  };
  const std::vector<Refused> refused = {
      {"/dev/null", "/dev/null is a device, not a regular file; refusing to replace it"},
      {"/dev/full", "/dev/full is a device, not a regular file; refusing to replace it"},
      {"sub", "sub is a directory, not a regular file; refusing to replace it"},
      {"pipe", "pipe is a FIFO, not a regular file; refusing to replace it"},
      {"m/c8.poi", "-o needs a file ending in .png, .gif, .mp4, .webm, .stl, .obj, .ply, .glb, "
                   ".3mf, .svg or .pdf, not 'm/c8.poi'"},
      {"poi-link.gif", "poi-link.gif is the model file " + dir.file("m") + "/c8.poi; refusing "
                       "to replace it"},
      {"normals-link", "normals-link is the model file " + dir.file("m") + "/c8.nor; refusing "
                       "to replace it"},
      {"cel-link", "cel-link is the model file " + dir.file("m") + "/fc8.cel; refusing to "
                   "replace it"},
      {"a/model.png", "a/model.png is the model file " + dir.file("m") + "/c8.nor; refusing "
                      "to replace it"},
      {"scene.obj", "scene.mtl is the model file " + dir.file("m") + "/c8.poi; refusing to "
                    "replace it"},
  };
  for (const Refused& r : refused) {
    const testing::RunResult run =
        runProgram(render({"c8", "--size", "32", "-o", r.output}), dir.path());
    EXPECT_EQ(run.status, 1) << r.output;
    EXPECT_EQ(run.err, "orvex-render: " + r.message + "\n");
  }
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  EXPECT_TRUE(std::filesystem::is_fifo(dir.file("pipe")));
  EXPECT_EQ(testing::readText(dir.file("m/c8.poi")), poi);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("normals-link")));

  // A symlink, dangling or not, is written through; the link itself stays.
  std::filesystem::create_symlink("sub/real.png", dir.file("link.png"));
  std::filesystem::create_symlink(dir.file("sub/new.png"), dir.file("dangling.png"));
  testing::writeText(dir.file("sub/real.png"), "old");
  // A name of 250 bytes works: the temporary name is no longer than the target's.
  const std::string longName = std::string(246, 'n') + ".png";
  for (const std::string& output :
       {std::string("link.png"), std::string("dangling.png"), longName, std::string("a/out.png")}) {
    const testing::RunResult run =
        runProgram(render({"c8", "--size", "32", "-o", output}), dir.path());
    EXPECT_EQ(run.status, 0) << output << ": " << run.err;
    EXPECT_EQ(load(dir.file(output)).width, 32) << output;
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.png")));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("sub/new.png")));
  EXPECT_EQ(testing::readText(dir.file("a/pic.png")), "decoy");
  EXPECT_EQ(testing::readText(dir.file("a/c8.nor")), "decoy");
  EXPECT_EQ(load(dir.file("b/pic.png")).width, 32);
  EXPECT_EQ(dir.entries().size(), 13u) << "no temporary file left behind";
}

TEST(RenderToolTest, NoUsableOpenGlIsAClearFailureNotAnEmptyPicture) {
  TempDir dir;
  // Without a vendor library glvnd's EGL has no platform at all.
  const testing::RunResult r =
      runProgram(render({"c8"}), dir.path(), {"__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("orvex-render: offscreen OpenGL: ", 0), 0u) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_TRUE(dir.entries().empty());
}

TEST(RenderToolTest, ReadsTheConfigurationFileLikeTheViewer) {
  TempDir configured, plain;
  testing::writeText(configured.file("orvex.cfg"), "Width 120\nFillType 1\nExtendRate 0.2\n");
  ASSERT_EQ(runProgram(render({"--turn", "0,0.3,0.2,0.4,0,0"}), configured.path()).status, 0);
  const offscreen::RgbImage fromFile = load(configured.file("orvex.png"));
  EXPECT_EQ(fromFile.width, 120);
  EXPECT_EQ(fromFile.height, 120);

  // The same settings from the command line (-h is FillType 1).
  testing::writeText(plain.file("orvex.cfg"), "ExtendRate 0.2\n");
  ASSERT_EQ(runProgram(render({"-h", "--size", "120", "--turn", "0,0.3,0.2,0.4,0,0"}), plain.path())
                .status,
            0);
  EXPECT_EQ(offscreen::compareImages(fromFile, load(plain.file("orvex.png")), 0).differingPixels,
            0);

  // And without the ExtendRate the picture changes.
  TempDir bare;
  ASSERT_EQ(runProgram(render({"-h", "--size", "120", "--turn", "0,0.3,0.2,0.4,0,0"}), bare.path())
                .status,
            0);
  EXPECT_GT(offscreen::compareImages(fromFile, load(bare.file("orvex.png")), 8).differingPixels,
            100);

  // A FIFO for orvex.cfg is not waited on, not even for --help.
  TempDir piped;
  ASSERT_EQ(mkfifo(piped.file("orvex.cfg").c_str(), 0600), 0);
  EXPECT_EQ(
      ::orvex::testing::runProgram(renderBinary(), {"--help"}, piped.path(), {}, 20).exitStatus, 0);
  const ::orvex::testing::ProgramResult r =
      ::orvex::testing::runProgram(renderBinary(), {}, piped.path(), {}, 20);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "orvex-render: orvex.cfg: not a regular file, so not read as settings\n");
}

TEST(RenderToolTest, AnyNonzeroClipEnablesThePlaneAndBadValuesAreRefused) {
  TempDir dir;
  auto picture = [&](const std::string& clip, const std::string& plane = "1 0 0 0") {
    testing::writeText(dir.file("orvex.cfg"), "ClipPlane " + plane + "\nClip " + clip + "\n");
    const testing::RunResult r =
        runProgram(render({"c24", "--size", "64", "--turn", "0,0.3,0.2,0.4,0,0"}), dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    return load(dir.file("orvex.png"));
  };
  const offscreen::RgbImage off = picture("0"), on = picture("1");
  ASSERT_GT(offscreen::compareImages(off, on, 8).differingPixels, 100)
      << "the plane must cut something";
  for (const char* clip : {"2", "-1"}) {
    EXPECT_EQ(offscreen::compareImages(on, picture(clip), 0).differingPixels, 0) << "Clip " << clip;
  }
  // Every finite plane cuts as its doubles say, though GL keeps it in floats: one far
  // beyond the model keeps all of it, a plane of tiny coefficients is still that plane.
  EXPECT_EQ(offscreen::compareImages(off, picture("1", "1 -1 -1 1e39"), 0).differingPixels, 0);
  EXPECT_EQ(offscreen::compareImages(on, picture("1", "1e-46 0 0 0"), 0).differingPixels, 0);
  EXPECT_EQ(offscreen::compareImages(on, picture("1", "1e300 1e-300 0 0"), 0).differingPixels, 0);

  testing::writeText(dir.file("orvex.cfg"), "Width 64\nClipPlane 0 0 nan 0\n");
  const testing::RunResult bad = runProgram(render({"-o", "bad.png"}), dir.path());
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "orvex-render: orvex.cfg line 2: ClipPlane nan is not a finite number\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("bad.png")));
}

TEST(RenderToolTest, FramesAreTheSpinOfTheLastTurn) {
  TempDir dir;
  const std::string drag = "0,-0.1,0.05,0,0,0", spin = "0,0,0,0.15,-0.05,0";
  ASSERT_EQ(runProgram(render({"--size", "96", "--turn", drag, "--turn", spin, "--frames", "3",
                               "-o", "spin.png"}),
                       dir.path())
                .status,
            0);
  EXPECT_EQ(dir.entries(),
            (std::vector<std::string>{"spin-0001.png", "spin-0002.png", "spin-0003.png"}));
  // Frame 3 has the spin applied three times, exactly as one picture asks for it.
  ASSERT_EQ(runProgram(render({"--size", "96", "--turn", drag, "--turn", spin, "--repeat", "3",
                               "-o", "still.png"}),
                       dir.path())
                .status,
            0);
  const offscreen::RgbImage third = load(dir.file("spin-0003.png"));
  EXPECT_EQ(offscreen::compareImages(third, load(dir.file("still.png")), 0).differingPixels, 0);
  EXPECT_GT(offscreen::compareImages(third, load(dir.file("spin-0001.png")), 8).differingPixels, 50)
      << "the spin must move the picture";
  // --view oblique starts from the explorer's opening view, then takes the turns.
  ASSERT_EQ(runProgram(render({"--size", "96", "--view", "oblique", "--turn", drag, "-o",
                               "oblique.png"}),
                       dir.path())
                .status,
            0);
  ASSERT_EQ(runProgram(render({"--size", "96", "--turn", "0,0.45,0.3,0.35,0.25,0", "--turn", drag,
                               "-o", "turned.png"}),
                       dir.path())
                .status,
            0);
  EXPECT_EQ(offscreen::compareImages(load(dir.file("oblique.png")), load(dir.file("turned.png")), 0)
                .differingPixels,
            0);
}

TEST(RenderToolTest, SectionsPrintTheirCountsAndSweepWithTheViewHeld) {
  TempDir dir;
  testing::RunResult r = runProgram(render({"c8", "--size", "64", "--section", "0.5"}), dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "section w=0.5: 8 vertices, 12 edges, 6 faces\n");
  r = runProgram(render({"c8", "--size", "64", "--section", "+2e0", "-o", "miss.png"}), dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "section w=+2e0: 0 vertices, 0 edges, 0 faces\n");
  // Along any normal: across the long diagonal the octahedron; the level is measured along
  // the normal as given, so 2w = 1 is the cube at w = 0.5.
  r = runProgram(render({"c8", "--size", "64", "--section-normal", "1,1,1,1", "--section", "0"}),
                 dir.path());
  EXPECT_EQ(r.out, "section w=0: 6 vertices, 12 edges, 8 faces\n") << r.err;
  r = runProgram(render({"c8", "--size", "64", "--section-normal", "0,0,0,2", "--section", "1"}),
                 dir.path());
  EXPECT_EQ(r.out, "section w=1: 8 vertices, 12 edges, 6 faces\n") << r.err;
  // A sweep's end is in the same units: 0.8 along (0,0,0,2) is w = 0.4, inside the cube.
  r = runProgram(render({"c8", "--size", "64", "--section-normal", "0,0,0,2", "--section", "0",
                         "--section-to", "0.8", "--frames", "2", "-o", "along.png"}),
                 dir.path());
  EXPECT_EQ(r.out,
            "section w=0: 8 vertices, 12 edges, 6 faces\n"
            "section w=0.8: 8 vertices, 12 edges, 6 faces\n")
      << r.err;
  const offscreen::RgbImage miss = load(dir.file("miss.png"));
  EXPECT_EQ(std::count(miss.pixels.begin(), miss.pixels.end(), 153), 64 * 64 * 3)
      << "a miss is the grey background only";
  // --label writes the line's words, dark on the light grey, in a row of glyphs 7 dots high
  // from 2 dots in at the top left (cut off at the picture's edge), and changes nothing else;
  // a picture of 480 pixels has dots of 2.
  for (const auto& [size, dot] : {std::pair{64, 1}, std::pair{480, 2}}) {
    r = runProgram(render({"c8", "--size", std::to_string(size), "--section", "+2e0", "--label",
                           "-o", "label.png"}),
                   dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const offscreen::RgbImage label = load(dir.file("label.png"));
    int left = size, top = size, bottom = -1, other = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const std::uint8_t* p = &label.pixels[3 * (static_cast<size_t>(y) * size + x)];
        if (p[0] == 153 && p[1] == 153 && p[2] == 153) continue;
        other += p[0] != 20 || p[1] != 20 || p[2] != 20;
        left = std::min(left, x), top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    EXPECT_EQ(other, 0) << size;
    EXPECT_EQ(left, 2 * dot) << size;
    EXPECT_EQ(top, 2 * dot) << size;
    EXPECT_EQ(bottom, 2 * dot + 7 * dot - 1) << size;
  }

  const std::string turn = "0,0.3,0.2,0.5,0.4,0";
  r = runProgram(render({"c8", "--size", "64", "--turn", turn, "--section", "-0.25", "--section-to",
                         "0.25", "--frames", "3", "-o", "sweep.png"}),
                 dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find(':')), "section w=-0.25");
  EXPECT_NE(r.out.find(" faces\nsection w=0: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" faces\nsection w=0.25: "), std::string::npos) << r.out;
  // The middle frame is the cut at 0 of the turned view, not of a view turned further.
  r = runProgram(render({"c8", "--size", "64", "--turn", turn, "--section", "0", "-o", "mid.png"}),
                 dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  const offscreen::RgbImage mid = load(dir.file("mid.png"));
  EXPECT_EQ(offscreen::compareImages(load(dir.file("sweep-0002.png")), mid, 0).differingPixels, 0);
  EXPECT_GT(offscreen::compareImages(load(dir.file("sweep-0001.png")), mid, 8).differingPixels, 50);

  // Vertex-first, seven cuts strictly inside -1 < w < 1, a quarter apart: tetrahedra
  // grow from the first vertex to the four at w = -1/2, each edge from there to the six
  // at w = 0 gives a corner of a truncated tetrahedron, the middle is the octahedron.
  r = runProgram(
      render({"c8", "--size", "32", "--facing", "vertex", "--sweep", "7", "-o", "v.png"}),
      dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "section w=-0.75: 4 vertices, 6 edges, 4 faces\n"
            "section w=-0.5: 4 vertices, 6 edges, 4 faces\n"
            "section w=-0.25: 12 vertices, 18 edges, 8 faces\n"
            "section w=0: 6 vertices, 12 edges, 8 faces\n"
            "section w=0.25: 12 vertices, 18 edges, 8 faces\n"
            "section w=0.5: 4 vertices, 6 edges, 4 faces\n"
            "section w=0.75: 4 vertices, 6 edges, 4 faces\n");
  for (int frame = 1; frame <= 7; ++frame) {
    const offscreen::RgbImage picture = load(dir.file(frameFileName("v.png", frame)));
    int drawn = 0;  // pixels not the grey background
    for (size_t i = 0; i < picture.pixels.size(); i += 3) {
      drawn +=
          picture.pixels[i] != 153 || picture.pixels[i + 1] != 153 || picture.pixels[i + 2] != 153;
    }
    EXPECT_GT(drawn, 10) << "frame " << frame << " is empty";
  }
  // The same cut by angles typed to nine digits, or in degrees; the top vertex alone;
  // sweep ends at the largest doubles.
  const std::vector<std::pair<std::vector<std::string>, std::string>> lines = {
      {{"--turn", "0,0,0,0.785398163,0.615479709,0.523598776", "--section", "0"},
       "section w=0: 6 vertices, 12 edges, 8 faces\n"},
      {{"--turn", "0,0,0,45deg,35.26438968deg,30deg", "--section", "0"},
       "section w=0: 6 vertices, 12 edges, 8 faces\n"},
      {{"--facing", "vertex", "--section", "1"}, "section w=1: 1 vertex, 0 edges, 0 faces\n"},
      {{"--section", "-1e308", "--section-to", "1e308", "--frames", "4"},
       "section w=-1e308: 0 vertices, 0 edges, 0 faces\n"
       "section w=-3.33333333333e+307: 0 vertices, 0 edges, 0 faces\n"
       "section w=3.33333333333e+307: 0 vertices, 0 edges, 0 faces\n"
       "section w=1e308: 0 vertices, 0 edges, 0 faces\n"},
  };
  for (const auto& [args, expected] : lines) {
    std::vector<std::string> all = {"c8", "--size", "16", "-o", "line.png"};
    all.insert(all.end(), args.begin(), args.end());
    r = runProgram(render(all), dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
  }
}

TEST(RenderToolTest, ProjectionExtensionsDrawSomethingElse) {
  TempDir dir;
  const std::string turn = "0,0.2,0.1,0.5,0.3,0";
  ASSERT_EQ(
      runProgram(render({"--size", "96", "--turn", turn, "-o", "ortho.png"}), dir.path()).status,
      0);
  const offscreen::RgbImage ortho = load(dir.file("ortho.png"));
  for (const std::string kind : {"perspective", "stereographic"}) {
    ASSERT_EQ(runProgram(render({"--size", "96", "--turn", turn, "--projection", kind, "-o",
                                 kind + ".png"}),
                         dir.path())
                  .status,
              0)
        << kind;
    const offscreen::RgbImage other = load(dir.file(kind + ".png"));
    EXPECT_GT(offscreen::compareImages(ortho, other, 8).differingPixels, 50) << kind;
    long nonGrey = 0;
    for (size_t i = 0; i < other.pixels.size(); i += 3) {
      nonGrey += other.pixels[i] != other.pixels[i + 2];  // the background is grey
    }
    EXPECT_GT(nonGrey, 200) << kind << " drew no cells";
  }
  const testing::RunResult help = runProgram(render({"--help"}), dir.path());
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--projection"), std::string::npos);
}

}  // namespace
}  // namespace orvex::render_tool
