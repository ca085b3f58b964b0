#include "tools/orvex-render/section_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "config/settings.h"

namespace orvex::render_tool {
namespace {

std::string counted(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The point `step` of `steps` equal steps from `from` to `to`. The weighted mean keeps
// evenly spaced decimal steps the decimals they are meant to be more often than adding
// multiples of the step does; ends near the largest double are weighted before adding,
// so no partial sum overflows, and kept between the ends against the last rounding.
double between(double from, double to, int step, int steps) {
  const double mean = (from * (steps - step) + to * step) / steps;
  if (std::isfinite(mean)) return mean;
  const double weighted =
      from * (static_cast<double>(steps - step) / steps) + to * (static_cast<double>(step) / steps);
  return std::clamp(weighted, std::min(from, to), std::max(from, to));
}

}  // namespace

std::string sectionLine(const std::string& wText, const render::Section& s) {
  return "section w=" + wText + ": " + counted(s.vertexCount(), "vertex", "vertices") + ", " +
         counted(s.edgeCount(), "edge", "edges") + ", " + counted(s.faceCount(), "face", "faces");
}

std::string shortestText(double w) {
  char text[32];
  for (int digits = 1; digits <= 12; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, w);
    if (std::strtod(text, nullptr) == w) break;
  }
  return text;
}

void spanModel(const model::Model& model, const view4d::Transform4& view, SectionOptions* section) {
  const model::Vec4Table& vertices = *model.vertices;
  for (int v = 0; v < vertices.count; ++v) {
    const double w = view.apply(3, vertices[v]);
    section->from = v == 0 ? w : std::min(section->from, w);
    section->to = v == 0 ? w : std::max(section->to, w);
  }
}

void sweepLevel(const SectionOptions& section, int frame, int frames, double* w,
                std::string* wText) {
  if (section.inside > 0) {
    *w = between(section.from, section.to, frame, frames + 1);
    *wText = shortestText(*w);
    return;
  }
  const int last = frames - 1;
  if (frame == 1 || last == 0) {
    *w = section.from;
    *wText = section.fromText;
  } else if (frame == frames) {
    *w = section.to;
    *wText = section.toText;
  } else {
    *w = between(section.from, section.to, frame - 1, last);
    *wText = shortestText(*w);
  }
}

}  // namespace orvex::render_tool
