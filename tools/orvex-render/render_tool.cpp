#include "tools/orvex-render/render_tool.h"

#include <iostream>

#include "model/data_dir.h"
#include "model/loader.h"
#include "render/scene.h"
#include "offscreen/output_file.h"
#include "view4d/projections.h"
#include "tools/orvex-render/section_pictures.h"

namespace orvex::render_tool {
namespace {

int fail(const std::string& message) {
  std::cerr << "orvex-render: " << message << std::endl;
  return 1;
}

}  // namespace

void applyTurns(const std::vector<TurnStep>& turns, view4d::Transform4* rotation) {
  for (const TurnStep& step : turns) {
    for (int r = 0; r < step.repeat; ++r) rotation->rotate(step.increment);
  }
}

offscreen::RgbImage renderFrame(const offscreen::OffscreenContext& context, const model::Model& model,
                     const view4d::Transform4& view, const config::Settings& settings,
                     model::Vec3List* projected) {
  render::drawFrame(model, view, render::kEye, config::drawSettingsOf(settings), projected);
  offscreen::RgbImage image;
  image.width = context.width();
  image.height = context.height();
  image.pixels = context.readRgb();
  return image;
}

int runRender(int argc, char** argv) {
  RenderOptions options;
  options.settings.dataDir = model::defaultDataDir();
  std::string error;
  // A refused configuration value still lets --help and --version answer.
  std::string configError;
  const bool configRead = config::readConfigFile("orvex.cfg", &options.settings, &configError);
  switch (parseRenderOptions(argc, argv, &options, &error)) {
    case RenderAction::kHelp:
      std::cout << renderUsageText(model::defaultDataDir());
      return 0;
    case RenderAction::kVersion:
      std::cout << "orvex-render " << ORVEX_VERSION << "\n";
      return 0;
    case RenderAction::kError:
      return fail(error);
    case RenderAction::kRun:
      break;
  }
  if (!configRead) return fail(configError);

  model::Model model;
  model::Vec3List projected;
  if (!model::loadModel(options.settings.dataDir, options.settings.modelName, &model, &projected,
                        &error)) {
    return fail(error);
  }

  // Refused before any drawing: names that cannot take a picture, and the model's own
  // files, which a careless -o would otherwise replace.
  const std::vector<std::string> modelFiles =
      model::modelFilePaths(options.settings.dataDir, options.settings.modelName);
  for (int frame = options.frames == 0 ? 0 : 1; frame <= options.frames; ++frame) {
    const std::string name = frame == 0 ? options.output : frameFileName(options.output, frame);
    std::string target;
    if (!offscreen::resolveOutputPath(name, &target, &error)) return fail(error);
    for (const std::string& file : modelFiles) {
      if (offscreen::sameFile(target, file)) {
        return fail(name + " is the model file " + file + "; refusing to replace it");
      }
    }
  }

  std::unique_ptr<offscreen::OffscreenContext> context =
      offscreen::OffscreenContext::create(options.size, options.size, &error);
  if (!context) return fail(error);
  render::setupScene(config::sceneSettingsOf(options.settings), render::kEye);

  view4d::OrthoProjector rotation;
  applyTurns(options.turns, &rotation);
  std::unique_ptr<view4d::Transform4> view = view4d::makeView(options.projection);
  view4d::assignView(rotation, options.distance, view.get());

  if (options.section.sweep) {
    if (!writeSectionSweep(*context, model, *view, options, std::cout, &error)) return fail(error);
    return 0;
  }
  // A section replaces the projection; its line is printed once its picture is written.
  std::string line;
  auto picture = [&] {
    if (!options.section.on) {
      return renderFrame(*context, model, *view, options.settings, &projected);
    }
    return renderSection(*context, model, *view, options.settings, options.section.from,
                         options.section.fromText, &line);
  };
  auto printLine = [&] {
    if (!line.empty()) std::cout << line << std::endl;
  };

  if (options.frames == 0) {
    const offscreen::RgbImage image = picture();
    if (!offscreen::writePng(options.output, image, &error)) return fail(error);
    printLine();
    return 0;
  }
  const view4d::PlaneAngles& spin = options.turns.back().increment;
  for (int frame = 1; frame <= options.frames; ++frame) {
    if (frame > 1) {
      rotation.rotate(spin);
      view4d::assignView(rotation, options.distance, view.get());
    }
    const offscreen::RgbImage image = picture();
    if (!offscreen::writePng(frameFileName(options.output, frame), image, &error)) return fail(error);
    printLine();
  }
  return 0;
}

}  // namespace orvex::render_tool
