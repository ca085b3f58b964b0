// Fixed-function OpenGL drawing of the scene on the current context: its state, whole
// frames in the viewer's style, the picture styles and sections, through GlSink.
#pragma once

#include "model/model.h"
#include "render/cell_walk.h"
#include "render/picture_style.h"
#include "render/scene.h"
#include "render/section.h"
#include "view4d/transform4.h"

namespace orvex::render {

/// Issues the scene state on the current context, which must be new (its matrices the
/// identity). Leaves GL_MODELVIEW current.
void setupScene(const SceneSettings& settings, const model::Vec3& eye);

/// Clears colour and depth: the start of every frame.
void clearFrame();

/// One whole frame on the current context: clear, then the cell walk into OpenGL.
/// The caller swaps or reads back.
void drawFrame(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
               const DrawSettings& settings, model::Vec3List* projected);

/// Sets the clear colour and the fog's colour together on the current context.
void setBackground(const float rgb[3]);

/// Changes the current context's scene (after setupScene) for the style: background and
/// fog colour, the fit (a screen-space scale after the camera), and for edges or vertices
/// a depth offset of the filled polygons and the dot size; and sets styled's edge width
/// and pixel size for pixelsAcross, the picture's width in pixels as drawn with samples ×
/// samples a pixel. The default style changes nothing on the context.
void applyPictureStyle(const PictureStyle& style, const FrameFit& fit, int pixelsAcross,
                       int samples, StyledModel* styled);

/// One whole frame in the style on the current context: clear, the cell walk (solid, or
/// glass when style.opacity is below 1, or none for a wireframe), then the edges as bands
/// of styled.edgePixels and the vertices, drawn in front of the faces they lie on.
/// settings must come from styledSettings.
void drawStyledFrame(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
                     const DrawSettings& settings, const PictureStyle& style,
                     const StyledModel& styled, model::Vec3List* projected);

/// One whole picture of the section s in the style: clear, its faces (in the palette's
/// colours when settings has one), then its edges and vertices when the style asks for
/// them, as drawStyledFrame draws a cell's.
void drawStyledSection(const Section& s, const model::Model& m, const model::Vec3& eye,
                       const DrawSettings& settings, const PictureStyle& style,
                       const StyledModel& styled);

/// One whole picture on the current OpenGL context: clear, then drawSection into GL.
void drawSectionFrame(const Section& s, const model::Model& m, const model::Vec3& eye,
                      const DrawSettings& settings);

}  // namespace orvex::render
