#include "export/struts.h"

#include <array>
#include <cmath>
#include <map>
#include <set>

#include "render/cell_outline.h"
#include "render/draw_sink.h"

namespace orvex::exporting {

using model::Vec3;

namespace {

using Key = std::array<double, 3>;
Key keyOf(const Vec3& v) { return {v.x, v.y, v.z}; }

// Keeps the line and point primitives of the outline drawing.
class OutlineCollector : public render::DrawSink {
 public:
  void material(const float*) override {}
  void normal(const Vec3&) override {}
  void begin(render::Primitive primitive) override { lines_ = primitive == render::Primitive::kLines; }
  void vertex(const Vec3& v) override {
    if (!lines_) {
      if (points_.insert(keyOf(v)).second) outline.vertices.push_back(v);
      return;
    }
    if (!pending_) {
      first_ = v;
      pending_ = true;
      return;
    }
    pending_ = false;
    const Key a = keyOf(first_), b = keyOf(v);
    if (edges_.insert(a < b ? std::make_pair(a, b) : std::make_pair(b, a)).second) {
      outline.edges.push_back({first_, v});
    }
  }
  void end() override {}

  DrawnOutline outline;

 private:
  bool lines_ = false, pending_ = false;
  Vec3 first_;
  std::set<Key> points_;
  std::set<std::pair<Key, Key>> edges_;
};

// A unit vector at right angles to d (unit).
Vec3 across(const Vec3& d) {
  const Vec3 axis = std::abs(d.x) < 0.9 ? Vec3(1.0, 0.0, 0.0) : Vec3(0.0, 1.0, 0.0);
  const Vec3 u = model::cross(d, axis);
  return (1.0 / model::length(u)) * u;
}

// A capped prism around a to b, counter-clockwise from outside.
Solid bar(const Vec3& a, const Vec3& b, double radius, int colour) {
  Solid s;
  const Vec3 d = (1.0 / model::length(b - a)) * (b - a);
  const Vec3 u = across(d);
  const Vec3 v = model::cross(d, u);
  const int n = kStrutSides;
  for (int end = 0; end < 2; ++end) {
    for (int i = 0; i < n; ++i) {
      const double t = 2.0 * M_PI * i / n;
      s.points.push_back((end == 0 ? a : b) + radius * std::cos(t) * u + radius * std::sin(t) * v);
    }
  }
  s.points.push_back(a);  // 2n: the caps' centres
  s.points.push_back(b);
  for (int i = 0; i < n; ++i) {
    const int j = (i + 1) % n;
    // u, v, d is right-handed, so i to j turns counter-clockwise seen from b's side.
    s.triangles.push_back({i, j, n + j});
    s.triangles.push_back({i, n + j, n + i});
    s.triangles.push_back({2 * n, j, i});
    s.triangles.push_back({2 * n + 1, n + i, n + j});
  }
  s.colours.assign(s.triangles.size(), colour);
  return s;
}

// The unit sphere as an icosahedron subdivided twice, outward.
const Solid& unitBall() {
  static const Solid ball = [] {
    Solid s;
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    const Vec3 corners[12] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                              {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                              {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (const Vec3& c : corners) s.points.push_back((1.0 / model::length(c)) * c);
    s.triangles = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                   {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                   {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                   {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    for (int level = 0; level < 2; ++level) {
      std::map<std::pair<int, int>, int> middles;
      auto middle = [&](int a, int b) {
        const auto key = std::make_pair(std::min(a, b), std::max(a, b));
        const auto found = middles.find(key);
        if (found != middles.end()) return found->second;
        const Vec3 m = s.points[a] + s.points[b];
        s.points.push_back((1.0 / model::length(m)) * m);
        middles[key] = static_cast<int>(s.points.size()) - 1;
        return middles[key];
      };
      std::vector<std::array<int, 3>> finer;
      for (const auto& [a, b, c] : s.triangles) {
        const int ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
        finer.push_back({a, ab, ca});
        finer.push_back({b, bc, ab});
        finer.push_back({c, ca, bc});
        finer.push_back({ab, bc, ca});
      }
      s.triangles = finer;
    }
    return s;
  }();
  return ball;
}

}  // namespace

DrawnOutline drawnOutline(const model::Model& m, const view4d::Transform4& view,
                          const render::DrawSettings& settings) {
  model::Vec3List projected;
  projected.resize(m.vertices->count);
  for (int i = 0; i < m.vertices->count; ++i) projected[i] = view.project((*m.vertices)[i]);
  OutlineCollector collector;
  render::drawOutlines(m, view, settings, projected, render::findCellOutlines(m), true, true,
                       &collector);
  return collector.outline;
}

SceneMesh strutMesh(const DrawnOutline& outline, double scale, double radius, const float rgb[3]) {
  SceneMesh mesh;
  const int colour = mesh.colourIndex(rgb);
  for (const auto& [a, b] : outline.edges) {
    if (!(model::length(b - a) * scale > 0.0)) continue;
    mesh.solids.push_back(bar(scale * a, scale * b, radius, colour));
    mesh.solids.back().name = "strut " + std::to_string(mesh.solids.size());
  }
  const Solid& unit = unitBall();
  const double ballRadius = kBallToStrut * radius;
  int balls = 0;
  for (const Vec3& v : outline.vertices) {
    Solid ball = unit;
    for (Vec3& p : ball.points) p = scale * v + ballRadius * p;
    ball.colours.assign(ball.triangles.size(), colour);
    ball.name = "ball " + std::to_string(++balls);
    mesh.solids.push_back(std::move(ball));
  }
  return mesh;
}

}  // namespace orvex::exporting
