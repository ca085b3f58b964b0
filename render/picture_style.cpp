#include "render/picture_style.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>


namespace orvex::render {
namespace {

struct NamedColour {
  const char* name;
  float rgb[3];
};
constexpr NamedColour kNamedColours[] = {
    {"white", {1.0f, 1.0f, 1.0f}},        {"black", {0.0f, 0.0f, 0.0f}},
    {"grey", {0.6f, 0.6f, 0.6f}},         {"gray", {0.6f, 0.6f, 0.6f}},
    {"lightgrey", {0.85f, 0.85f, 0.85f}}, {"darkgrey", {0.25f, 0.25f, 0.25f}},
    {"navy", {0.0f, 0.0f, 0.5f}},
};

}  // namespace

bool parseColour(const std::string& text, float rgb[3]) {
  for (const NamedColour& named : kNamedColours) {
    if (text == named.name) {
      std::copy(named.rgb, named.rgb + 3, rgb);
      return true;
    }
  }
  if (text.size() != 7 || text[0] != '#') return false;
  for (int i = 0; i < 3; ++i) {
    const std::string hex = text.substr(1 + 2 * i, 2);
    if (!std::isxdigit(static_cast<unsigned char>(hex[0])) ||
        !std::isxdigit(static_cast<unsigned char>(hex[1]))) {
      return false;
    }
    rgb[i] = static_cast<float>(std::strtol(hex.c_str(), nullptr, 16)) / 255.0f;
  }
  return true;
}

StyledModel prepareStyle(const model::Model& m, const PictureStyle& style) {
  StyledModel styled;
  styled.palette = makeCellPalette(m, style.colourBy);
  if (style.edges || style.vertices || style.wireframe) styled.outlines = findCellOutlines(m);
  return styled;
}

DrawSettings styledSettings(DrawSettings settings, const PictureStyle& style,
                            const StyledModel& styled) {
  // A wireframe hides nothing: the whole polytope's edges, as the classic pictures show.
  settings.allCells = style.allCells || style.wireframe;
  // Behind glass the far side of every cell shows.
  if (style.opacity < 1.0) settings.skipHidden = false;
  settings.palette = styled.palette.colourOf.empty() ? nullptr : &styled.palette;
  return settings;
}

double edgePixelsOf(const PictureStyle& style, int pixelsAcross, int samples) {
  if (style.edgeWidth > 0.0) return style.edgeWidth * samples;
  return std::max(1.0, pixelsAcross / 300.0);
}

}  // namespace orvex::render
