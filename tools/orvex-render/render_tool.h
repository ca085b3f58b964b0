// The orvex-render program: the viewer's picture, drawn offscreen into PNG files, an
// animated GIF or a video, in the viewer's style or the picture styles of render/.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/model.h"
#include "offscreen/offscreen_context.h"
#include "offscreen/png_io.h"
#include "tools/orvex-render/render_options.h"
#include "view4d/transform4.h"

namespace orvex::render_tool {

/// Applies every turn step, in order, to rotation as the viewer's drag and spin handlers
/// do: `rotate` by the increment, once per repeat.
void applyTurns(const std::vector<TurnStep>& turns, view4d::Transform4* rotation);

/// The rotation a run starts from: the --facing turn, if any, from the start-up view,
/// then every --turn. False with *error when the model has nothing of that kind to face.
bool startRotation(const model::Model& model, const RenderOptions& options,
                   view4d::Transform4* rotation, std::string* error);

/// The rotation of every picture options asks for, in order, from start: one for a
/// single picture; for --frames, start and then the last --turn applied once more per
/// frame, or with --spin start turned by 2π·k/frames in each named plane for frame k + 1,
/// so that frame frames + 1 would be frame 1 again; a sweep holds start throughout.
using Rotations = std::vector<std::unique_ptr<view4d::OrthoProjector>>;
Rotations frameRotations(const view4d::Transform4& start, const RenderOptions& options);

/// start turned by 2π·step/steps in each of the planes (slots 0..5): a spin's frame.
std::unique_ptr<view4d::OrthoProjector> spunRotation(const view4d::Transform4& start,
                                                     const std::vector<int>& planes, int step,
                                                     int steps);

/// startRotation from the frame of --section-normal's normal, if given, whose levels it
/// turns from the model's units along that normal into the loaded model's along the unit
/// one; otherwise startRotation from the start-up view.
bool startView(const model::Model& model, RenderOptions* options, view4d::Transform4* start,
               std::string* error);

/// Receives each picture as it is drawn: the frame number (from 1; 0 for the one picture
/// of no --frames) and, for a section, its "section w=..." line. False with *error stops.
using PictureSink = std::function<bool(const offscreen::RgbImage& image, int frame,
                                       const std::string& line, std::string* error)>;

/// How many pictures came out with nothing drawn, and the number of the first.
struct Blanks {
  int count = 0, first = 0;
};

/// Draws every picture options asks for of model, exactly as orvex-render writes them,
/// on an offscreen context of its own, and hands each to add; counts blank ones in
/// *blanks when given. False with *error.
bool renderPictures(const model::Model& model, RenderOptions options, const PictureSink& add,
                    std::string* error, Blanks* blanks = nullptr);

/// Runs orvex-render with the process's arguments; returns the exit status. Problems
/// are one line on stderr and status 1, with no picture written for the failed frame.
int runRender(int argc, char** argv);

}  // namespace orvex::render_tool
