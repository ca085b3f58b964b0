// orvex-render's cross-sections: one picture of the cut w = W, or a sweep of them.
#pragma once

#include <ostream>
#include <string>

#include "model/model.h"
#include "render/section.h"
#include "offscreen/offscreen_context.h"
#include "offscreen/png_io.h"
#include "tools/orvex-render/render_options.h"
#include "view4d/transform4.h"

namespace orvex::render_tool {

/// The line printed for a section: "section w=W: V vertices, E edges, F faces", with W
/// as wText gives it.
std::string sectionLine(const std::string& wText, const render::Section& s);

/// w in the shortest decimal form that reads back as the same double.
std::string shortestText(double w);

/// Draws the section of model, turned by view, with w = W on the current context and
/// reads it back; *line becomes its sectionLine with wText.
offscreen::RgbImage renderSection(const offscreen::OffscreenContext& context, const model::Model& model,
                       const view4d::Transform4& view, const config::Settings& settings, double w,
                       const std::string& wText, std::string* line);

/// The sweep options.section asks for: options.frames pictures, named as --frames names
/// them, with w stepping evenly from `from` to `to` and the view unchanged. Prints each
/// picture's line on out; the ends are given as the user wrote them, the steps between in
/// shortestText. False with *error when a picture cannot be written.
bool writeSectionSweep(const offscreen::OffscreenContext& context, const model::Model& model,
                       const view4d::Transform4& view, const RenderOptions& options,
                       std::ostream& out, std::string* error);

}  // namespace orvex::render_tool
