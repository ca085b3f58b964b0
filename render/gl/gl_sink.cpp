#include "render/gl/gl_sink.h"

#include <GL/gl.h>

#include <algorithm>

namespace orvex::render {

void GlSink::material(const float rgba[4]) {
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, rgba);
  std::copy(rgba, rgba + 4, colour_);
}

void GlSink::normal(const model::Vec3& n) { glNormal3dv(n.data()); }

void GlSink::begin(Primitive primitive) {
  switch (primitive) {
    case Primitive::kTriangleFan:
      glBegin(GL_TRIANGLE_FAN);
      return;
    case Primitive::kTriangleStrip:
      glBegin(GL_TRIANGLE_STRIP);
      return;
    case Primitive::kLines:
    case Primitive::kPoints:
    case Primitive::kQuads:
      // Unlit, in the material's colour: a line has no face to light. Unfogged too: a
      // dark line fogged is a grey one, and would vanish into the cells' own shading.
      unlit_ = true;
      glDisable(GL_LIGHTING);
      glDisable(GL_FOG);
      glColor4fv(colour_);
      glBegin(primitive == Primitive::kLines    ? GL_LINES
              : primitive == Primitive::kPoints ? GL_POINTS
                                                : GL_QUADS);
      return;
  }
}

void GlSink::vertex(const model::Vec3& v) { glVertex3dv(v.data()); }

void GlSink::end() {
  glEnd();
  if (unlit_) {
    glEnable(GL_LIGHTING);
    glEnable(GL_FOG);
    unlit_ = false;
  }
}

bool GlSink::screen(ScreenTransform* transform) const {
  double projection[16], modelview[16];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glGetDoublev(GL_VIEWPORT, transform->viewport);
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += projection[4 * k + row] * modelview[4 * column + k];
      transform->matrix[4 * column + row] = sum;
    }
  }
  return true;
}

}  // namespace orvex::render
