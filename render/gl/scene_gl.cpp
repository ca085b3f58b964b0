#include "render/gl/scene_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "render/gl/gl_sink.h"
#include "render/section_drawing.h"

namespace orvex::render {

void setupScene(const SceneSettings& settings, const model::Vec3& eye) {
  const SceneLook& look = kSceneLook;
  // Given while the modelview is still the identity, so the light is fixed to the eye.
  glLightfv(GL_LIGHT0, GL_DIFFUSE, look.lightDiffuse);
  glLightfv(GL_LIGHT0, GL_AMBIENT, look.lightAmbient);
  glLightfv(GL_LIGHT0, GL_SPECULAR, look.lightSpecular);
  glLightfv(GL_LIGHT0, GL_POSITION, look.lightPosition);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);

  glMatrixMode(GL_PROJECTION);
  gluPerspective(kFieldOfView, 1.0, kNearPlane, kFarPlane);
  glMatrixMode(GL_MODELVIEW);
  gluLookAt(eye.x, eye.y, eye.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, look.materialSpecular);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, look.shininess);

  glClearColor(look.clearColour[0], look.clearColour[1], look.clearColour[2],
               look.clearColour[3]);

  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, look.fogStart);
  glFogf(GL_FOG_END, look.fogEnd);
  glFogfv(GL_FOG_COLOR, look.fogColour);
  glEnable(GL_FOG);

  // Handed over under the look-at matrix, so the plane is fixed in world coordinates.
  glClipPlane(GL_CLIP_PLANE0, settings.clipPlane.data());
  if (settings.clip != 0) glEnable(GL_CLIP_PLANE0);
}

void clearFrame() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void drawFrame(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
               const DrawSettings& settings, model::Vec3List* projected) {
  clearFrame();
  GlSink sink;
  drawCells(m, view, eye, settings, projected, &sink);
}

void drawSectionFrame(const Section& s, const model::Model& m, const model::Vec3& eye,
                      const DrawSettings& settings) {
  clearFrame();
  GlSink sink;
  drawSection(s, m, eye, settings, &sink);
}

}  // namespace orvex::render
