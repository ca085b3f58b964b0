#include "render/gl/scene_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

#include "render/edge_bands.h"
#include "render/gl/gl_sink.h"
#include "render/glass.h"
#include "render/scene.h"
#include "render/section_drawing.h"

namespace orvex::render {
namespace {

bool isDefault(const PictureStyle& style) {
  const PictureStyle plain;
  return !style.edges && !style.vertices && !style.fit && style.zoom == 1.0 &&
         !style.wireframe && style.opacity == 1.0 &&
         std::equal(style.background, style.background + 3, plain.background);
}

// The faces, then the outlines in front of them as bands of the style's width.
template <typename Faces, typename Outlines>
void drawFacesThenOutlines(bool faces, bool outlines, const StyledModel& styled,
                           const model::Vec3& eye, Faces drawFaces, Outlines drawOutlines) {
  GlSink sink;
  if (faces) {
    if (outlines) glDepthRange(kLineLead, 1.0);
    drawFaces(&sink);
  }
  if (!outlines) return;
  if (faces) glDepthRange(0.0, 1.0 - kLineLead);
  EdgeBandSink bands(&sink, eye, styled.pixelSize, styled.edgePixels);
  drawOutlines(&bands);
  glDepthRange(0.0, 1.0);
}

}  // namespace

void setBackground(const float rgb[3]) {
  glClearColor(rgb[0], rgb[1], rgb[2], 1.0f);
  const GLfloat fog[4] = {rgb[0], rgb[1], rgb[2], 0.0f};
  glFogfv(GL_FOG_COLOR, fog);
}

void applyPictureStyle(const PictureStyle& style, const FrameFit& fit, int pixelsAcross,
                       int samples, StyledModel* styled) {
  styled->edgePixels = edgePixelsOf(style, pixelsAcross, samples);
  styled->pixelSize = pixelSizeAtUnitDepth(pixelsAcross, fit.scale);
  if (isDefault(style) && fit.scale == 1.0) return;
  setBackground(style.background);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // After the camera, so depth and fog see the scene exactly as without the fit.
  glScaled(fit.scale, fit.scale, 1.0);
  glTranslated(-fit.centreX, -fit.centreY, 0.0);
  gluPerspective(kFieldOfView, 1.0, kNearPlane, kFarPlane);
  glMatrixMode(GL_MODELVIEW);

  if (style.edges || style.vertices || style.wireframe) {
    // Lines lie exactly on the polygons they bound: push the fill back a little.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    const float width = static_cast<float>(styled->edgePixels);
    glLineWidth(width);
    glPointSize(3.0f * width);
    glEnable(GL_POINT_SMOOTH);
  }
}

void drawStyledFrame(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
                     const DrawSettings& settings, const PictureStyle& style,
                     const StyledModel& styled, model::Vec3List* projected) {
  clearFrame();
  const bool edges = style.edges || style.wireframe;
  const bool outlines = edges || style.vertices;
  auto faces = [&](DrawSink* sink) {
    if (style.opacity >= 1.0) {
      drawCells(m, view, eye, settings, projected, sink);
      return;
    }
    GlassSink glass;
    drawCells(m, view, eye, settings, projected, &glass);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Sorted, the faces need not hide each other; the depth they leave would hide the
    // edges behind them.
    glDepthMask(GL_FALSE);
    glass.sendBackToFront(eye, static_cast<float>(style.opacity), sink);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
  };
  auto lines = [&](DrawSink* sink) {
    if (style.wireframe) {
      drawWireframe(m, view, settings, styled.outlines, style.vertices, projected, sink);
    } else {
      drawOutlines(m, view, settings, *projected, styled.outlines, edges, style.vertices, sink);
    }
  };
  drawFacesThenOutlines(!style.wireframe, outlines, styled, eye, faces, lines);
}

void drawStyledSection(const Section& s, const model::Model& m, const model::Vec3& eye,
                       const DrawSettings& settings, const PictureStyle& style,
                       const StyledModel& styled) {
  clearFrame();
  const bool outlines = style.edges || style.vertices;
  drawFacesThenOutlines(
      true, outlines, styled, eye, [&](DrawSink* sink) { drawSection(s, m, eye, settings, sink); },
      [&](DrawSink* sink) { drawSectionOutlines(s, style.edges, style.vertices, sink); });
}

}  // namespace orvex::render
