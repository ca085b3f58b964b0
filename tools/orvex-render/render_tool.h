// The orvex-render program: the viewer's picture, drawn offscreen into PNG files.
#pragma once

#include <string>

#include "model/model.h"
#include "offscreen/offscreen_context.h"
#include "offscreen/png_io.h"
#include "tools/orvex-render/render_options.h"
#include "view4d/transform4.h"

namespace orvex::render_tool {

/// Applies every turn step, in order, to rotation as the viewer's drag and spin handlers
/// do: `rotate` by the increment, once per repeat.
void applyTurns(const std::vector<TurnStep>& turns, view4d::Transform4* rotation);

/// Draws one frame exactly as the viewer's display does (clear, then the cell walk into
/// the GL sink) on the current context, and reads it back.
offscreen::RgbImage renderFrame(const offscreen::OffscreenContext& context, const model::Model& model,
                     const view4d::Transform4& view, const config::Settings& settings,
                     model::Vec3List* projected);

/// Runs orvex-render with the process's arguments; returns the exit status. Problems
/// are one line on stderr and status 1, with no picture written for the failed frame.
int runRender(int argc, char** argv);

}  // namespace orvex::render_tool
