// orvex-render's cross-sections: one picture of the cut w = W, and the levels of a sweep.
#pragma once

#include <string>

#include "model/model.h"
#include "offscreen/offscreen_context.h"
#include "offscreen/png_io.h"
#include "render/section.h"
#include "tools/orvex-render/render_options.h"
#include "view4d/transform4.h"

namespace orvex::render_tool {

/// The line printed for a section: "section w=W: V vertices, E edges, F faces", with W
/// as wText gives it and each noun singular for a count of one.
std::string sectionLine(const std::string& wText, const render::Section& s);

/// w in the shortest decimal form that reads back as the same double, or in 12
/// significant digits when that needs more: the digits beyond are the noise of the
/// arithmetic that made w, not part of what was asked for.
std::string shortestText(double w);

/// For --sweep: sets section.from and section.to to the least and greatest w of model's
/// vertices in view, the ends its cuts lie strictly between.
void spanModel(const model::Model& model, const view4d::Transform4& view, SectionOptions* section);

/// The cut of picture `frame` (from 1) of a sweep of `frames` pictures: with --section-to,
/// w steps evenly from section.from to section.to, both ends included and printed as the
/// user wrote them; with --sweep, the frames divide the span into frames + 1 equal parts,
/// neither end included. Steps are printed in shortestText.
void sweepLevel(const SectionOptions& section, int frame, int frames, double* w,
                std::string* wText);

}  // namespace orvex::render_tool
