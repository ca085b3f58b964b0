// Cuts by any hyperplane n·x = offset in a model's own coordinates: a frame whose last
// axis is the normal, and the section expressed in the hyperplane's own basis.
#pragma once

#include <string>

#include "model/model.h"
#include "model/vec.h"
#include "render/section.h"
#include "view4d/transform4.h"

namespace orvex::render {

/// Sets frame's rows to an orthonormal, right-handed frame whose fourth row is
/// normal / |normal| and whose first three span the hyperplane. The axes are the
/// coordinate axes made orthogonal to the normal, the one most along it left out, so
/// the normal (0, 0, 0, 1) gives the identity. False when normal is zero or not finite.
bool hyperplaneFrame(const model::Vec4& normal, view4d::Transform4* frame);

/// The cut of a model by the hyperplane n·x = offset, where x are the model file's own
/// coordinates (the loaded ones times m.scale).
struct HyperplaneSection {
  model::Vec4 basis[3];  // orthonormal, spanning the hyperplane
  model::Vec4 origin;    // the hyperplane's point nearest the origin
  /// Points are basis coordinates in the model's own units: x = origin + Σ p[k]·basis[k].
  Section section;
};

/// Computes the section of m by normal·x = offset (x in the model's own coordinates).
/// False with a message when the normal is zero or a number is not finite.
bool sectionByHyperplane(const model::Model& m, const model::Vec4& normal, double offset,
                         HyperplaneSection* out, std::string* error);

/// The section as a 3D OFF file: "OFF", the counts "V F E", the points and the faces
/// (0-based corner numbers in boundary order), numbers in their shortest exact form.
std::string formatOff3(const Section& s);

}  // namespace orvex::render
