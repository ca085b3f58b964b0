#include "tools/orvex-render/render_tool.h"

#include <cmath>
#include <iostream>

#include "model/data_dir.h"
#include "model/loader.h"
#include "base/output_file.h"
#include "base/printable.h"
#include "offscreen/image_ops.h"
#include "offscreen/text_stamp.h"
#include "render/gl/scene_gl.h"
#include "render/facing.h"
#include "render/hyperplane.h"
#include "render/picture_style.h"
#include "render/scene.h"
#include "render/schlegel.h"
#include "tools/orvex-render/picture_output.h"
#include "tools/orvex-render/scene_export.h"
#include "tools/orvex-render/section_pictures.h"
#include "view4d/projections.h"

namespace orvex::render_tool {
namespace {

int fail(const std::string& message) {
  // Paths and names the user gave may hold line ends or terminal escapes.
  std::cerr << "orvex-render: " << base::printable(message, message.size()) << std::endl;
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
    if (!base::resolveOutputPath(name, &target, error)) return false;
    for (const std::string& file : modelFiles) {
      if (base::sameFile(target, file)) {
        *error = name + " is the model file " + file + "; refusing to replace it";
        return false;
      }
    }
  }
  return true;
}

// The view of each frame in the chosen projection, with the cells it cannot show left out
// of the settings it hands back.
class FrameViews {
 public:
  FrameViews(const model::Model& model, const RenderOptions& options,
             const view4d::Transform4& start, const render::DrawSettings& settings)
      : model_(model), options_(options), settings_(settings) {
    if (options.schlegel) {
      pole_ = options.pole >= 0 ? options.pole : render::cellFacingViewer(model, start);
      view_ = std::make_unique<render::SchlegelProjector>();
      // The diagram shows every cell in its place; pushed out, cells would leave the frame.
      settings_.allCells = true;
      settings_.extendRate = 0.0;
      // The outer cell's polygons are the shell round the whole picture: left out, they
      // open the view into the cells, and their edges still frame it.
      if (pole_ >= 0) {
        poleFaces_.assign(model.polygons->count, 0);
        const model::IndexList& shell = (*model.cellPolygons)[pole_];
        for (int j = 0; j < shell.count; ++j) poleFaces_[shell[j]] = 1;
        settings_.polygonsLeftOut = &poleFaces_;
      }
    } else {
      pole_ = options.pole;
      view_ = view4d::makeView(options.projection);
    }
  }

  /// Sets the view for one frame's rotation; the settings to draw it with.
  const render::DrawSettings& set(const view4d::Transform4& rotation) {
    if (options_.schlegel) {
      render::assignSchlegelView(model_, pole_, rotation,
                                 static_cast<render::SchlegelProjector*>(view_.get()));
      return settings_;
    }
    if (options_.projection != view4d::Projection::kStereographic) {
      view4d::assignView(rotation, options_.distance, view_.get());
      return settings_;
    }
    view4d::OrthoProjector turned;
    for (int row = 0; row < 4; ++row) turned.data[row] = rotation.data[row];
    if (pole_ >= 0) render::turnPoleThrough(model_, pole_, &turned);
    view4d::assignView(turned, options_.distance, view_.get());
    leftOut_ = render::cellsThroughPole(model_, *view_);
    settings_.leftOut = &leftOut_;
    return settings_;
  }
  const view4d::Transform4& view() const { return *view_; }

