#include "render/picture_style.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "render/gl_sink.h"
#include "render/scene.h"

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

bool isDefault(const PictureStyle& style) {
  const PictureStyle plain;
  return !style.edges && !style.vertices && !style.fit && style.zoom == 1.0 &&
         std::equal(style.background, style.background + 3, plain.background);
}

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
  if (style.edges || style.vertices) styled.outlines = findCellOutlines(m);
  return styled;
}

DrawSettings styledSettings(DrawSettings settings, const PictureStyle& style,
                            const StyledModel& styled) {
  settings.allCells = style.allCells;
  settings.palette = styled.palette.colourOf.empty() ? nullptr : &styled.palette;
  return settings;
}

void setBackground(const float rgb[3]) {
  glClearColor(rgb[0], rgb[1], rgb[2], 1.0f);
  const GLfloat fog[4] = {rgb[0], rgb[1], rgb[2], 0.0f};
  glFogfv(GL_FOG_COLOR, fog);
}

void applyPictureStyle(const PictureStyle& style, const FrameFit& fit, int pixelsAcross) {
  if (isDefault(style) && fit.scale == 1.0) return;
  setBackground(style.background);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // After the camera, so depth and fog see the scene exactly as without the fit.
  glScaled(fit.scale, fit.scale, 1.0);
  glTranslated(-fit.centreX, -fit.centreY, 0.0);
  gluPerspective(kFieldOfView, 1.0, kNearPlane, kFarPlane);
  glMatrixMode(GL_MODELVIEW);

  if (style.edges || style.vertices) {
    // Lines lie exactly on the polygons they bound: push the fill back a little.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    const float width = std::max(1.0f, pixelsAcross / 300.0f);
    glLineWidth(width);
    glPointSize(3.0f * width);
    glEnable(GL_POINT_SMOOTH);
  }
}

void drawStyledFrame(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
                     const DrawSettings& settings, const PictureStyle& style,
                     const StyledModel& styled, model::Vec3List* projected) {
  clearFrame();
  GlSink sink;
  drawCells(m, view, eye, settings, projected, &sink);
  drawOutlines(m, view, settings, *projected, styled.outlines, style.edges, style.vertices, &sink);
}

}  // namespace orvex::render
