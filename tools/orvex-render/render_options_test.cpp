#include "tools/orvex-render/render_options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace orvex::render_tool {
namespace {

RenderAction parse(std::vector<const char*> args, RenderOptions* options, std::string* error) {
  args.insert(args.begin(), "orvex-render");
  return parseRenderOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(RenderOptionsTest, ViewerWordsMeanWhatTheyMeanToTheViewer) {
  RenderOptions o;
  o.settings.width = 240;  // as if from orvex.cfg
  std::string error;
  ASSERT_EQ(parse({"c24", "-hello", "-x", "-clip", "-", "-n", "-s", "c120", "-n"}, &o, &error),
            RenderAction::kRun)
      << error;
  // Judged by the second character as orvex judges them: -hello is -h, -clip is -c, -x
  // and - are ignored; "-s" after -n is the title, not a switch; a last -n is ignored;
  // the last model name wins.
  EXPECT_EQ(o.settings.modelName, "c120");
  EXPECT_EQ(o.settings.fillType, 1);
  EXPECT_EQ(o.settings.clip, 1);
  EXPECT_EQ(o.size, 240) << "the size defaults to the Width setting";
  EXPECT_EQ(o.output, "orvex.png");
  EXPECT_EQ(o.projection, view4d::Projection::kOrtho);
}

TEST(RenderOptionsTest, TurnsKeepTheirOrderAndEachRepeatBelongsToItsTurn) {
  RenderOptions o;
  std::string error;
  ASSERT_EQ(parse({"--turn", "0,-0.05,0.025,0,0,0", "--repeat", "3", "--turn=0,0,0,1e-2,-2,0",
                   "--size=64", "-o", "out/a.png", "--frames", "5", "--projection",
                   "stereographic", "--turn", "-90deg,0,0,0,0,1e-3deg", "--spin", "zw,xy"},
                  &o, &error),
            RenderAction::kRun)
      << error;
  ASSERT_EQ(o.turns.size(), 3u);
  EXPECT_DOUBLE_EQ(o.turns[2].increment[0], -M_PI / 2);
  EXPECT_DOUBLE_EQ(o.turns[2].increment[5], 1e-3 * M_PI / 180);
  EXPECT_EQ(o.spinPlanes, (std::vector<int>{5, 0}));
  EXPECT_DOUBLE_EQ(o.turns[0].increment[1], -0.05);
  EXPECT_DOUBLE_EQ(o.turns[0].increment[2], 0.025);
  EXPECT_EQ(o.turns[0].repeat, 3);
  EXPECT_DOUBLE_EQ(o.turns[1].increment[3], 0.01);
  EXPECT_DOUBLE_EQ(o.turns[1].increment[4], -2.0);
  EXPECT_EQ(o.turns[1].repeat, 1);
  EXPECT_EQ(o.size, 64);
  EXPECT_EQ(o.output, "out/a.png");
  EXPECT_EQ(o.frames, 5);
  EXPECT_EQ(o.projection, view4d::Projection::kStereographic);

  // Outputs by extension, case ignored; a name without one stays PNG.
  for (const auto& [name, kind] : std::vector<std::pair<const char*, OutputKind>>{
           {"a.GIF", OutputKind::kGif}, {"d.x/a", OutputKind::kPng},
           {"a.webm", OutputKind::kWebm}, {"a.Mp4", OutputKind::kMp4}}) {
    RenderOptions styled;
    ASSERT_EQ(parse({"-o", name, "--background", "#ff8000", "--size", "64"}, &styled, &error),
              RenderAction::kRun)
        << name << ": " << error;
    EXPECT_EQ(styled.outputKind, kind) << name;
    EXPECT_FLOAT_EQ(styled.style.background[1], 128.0f / 255.0f);
  }
  // Degrees by suffix; subnormal numbers are numbers.
  o = RenderOptions();
  ASSERT_EQ(parse({"--turn", "45deg,-90deg,1e-320,0,0,-1e-310deg", "--section", "1e-320",
                   "--facing", "edge"},
                  &o, &error),
            RenderAction::kRun)
      << error;
  EXPECT_DOUBLE_EQ(o.turns[0].increment[0], std::atan(1.0));
  EXPECT_DOUBLE_EQ(o.turns[0].increment[1], -2 * std::atan(1.0));
  EXPECT_EQ(o.turns[0].increment[2], 1e-320);
  EXPECT_LT(o.turns[0].increment[5], 0.0);
  EXPECT_TRUE(o.facingOn);
  EXPECT_EQ(o.facing, render::Facing::kEdge);
  EXPECT_EQ(o.section.from, 1e-320);
  // --sweep N is a sweep of N frames.
  o = RenderOptions();
  ASSERT_EQ(parse({"--sweep", "4", "c8"}, &o, &error), RenderAction::kRun) << error;
  EXPECT_TRUE(o.section.on && o.section.sweep);
  EXPECT_EQ(o.section.inside, 4);
  EXPECT_EQ(o.frames, 4);
}

TEST(RenderOptionsTest, RefusesBadArgumentsWithOneLineNamingThem) {
  const std::vector<std::vector<const char*>> bad = {
      {"--size", "0"},          {"--size", "12x"},        {"--size"},
      {"--turn", "1,2,3,4,5"},  {"--turn", "1,2,3,4,5,6,7"}, {"--turn", "1,2,,4,5,6"},
      {"--turn", "1,2,3,4,5,nan"}, {"--repeat", "2"},     {"--turn", "0,0,0,0,0,1", "--repeat", "-1"},
      {"--frames", "3"},        {"--projection", "fisheye"}, {"--distance", "1"},
      {"--sizes", "3"},         {"-o", ""},
      {"--section", "nan"},     {"--section", "-inf"},    {"--section", "0", "--section-to", "1"},
      {"--section", "0", "--projection", "angle"}, {"--projection", "angle"},
      {"--section", "0", "--projection", "schlegel"},
      {"-o", "a.jpg"},          {"-o", "a.gif.txt"},      {"--spin", "xw"},
      {"--spin", "xw,xw", "--frames", "4"}, {"--spin", "wx", "--frames", "4"},
      {"--turn", "0,0,0,1,0,0", "--repeat", "1000000", "--turn", "0,0,0,1,0,0"},
      {"--turn", "0,0,0,1deg,0,0", "--repeat", "1000001"}, {"--turn", "0,0,0,deg,0,0"},
      {"--background", "transparent", "-o", "a.gif"}, {"--background", "#ff80"},
      {"--background", "#gg8000"}, {"--size", "301", "-o", "a.mp4"},
      {"--aa", "4", "--size", "4097"}, {"--size", "2000", "--frames", "70", "-o", "a.gif",
                                         "--spin", "xw"}, {"--edges=1"}, {"--cells", "some"},
      {"--section", "0", "--wireframe"}, {"--sweep", "3", "--opacity", "0.5"},
      {"--label"},              {"--wireframe", "--opacity", "0.5"}, {"--opacity", "0"},
      {"--opacity", "1.5"},     {"--edge-width", "0"},   {"--extend", "-1"},
      {"--view", "side"},       {"--pole", "cell", "2"}, {"--projection", "schlegel", "--pole",
                                                          "cell", "0"},
      {"--projection", "schlegel", "--pole", "2"},
      {"--sweep", "0"},         {"--sweep", "3", "--frames", "3"},
      {"--section", "0", "--sweep", "3"},
      {"--sweep", "3", "--projection", "angle"}, {"--facing", "corner"},
      {"--turn", "deg,0,0,0,0,0"}, {"--turn", "1e400deg,0,0,0,0,0"}, {"--turn", "1,2,3,4,5,6rad"},
      {"--section", "1e400"},
      {"--section-normal", "1,1,1,1"}, {"--section-normal", "0,0,0,0", "--section", "0"},
      {"--section-normal", "1,1,1", "--section", "0"}, {"--section-normal", "1,1,1,1,", "--section", "0"},
      {"--section-normal", "1,0,0,0", "--section", "0", "--facing", "cell"},
      // 3D models and vector figures hold one view, and their own options need them.
      {"--struts", "-o", "a.svg"}, {"--print-size", "50"}, {"--print-size", "0", "-o", "a.stl"},
      {"--strut-radius", "1", "-o", "a.stl"},
      {"--struts", "--strut-radius", "-1", "-o", "a.stl"}, {"--struts", "--strut-radius", "30", "-o", "a.stl"},
      {"--struts", "--section", "0", "-o", "a.stl"}, {"--edges", "-o", "a.obj"},
      {"--spin", "xw", "--frames", "4", "-o", "a.glb"}, {"--sweep", "3", "-o", "a.svg"},
      {"--background", "transparent", "-o", "a.pdf"}, {"--label", "-o", "a.svg"},
      {"--label", "--section", "0", "-o", "a.stl"},
      // Typed or pasted line ends and control bytes stay escaped in the one line.
      {"--bo\ngus\r"},          {"--size", "1\n2"},
  };
  for (const auto& args : bad) {
    RenderOptions o;
    std::string error;
    EXPECT_EQ(parse(args, &o, &error), RenderAction::kError) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
  RenderOptions o;
  std::string error;
  parse({"--size", "abc"}, &o, &error);
  EXPECT_EQ(error, "--size needs a whole number of pixels from 1 to 16384, not 'abc'");
  parse({"--bogus"}, &o, &error);
  EXPECT_EQ(error, "unknown option '--bogus' (see --help)");
  o = RenderOptions();
  o.settings.width = -3;
  EXPECT_EQ(parse({}, &o, &error), RenderAction::kError) << "a bad Width needs --size";
  EXPECT_EQ(parse({"--help"}, &o, &error), RenderAction::kHelp);
}

TEST(RenderOptionsTest, FrameNamesNumberBeforeTheExtension) {
  EXPECT_EQ(frameFileName("spin.png", 1), "spin-0001.png");
  EXPECT_EQ(frameFileName("out/spin.x.png", 42), "out/spin.x-0042.png");
  EXPECT_EQ(frameFileName("spin", 7), "spin-0007");
  EXPECT_EQ(frameFileName("dir.d/spin", 7), "dir.d/spin-0007") << "a dot in a directory";
  EXPECT_EQ(frameFileName(".hidden", 3), ".hidden-0003");
}

}  // namespace
}  // namespace orvex::render_tool