 private:
  const model::Model& model_;
  const RenderOptions& options_;
  render::DrawSettings settings_;
  std::unique_ptr<view4d::Transform4> view_;
  int pole_ = -1;
  std::vector<char> leftOut_;
  std::vector<char> poleFaces_;
};

// The fit for every frame at once, so an animation keeps one scale and centre.
render::FrameFit fitFrames(const model::Model& model, const RenderOptions& options,
                           const Rotations& rotations, FrameViews* views) {
  render::FrameFit fit;
  if (options.style.fit) {
    render::ScreenBounds bounds;
    for (const auto& rotation : rotations) {
      const render::DrawSettings& settings = views->set(*rotation);
      render::addDrawnPoints(model, views->view(), render::kEye, settings, &bounds);
    }
    fit = render::fitBounds(bounds, 0.04);
  }
  fit.scale *= options.style.zoom;
  return fit;
}

// A picture with nothing drawn is one colour all over.
bool blank(const offscreen::RgbImage& image) {
  const size_t channels = image.alpha ? 4 : 3;
  for (size_t i = channels; i < image.pixels.size(); ++i) {
    if (image.pixels[i] != image.pixels[i % channels]) return false;
  }
  return true;
}

// The section's line in the top left corner, dark on a light background, light on a dark.
void writeLabel(const RenderOptions& options, const std::string& line,
                offscreen::RgbImage* image) {
  const float* b = options.style.background;
  const bool light = options.transparent || 0.3f * b[0] + 0.59f * b[1] + 0.11f * b[2] > 0.5f;
  const std::uint8_t dark[3] = {20, 20, 20}, bright[3] = {240, 240, 240};
  const int scale = std::max(1, options.size / 240);
  // "section " is the printed line's; the picture has room only for what it says.
  const std::string text = line.substr(line.find(' ') + 1);
  offscreen::stampText(image, text, 2 * scale, 2 * scale, scale, light ? dark : bright);
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
                model::Vec3List* projected, const PictureSink& add, Blanks* blanks,
                std::string* error) {
  const Rotations rotations = frameRotations(start, options);
  render::StyledModel styled = render::prepareStyle(model, options.style);
  FrameViews views(
      model, options, start,
      render::styledSettings(config::drawSettingsOf(options.settings), options.style, styled));
  const render::FrameFit fit = fitFrames(model, options, rotations, &views);
  render::applyPictureStyle(options.style, fit, options.size * options.aa, options.aa, &styled);
  for (size_t i = 0; i < rotations.size(); ++i) {
    const render::DrawSettings& settings = views.set(*rotations[i]);
    const view4d::Transform4* view = &views.view();
    // A section replaces the projection; its line is printed once its picture is kept.
    // A sweep moves the cut and holds the view.
    std::string line;
    double w = options.section.from;
    std::string wText = options.section.fromText;
    if (options.section.sweep) {
      sweepLevel(options.section, static_cast<int>(i) + 1, options.frames, &w, &wText);
    }
    if (options.section.alongNormal && options.section.sweep &&
        wText != options.section.fromText && wText != options.section.toText) {
      // A sweep's levels are printed along the normal as given, in the model's units.
      const double unit = std::sqrt(model::dot(options.section.normal, options.section.normal));
      wText = shortestText(w * unit * model.scale);
    }
    offscreen::RgbImage image = capture(context, options, [&] {
      if (options.exported.struts) {
        drawStrutFrame(model, *view, options);
      } else if (options.section.on) {
        const render::Section s = render::computeSection(model, *view, w);
        render::drawStyledSection(s, model, render::kEye, settings, options.style, styled);
        line = sectionLine(wText, s);
      } else {
        render::drawStyledFrame(model, *view, render::kEye, settings, options.style, styled,
                                projected);
      }
    });
    const int frame = options.frames == 0 ? 0 : static_cast<int>(i) + 1;
    if (blank(image) && blanks->count++ == 0) blanks->first = frame;
    if (options.label) writeLabel(options, line, &image);
    if (!add(image, frame, line, error)) return false;
  }
  return true;
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
  if (options.oblique) rotation->rotate(render::kObliqueTurn);
  if (options.pole >= model.cellPolygons->count) {
    *error = "--pole cell " + std::to_string(options.pole + 1) + ": " +
             base::printable(options.settings.modelName) + " has " +
             std::to_string(model.cellPolygons->count) + " cells";
    return false;
  }
  if (options.facingOn && !render::applyFacing(model, options.facing, rotation)) {
    *error = base::printable(options.settings.modelName) +
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

bool startView(const model::Model& model, RenderOptions* options, view4d::Transform4* start,
               std::string* error) {
  SectionOptions& section = options->section;
  if (section.alongNormal) {
    // The rotation is the view's transpose; the levels, in the model's units along the
    // normal as given, become the loaded model's along the unit normal.
    view4d::OrthoProjector frame;
    render::hyperplaneFrame(section.normal, &frame);
    start->assignTranspose(frame);
    const double unit = std::sqrt(model::dot(section.normal, section.normal)) * model.scale;
    section.from /= unit;
    section.to /= unit;
  }
  return startRotation(model, *options, start, error);
}

bool renderPictures(const model::Model& model, RenderOptions options, const PictureSink& add,
                    std::string* error, Blanks* blanks) {
  Blanks none;
  const int drawnSize = options.size * options.aa;
  std::unique_ptr<offscreen::OffscreenContext> context =
      offscreen::OffscreenContext::create(drawnSize, drawnSize, error);
  if (!context) return false;
  render::setupScene(config::sceneSettingsOf(options.settings), render::kEye);

  view4d::OrthoProjector start;
  if (!startView(model, &options, &start, error)) return false;
  if (options.section.inside > 0) {
    // --sweep's ends are the polytope's span along w in the view the frames hold.
    std::unique_ptr<view4d::Transform4> view = view4d::makeView(options.projection);
    view4d::assignView(start, options.distance, view.get());
    spanModel(model, *view, &options.section);
  }
  model::Vec3List projected;
  projected.resize(model.vertices->count);
  return drawFrames(*context, model, options, start, &projected, add, blanks ? blanks : &none,
                    error);
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
    if (!startView(model, &options, &start, &error)) return fail(error);
    return runExport(model, options, start);
  }
  PictureOutput output;
  if (!output.open(options, &error)) return fail(error);
  const PictureSink add = [&output](const offscreen::RgbImage& image, int frame,
                                    const std::string& line, std::string* error) {
    if (!output.add(image, frame, error)) return false;
    // A section's line is printed once its picture is kept.
    if (!line.empty()) std::cout << line << std::endl;
    return true;
  };
  Blanks blanks;
  if (!renderPictures(model, options, add, &error, &blanks) || !output.finish(&error)) {
    return fail(error);
  }
  if (blanks.count > 0) {
    // Not a failure (a sweep may start outside the polytope), but never silent.
    std::string where = options.output + ":";
    if (options.frames > 0) {
      where += " " + std::to_string(blanks.count) + " of " + std::to_string(options.frames) +
               " pictures, the first number " + std::to_string(blanks.first) + ",";
    }
    std::cerr << "orvex-render: warning: " << base::printable(where)
              << " nothing drawn: every cell hidden, left out or outside the picture"
              << std::endl;
  }
  return 0;
}

}  // namespace orvex::render_tool
