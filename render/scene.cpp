#include "render/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "render/gl_sink.h"

namespace orvex::render {

void setupScene(const SceneSettings& settings, const model::Vec3& eye) {
  const GLfloat lightDiffuse[] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat lightAmbient[] = {0.05f, 0.05f, 0.05f, 0.05f};
  const GLfloat lightSpecular[] = {0.6f, 0.6f, 0.6f, 1.0f};
  const GLfloat lightPosition[] = {-4.0f, 4.0f, 4.0f, 0.0f};
  const GLfloat materialSpecular[] = {0.6f, 0.6f, 0.6f, 0.6f};
  const GLfloat fogColor[] = {0.6f, 0.6f, 0.6f, 0.0f};

  // Given while the modelview is still the identity, so the light is fixed to the eye.
  glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
  glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
  glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
  glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);

  glMatrixMode(GL_PROJECTION);
  gluPerspective(kFieldOfView, 1.0, kNearPlane, kFarPlane);
  glMatrixMode(GL_MODELVIEW);
  gluLookAt(eye.x, eye.y, eye.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialSpecular);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 30.0f);

  glClearColor(0.6f, 0.6f, 0.6f, 0.6f);

  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, 2.0f);
  glFogf(GL_FOG_END, 4.5f);
  glFogfv(GL_FOG_COLOR, fogColor);
  glEnable(GL_FOG);

  // Handed over under the look-at matrix, so the plane is fixed in world coordinates.
  glClipPlane(GL_CLIP_PLANE0, settings.clipPlane);
  if (settings.clip != 0) glEnable(GL_CLIP_PLANE0);
}

void clearFrame() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void drawFrame(const model::Model& m, const view4d::Transform4& view, const model::Vec3& eye,
               const DrawSettings& settings, model::Vec3List* projected) {
  clearFrame();
  GlSink sink;
  drawCells(m, view, eye, settings, projected, &sink);
}

}  // namespace orvex::render
