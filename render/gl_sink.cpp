#include "render/gl_sink.h"

#include <GL/gl.h>

namespace orvex::render {

void GlSink::material(const float rgba[4]) {
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, rgba);
}

void GlSink::normal(const model::Vec3& n) { glNormal3dv(n.data()); }

void GlSink::begin(Primitive primitive) {
  glBegin(primitive == Primitive::kTriangleFan ? GL_TRIANGLE_FAN : GL_TRIANGLE_STRIP);
}

void GlSink::vertex(const model::Vec3& v) { glVertex3dv(v.data()); }

void GlSink::end() { glEnd(); }

}  // namespace orvex::render
