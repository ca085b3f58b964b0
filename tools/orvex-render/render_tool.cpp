#include "tools/orvex-render/render_tool.h"

#include <cmath>
#include <iostream>

#include "model/data_dir.h"
#include "model/loader.h"
#include "model/output_file.h"
#include "model/printable.h"
#include "offscreen/image_ops.h"
#include "render/facing.h"
#include "render/picture_style.h"
#include "render/scene.h"
#include "tools/orvex-render/picture_output.h"
#include "tools/orvex-render/scene_export.h"
#include "tools/orvex-render/section_pictures.h"
#include "view4d/projections.h"

namespace orvex::render_tool {
namespace {

int fail(const std::string& message) {
  // Paths and names the user gave may hold line ends or terminal escapes.
  std::cerr << "orvex-render: " << model::printable(message, message.size()) << std::endl;
  return 1;
}

// Reads orvex.cfg and the arguments; -1 to go on drawing, else the exit status.
int readOptions(int argc, char** argv, RenderOptions* options) {
  options->settings.dataDir = model::defaultDataDir();
  std::string error;
  // A refused configuration value still lets --help and --version answer.
  std::string configError;
  const bool configRead = config::readConfigFile("orvex.cfg", &options->settings, &configError);
  switch (parseRenderOptions(argc, argv, options, &error)) {
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
  return configRead ? -1 : fail(configError);
}

// Refused before any drawing: names that cannot take a picture, and the model's own
// files, which a careless -o would otherwise replace.
bool checkOutputs(const RenderOptions& options, std::string* error) {
  const std::vector<std::string> modelFiles =
      model::modelFilePaths(options.settings.dataDir, options.settings.modelName);
  for (const std::string& name : outputFileNames(options)) {
    std::string target;
    if (!model::resolveOutputPath(name, &target, error)) return false;
    for (const std::string& file : modelFiles) {
      if (model::sameFile(target, file)) {
        *error = name + " is the model file " + file + "; refusing to replace it";
        return false;
      }
    }
  }
  return true;
}

// The fit for every frame at once, so an animation keeps one scale and centre.
render::FrameFit fitFrames(const model::Model& model, const RenderOptions& options,
                           const Rotations& rotations, const render::DrawSettings& settings,
                           view4d::Transform4* view) {
  render::FrameFit fit;
  if (options.style.fit) {
    render::ScreenBounds bounds;
    for (const auto& rotation : rotations) {
      view4d::assignView(*rotation, options.distance, view);
      render::addDrawnPoints(model, *view, render::kEye, settings, &bounds);
    }
    fit = render::fitBounds(bounds, 0.04);
  }
  fit.scale *= options.style.zoom;
  return fit;
}

// Draws one picture with draw() and reads it back at the output size: averaged down
// from the --aa samples, and for a transparent background drawn on black and on white
// to recover the alpha.
template <typename Draw>
offscreen::RgbImage capture(const offscreen::OffscreenContext& context,
                            const RenderOptions& options, Draw draw) {
  auto once = [&] {
    draw();
    offscreen::RgbImage image;
    image.width = context.width();
    image.height = context.height();
    image.pixels = context.readRgb();
    return offscreen::shrinkByAveraging(image, options.aa);
  };
  if (!options.transparent) return once();
  const float black[3] = {0.0f, 0.0f, 0.0f}, white[3] = {1.0f, 1.0f, 1.0f};
  render::setBackground(black);
  const offscreen::RgbImage onBlack = once();
  render::setBackground(white);
  const offscreen::RgbImage onWhite = once();
  return offscreen::alphaFromBlackAndWhite(onBlack, onWhite);
}

// Draws every frame into output; false with *error at the first that fails.
bool drawFrames(const offscreen::OffscreenContext& context, const model::Model& model,
                const RenderOptions& options, const view4d::Transform4& start,
                model::Vec3List* projected, PictureOutput* output, std::string* error) {
  const Rotations rotations = frameRotations(start, options);
  std::unique_ptr<view4d::Transform4> view = view4d::makeView(options.projection);
  const render::StyledModel styled = render::prepareStyle(model, options.style);
  const render::DrawSettings settings =
      render::styledSettings(config::drawSettingsOf(options.settings), options.style, styled);
  const render::FrameFit fit = fitFrames(model, options, rotations, settings, view.get());
  render::applyPictureStyle(options.style, fit, options.size * options.aa);
  for (size_t i = 0; i < rotations.size(); ++i) {
    view4d::assignView(*rotations[i], options.distance, view.get());
    // A section replaces the projection; its line is printed once its picture is kept.
    // A sweep moves the cut and holds the view.
    std::string line;
    double w = options.section.from;
    std::string wText = options.section.fromText;
    if (options.section.sweep) {
      sweepLevel(options.section, static_cast<int>(i) + 1, options.frames, &w, &wText);
    }
    const offscreen::RgbImage image = capture(context, options, [&] {
      if (options.exported.struts) {
        drawStrutFrame(model, *view, options);
      } else if (options.section.on) {
        renderSection(context, model, *view, options.settings, w, wText, &line);
      } else {
        render::drawStyledFrame(model, *view, render::kEye, settings, options.style, styled,
                                projected);
      }
    });
    const int frame = options.frames == 0 ? 0 : static_cast<int>(i) + 1;
    if (!output->add(image, frame, error)) return false;
    if (!line.empty()) std::cout << line << std::endl;
  }
  return output->finish(error);
}

}  // namespace

void applyTurns(const std::vector<TurnStep>& turns, view4d::Transform4* rotation) {
  for (const TurnStep& step : turns) {
    for (int r = 0; r < step.repeat; ++r) rotation->rotate(step.increment);
  }
}

std::unique_ptr<view4d::OrthoProjector> spunRotation(const view4d::Transform4& start,
                                                     const std::vector<int>& planes, int step,
                                                     int steps) {
  auto spun = std::make_unique<view4d::OrthoProjector>();
  for (int row = 0; row < 4; ++row) spun->data[row] = start.data[row];
  view4d::PlaneAngles angles;
  for (int slot : planes) angles[slot] = 2.0 * M_PI * step / steps;
  spun->rotate(angles);
  return spun;
}

bool startRotation(const model::Model& model, const RenderOptions& options,
                   view4d::Transform4* rotation, std::string* error) {
  if (options.facingOn && !render::applyFacing(model, options.facing, rotation)) {
    *error = model::printable(options.settings.modelName) +
             " has nothing of that kind off the origin to face";
    return false;
  }
  applyTurns(options.turns, rotation);
  return true;
}

Rotations frameRotations(const view4d::Transform4& start, const RenderOptions& options) {
  view4d::OrthoProjector rotation;
  for (int row = 0; row < 4; ++row) rotation.data[row] = start.data[row];
  Rotations rotations;
  rotations.push_back(spunRotation(rotation, {}, 0, 1));
  for (int frame = 2; frame <= options.frames; ++frame) {
    if (options.section.sweep) {
      rotations.push_back(spunRotation(rotation, {}, 0, 1));
    } else if (options.spinPlanes.empty()) {
      rotation.rotate(options.turns.back().increment);
      rotations.push_back(spunRotation(rotation, {}, 0, 1));
    } else {
      // Each frame from the start, not by increments: after a whole turn in every plane
      // the rotation is the identity again, whichever planes are named.
      rotations.push_back(spunRotation(rotation, options.spinPlanes, frame - 1, options.frames));
    }
  }
  return rotations;
}

int runRender(int argc, char** argv) {
  RenderOptions options;
  const int status = readOptions(argc, argv, &options);
  if (status >= 0) return status;

  std::string error;
  model::Model model;
  model::Vec3List projected;
  if (!model::loadModel(options.settings.dataDir, options.settings.modelName, &model, &projected,
                        &error) ||
      !checkOutputs(options, &error)) {
    return fail(error);
  }
  if (options.exported.mesh || options.exported.figure) {
    view4d::OrthoProjector start;
    if (!startRotation(model, options, &start, &error)) return fail(error);
    return runExport(model, options, start);
  }
  PictureOutput output;
  if (!output.open(options, &error)) return fail(error);

  const int drawnSize = options.size * options.aa;
  std::unique_ptr<offscreen::OffscreenContext> context =
      offscreen::OffscreenContext::create(drawnSize, drawnSize, &error);
  if (!context) return fail(error);
  render::setupScene(config::sceneSettingsOf(options.settings), render::kEye);

  view4d::OrthoProjector start;
  if (!startRotation(model, options, &start, &error)) return fail(error);
  if (options.section.inside > 0) {
    // --sweep's ends are the polytope's span along w in the view the frames hold.
    std::unique_ptr<view4d::Transform4> view = view4d::makeView(options.projection);
    view4d::assignView(start, options.distance, view.get());
    spanModel(model, *view, &options.section);
  }
  if (!drawFrames(*context, model, options, start, &projected, &output, &error)) {
    return fail(error);
  }
  return 0;
}

}  // namespace orvex::render_tool
