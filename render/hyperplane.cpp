#include "render/hyperplane.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orvex::render {
namespace {

// The determinant of the four rows, by cofactors along the last row.
double determinant(const view4d::Transform4& t) {
  auto det3 = [&t](int a, int b, int c, int skip) {
    int col[3], n = 0;
    for (int k = 0; k < 4; ++k) {
      if (k != skip) col[n++] = k;
    }
    const model::Vec4 &r0 = t.data[a], &r1 = t.data[b], &r2 = t.data[c];
    return r0[col[0]] * (r1[col[1]] * r2[col[2]] - r1[col[2]] * r2[col[1]]) -
           r0[col[1]] * (r1[col[0]] * r2[col[2]] - r1[col[2]] * r2[col[0]]) +
           r0[col[2]] * (r1[col[0]] * r2[col[1]] - r1[col[1]] * r2[col[0]]);
  };
  double d = 0.0;
  for (int k = 0; k < 4; ++k) {
    const double sign = (3 + k) % 2 == 0 ? 1.0 : -1.0;
    d += sign * t.data[3][k] * det3(0, 1, 2, k);
  }
  return d;
}

}  // namespace

bool hyperplaneFrame(const model::Vec4& normal, view4d::Transform4* frame) {
  const double length = std::sqrt(model::dot(normal, normal));
  if (!(length > 0.0 && std::isfinite(length))) return false;
  const model::Vec4 n = (1.0 / length) * normal;
  int along = 0;
  for (int k = 1; k < 4; ++k) {
    if (std::fabs(n[k]) > std::fabs(n[along])) along = k;
  }
  // Gram-Schmidt of the three remaining axes against the normal and each other; the
  // left-out axis is the one most along the normal, so none of them nearly vanishes.
  std::array<model::Vec4, 3> basis;
  int made = 0;
  for (int k = 0; k < 4; ++k) {
    if (k == along) continue;
    model::Vec4 b;
    b[k] = 1.0;
    b = b - model::dot(b, n) * n;
    for (int j = 0; j < made; ++j) b = b - model::dot(b, basis[j]) * basis[j];
    basis[made++] = (1.0 / std::sqrt(model::dot(b, b))) * b;
  }
  for (int r = 0; r < 3; ++r) frame->data[r] = basis[r];
  frame->data[3] = n;
  // Right-handed: the cut is seen as the model is, not mirrored.
  if (determinant(*frame) < 0.0) frame->data[2] = -1.0 * frame->data[2];
  return true;
}

bool sectionByHyperplane(const model::Model& m, const model::Vec4& normal, double offset,
                         HyperplaneSection* out, std::string* error) {
  view4d::OrthoProjector frame;
  if (!hyperplaneFrame(normal, &frame) || !std::isfinite(offset)) {
    *error = "the hyperplane needs a nonzero normal and finite numbers";
    return false;
  }
  const double length = std::sqrt(model::dot(normal, normal));
  const double level = offset / length;  // along the unit normal, in the model's own units
  out->section = computeSection(m, frame, level / m.scale);
  for (model::Vec3& p : out->section.points) p = m.scale * p;
  for (int r = 0; r < 3; ++r) out->basis[r] = frame.data[r];
  out->origin = level * frame.data[3];
  return true;
}

std::string formatOff3(const Section& s) {
  std::string text = "OFF\n" + std::to_string(s.vertexCount()) + " " +
                     std::to_string(s.faceCount()) + " " + std::to_string(s.edgeCount()) + "\n";
  char number[32];
  for (const model::Vec3& p : s.points) {
    const double xyz[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k) {
      // The shortest of 15 to 17 digits that reads back as the same double; -0 as 0.
      const double v = xyz[k] + 0.0;
      for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(number, sizeof number, "%.*g", digits, v);
        if (std::strtod(number, nullptr) == v) break;
      }
      text += number;
      text += k == 2 ? '\n' : ' ';
    }
  }
  for (const Section::Face& f : s.faces) {
    text += std::to_string(f.corners.size());
    for (int c : f.corners) text += " " + std::to_string(c);
    text += '\n';
  }
  return text;
}

}  // namespace orvex::render
