#include "tools/orvex-render/section_pictures.h"

#include <cstdio>
#include <cstdlib>

#include "config/settings.h"
#include "render/scene.h"
#include "render/section_drawing.h"

namespace orvex::render_tool {

std::string sectionLine(const std::string& wText, const render::Section& s) {
  return "section w=" + wText + ": " + std::to_string(s.vertexCount()) + " vertices, " +
         std::to_string(s.edgeCount()) + " edges, " + std::to_string(s.faceCount()) + " faces";
}

std::string shortestText(double w) {
  char text[32];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, w);
    if (std::strtod(text, nullptr) == w) break;
  }
  return text;
}

offscreen::RgbImage renderSection(const offscreen::OffscreenContext& context, const model::Model& model,
                       const view4d::Transform4& view, const config::Settings& settings, double w,
                       const std::string& wText, std::string* line) {
  const render::Section s = render::computeSection(model, view, w);
  render::drawSectionFrame(s, model, render::kEye, config::drawSettingsOf(settings));
  *line = sectionLine(wText, s);
  offscreen::RgbImage image;
  image.width = context.width();
  image.height = context.height();
  image.pixels = context.readRgb();
  return image;
}

bool writeSectionSweep(const offscreen::OffscreenContext& context, const model::Model& model,
                       const view4d::Transform4& view, const RenderOptions& options,
                       std::ostream& out, std::string* error) {
  const SectionOptions& sweep = options.section;
  const int last = options.frames - 1;
  for (int i = 0; i <= last; ++i) {
    // The ends exactly as given; between them the weighted mean, which keeps evenly
    // spaced decimal steps the decimals they are meant to be more often than adding
    // multiples of the step does.
    double w = sweep.from;
    std::string text = sweep.fromText;
    if (i == last && last > 0) {
      w = sweep.to;
      text = sweep.toText;
    } else if (i > 0) {
      w = (sweep.from * (last - i) + sweep.to * i) / last;
      text = shortestText(w);
    }
    std::string line;
    const offscreen::RgbImage image = renderSection(context, model, view, options.settings, w, text, &line);
    if (!offscreen::writePng(frameFileName(options.output, i + 1), image, error)) return false;
    out << line << "\n";
  }
  out.flush();
  return true;
}

}  // namespace orvex::render_tool
