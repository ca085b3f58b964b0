// The fixed OpenGL scene: one directional light, camera, perspective, specular material,
// grey fog and the optional clip plane. Set once per context.
#pragma once

#include "model/vec.h"

namespace orvex::render {

/// The camera position; also the side every face normal is turned towards.
inline const model::Vec3 kEye{0.0, 0.0, 3.5};

struct SceneSettings {
  int clip = 0;
  double clipPlane[4] = {1.0, -1.0, -1.0, 0.0};
};

/// Issues the scene state on the current context, which must be new (its matrices the
/// identity). Leaves GL_MODELVIEW current.
void setupScene(const SceneSettings& settings, const model::Vec3& eye);

/// Clears colour and depth: the start of every frame.
void clearFrame();

}  // namespace orvex::render
