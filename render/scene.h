// The fixed OpenGL scene: one directional light, camera, perspective, specular material,
// grey fog and the optional clip plane. Set once per context.
#pragma once

#include <array>

#include "model/model.h"
#include "model/vec.h"
#include "render/cell_walk.h"
#include "view4d/transform4.h"

namespace orvex::render {

/// The camera position; also the side every face normal is turned towards.
inline constexpr model::Vec3 kEye{0.0, 0.0, 3.5};
/// The camera's vertical field of view in degrees (the picture is square) and its clip
/// planes: anything nearer the eye than kNearPlane, or farther than kFarPlane, is cut away.
inline constexpr double kFieldOfView = 40.0;
inline constexpr double kNearPlane = 1.0;
inline constexpr double kFarPlane = 10.0;

/// The scene's light, material and fog, as OpenGL receives them (four components each).
/// Kept here, apart from the GL calls, so that the browser's shader is given the same.
struct SceneLook {
  float lightDiffuse[4];
  float lightAmbient[4];
  float lightSpecular[4];
  float lightPosition[4];  // w = 0: a directional light, fixed to the eye
  float materialSpecular[4];
  float shininess;
  float fogColour[4];
  float fogStart, fogEnd;  // eye distances where the fog begins and where it is whole
  float clearColour[4];
  float globalAmbient;  // what a new context holds; setupScene leaves it
};
inline constexpr SceneLook kSceneLook{{1.0f, 1.0f, 1.0f, 1.0f},
                                      {0.05f, 0.05f, 0.05f, 0.05f},
                                      {0.6f, 0.6f, 0.6f, 1.0f},
                                      {-4.0f, 4.0f, 4.0f, 0.0f},
                                      {0.6f, 0.6f, 0.6f, 0.6f},
                                      30.0f,
                                      {0.6f, 0.6f, 0.6f, 0.0f},
                                      2.0f,
                                      4.5f,
                                      {0.6f, 0.6f, 0.6f, 0.6f},
                                      0.2f};

/// The clip plane a x + b y + c z + d >= 0 keeps, unless the settings give another.
inline constexpr std::array<double, 4> kDefaultClipPlane{1.0, -1.0, -1.0, 0.0};

struct SceneSettings {
  int clip = 0;
  std::array<double, 4> clipPlane = kDefaultClipPlane;
};

}  // namespace orvex::render
