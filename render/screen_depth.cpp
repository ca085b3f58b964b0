#include "render/screen_depth.h"

#include <algorithm>
#include <cmath>

namespace orvex::render {

using model::Vec3;

namespace {

// How far OpenGL may move a vertex or an edge as it rasterises: rasterisers snap vertices
// to a subpixel grid (llvmpipe to 1/256 of a pixel, each coordinate within half of that).
constexpr double kSnap = 1.0 / 256.0;
// The rounding of a window depth near 1 in floats (steps of 2^-24) through the
// projection, the viewport, the plane set up for a triangle and its evaluation at a
// pixel, with room to spare.
constexpr double kDepthSlack = 0x1p-17;
// Per pixel of window size and unit of depth gradient: a plane's evaluation at a pixel
// adds its gradient times the pixel's coordinates, each rounded.
constexpr double kGradientSlack = 0x1p-20;

// Whether some pixel centre (i + 0.5, j + 0.5) inside the viewport lies within kSnap of
// the convex polygon q (x and y of its points).
bool pixelCentreNear(const std::vector<Vec3>& q, const double viewport[4]) {
  double low = q[0].y, high = q[0].y;
  for (const Vec3& p : q) {
    low = std::min(low, p.y);
    high = std::max(high, p.y);
  }
  const double firstRow = std::max(std::ceil(low - kSnap - 0.5), viewport[1]);
  const double lastRow = std::min(std::floor(high + kSnap - 0.5), viewport[1] + viewport[3] - 1);
  const double firstColumn = viewport[0], lastColumn = viewport[0] + viewport[2] - 1;
  const size_t n = q.size();
  for (double row = firstRow; row <= lastRow; ++row) {
    // The x extent of q within the band of rows kSnap about this centre, widened by kSnap:
    // every point within kSnap of q at this height lies in it.
    const double bottom = row + 0.5 - kSnap, top = row + 0.5 + kSnap;
    double left = INFINITY, right = -INFINITY;
    for (size_t i = 0; i < n; ++i) {
      const Vec3& p = q[i];
      const Vec3& r = q[(i + 1) % n];
      if (p.y >= bottom && p.y <= top) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
      }
      for (double line : {bottom, top}) {
        if ((p.y < line && r.y > line) || (p.y > line && r.y < line)) {
          const double x = p.x + (r.x - p.x) * (line - p.y) / (r.y - p.y);
          left = std::min(left, x);
          right = std::max(right, x);
        }
      }
    }
    if (!(left <= right)) continue;
    const double firstCentre = std::max(std::ceil(left - kSnap - 0.5), firstColumn);
    const double lastCentre = std::min(std::floor(right + kSnap - 0.5), lastColumn);
    if (firstCentre <= lastCentre) return true;
  }
  return false;
}

}  // namespace

bool ScreenTransform::toWindow(const Vec3& p, Vec3* window) const {
  const double* m = matrix;
  const double x = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
  const double y = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
  const double z = m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14];
  const double w = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
  if (!(w > 0.0)) return false;
  *window = {viewport[0] + 0.5 * (x / w + 1.0) * viewport[2],
             viewport[1] + 0.5 * (y / w + 1.0) * viewport[3], 0.5 * (z / w + 1.0)};
  return true;
}

Vec3 windowNormal(const std::vector<Vec3>& polygon) {
  Vec3 n;
  const size_t count = polygon.size();
  for (size_t i = 0; i < count; ++i) {
    const Vec3& p = polygon[i];
    const Vec3& r = polygon[(i + 1) % count];
    n = n + Vec3((p.y - r.y) * (p.z + r.z), (p.z - r.z) * (p.x + r.x), (p.x - r.x) * (p.y + r.y));
  }
  return n;
}

bool depthPlaneOf(const std::vector<Vec3>& polygon, const Vec3& normal, DepthPlane* plane) {
  if (!(normal.z != 0.0) || polygon.empty()) return false;
  Vec3 mean;
  for (const Vec3& p : polygon) mean = mean + p;
  mean = (1.0 / polygon.size()) * mean;
  plane->a = -normal.x / normal.z;
  plane->b = -normal.y / normal.z;
  plane->c = mean.z - plane->a * mean.x - plane->b * mean.y;
  return std::isfinite(plane->a) && std::isfinite(plane->b) && std::isfinite(plane->c);
}

bool deeperThanFrontAtEveryPixel(const std::vector<Vec3>& back, const DepthPlane& backPlane,
                                 const std::vector<DepthPlane>& fronts,
                                 const ScreenTransform& screen) {
  const double windowSize = std::max(screen.viewport[2], screen.viewport[3]);
  const size_t n = back.size();
  std::vector<double> gap(n);
  std::vector<Vec3> near;
  for (const DepthPlane& front : fronts) {
    // gap is affine over the window: where it is small at some vertex, it is small on a
    // strip of the polygon along the place where the two planes meet.
    const double da = backPlane.a - front.a, db = backPlane.b - front.b;
    const double slack = kDepthSlack +
                         kGradientSlack * windowSize *
                             (std::abs(backPlane.a) + std::abs(backPlane.b) + std::abs(front.a) +
                              std::abs(front.b)) +
                         kSnap * (std::abs(da) + std::abs(db));
    bool clear = true;
    for (size_t i = 0; i < n; ++i) {
      gap[i] = back[i].z - front.at(back[i].x, back[i].y) - slack;
      if (std::isnan(gap[i])) return false;
      clear = clear && gap[i] > 0.0;
    }
    if (clear) continue;
    // The part of the polygon where the depths come within the slack.
    near.clear();
    for (size_t i = 0; i < n; ++i) {
      const size_t k = (i + 1) % n;
      if (gap[i] <= 0.0) near.push_back(back[i]);
      if ((gap[i] <= 0.0) != (gap[k] <= 0.0)) {
        const double t = gap[i] / (gap[i] - gap[k]);
        near.push_back(back[i] + t * (back[k] - back[i]));
      }
    }
    if (!near.empty() && pixelCentreNear(near, screen.viewport)) return false;
  }
  return true;
}

}  // namespace orvex::render
