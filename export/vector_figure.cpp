#include "export/vector_figure.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <tuple>

#include "base/output_file.h"
#include "render/draw_sink.h"
#include "render/scene.h"
#include "render/section_drawing.h"

namespace orvex::exporting {

using model::Vec3;

namespace {

// The scene's light and material, as setupScene gives them to OpenGL, and OpenGL's own
// global ambient light.
constexpr double kGlobalAmbient = 0.2;
constexpr double kLightAmbient = 0.05;
constexpr double kSpecular = 0.6 * 0.6;  // the light's times the material's
constexpr double kShininess = 30.0;
constexpr double kFogStart = 2.0, kFogEnd = 4.5;
const Vec3 kLightDirection(-4.0, 4.0, 4.0);

Vec3 unit(const Vec3& v) { return (1.0 / model::length(v)) * v; }

// Collects the walk's primitives; the outline's are split per cell afterwards.
class ShapeCollector : public render::DrawSink {
 public:
  void material(const float rgba[4]) override { colour_ = {rgba[0], rgba[1], rgba[2]}; }
  void normal(const Vec3& n) override { normal_ = n; }
  void cell(int c) override {
    cell_ = c;
    drawnCells.push_back(c);
  }
  void begin(render::Primitive primitive) override {
    primitive_ = primitive;
    shapes.emplace_back();
    shapes.back().normal = normal_;
    shapes.back().colour = colour_;
    shapes.back().cell = cell_;
    shapes.back().kind = primitive == render::Primitive::kLines    ? FigureShape::kEdge
                         : primitive == render::Primitive::kPoints ? FigureShape::kDot
                                                                   : FigureShape::kPolygon;
  }
  void vertex(const Vec3& v) override {
    FigureShape& shape = shapes.back();
    // A band's strip runs outer, inner, outer, inner, ... and repeats its first pair.
    if (primitive_ == render::Primitive::kTriangleStrip && shape.outer.size() > shape.inner.size()) {
      shape.inner.push_back(v);
    } else {
      shape.outer.push_back(v);
    }
  }
  void end() override {
    FigureShape& shape = shapes.back();
    if (primitive_ == render::Primitive::kTriangleStrip && shape.outer.size() > 1) {
      shape.outer.pop_back();
      shape.inner.pop_back();
    }
  }

  std::vector<FigureShape> shapes;
  std::vector<int> drawnCells;

 private:
  std::array<float, 3> colour_{1.0f, 1.0f, 1.0f};
  Vec3 normal_;
  int cell_ = -1;
  render::Primitive primitive_ = render::Primitive::kTriangleFan;
};

// Splits the outline's one line and one point primitive into a shape per edge and per
// vertex, each given the cell it was drawn for (drawOutlines goes through the drawn cells
// in order, each cell's edges and vertices as CellOutlines lists them).
void splitOutline(const FigureShape& all, const std::vector<int>& drawnCells,
                  const std::vector<int>& start, int perItem, std::vector<FigureShape>* out) {
  size_t at = 0;
  for (int c : drawnCells) {
    for (int e = start[c]; e < start[c + 1] && at + perItem <= all.outer.size(); ++e) {
      FigureShape shape;
      shape.kind = all.kind;
      shape.colour = all.colour;
      shape.cell = c;
      shape.outer.assign(all.outer.begin() + at, all.outer.begin() + at + perItem);
      at += perItem;
      out->push_back(shape);
    }
  }
}

// Keeps the part of a loop where plane(p) >= 0 (Sutherland and Hodgman).
template <typename Plane>
std::vector<Vec3> clipLoop(const std::vector<Vec3>& loop, Plane plane) {
  std::vector<Vec3> kept;
  for (size_t i = 0; i < loop.size(); ++i) {
    const Vec3& a = loop[i];
    const Vec3& b = loop[(i + 1) % loop.size()];
    const double da = plane(a), db = plane(b);
    if (da >= 0.0) kept.push_back(a);
    if ((da >= 0.0) != (db >= 0.0)) kept.push_back(a + (da / (da - db)) * (b - a));
  }
  return kept;
}

template <typename Plane>
bool clipSegment(std::vector<Vec3>* ends, Plane plane) {
  Vec3& a = (*ends)[0];
  Vec3& b = (*ends)[1];
  const double da = plane(a), db = plane(b);
  if (da < 0.0 && db < 0.0) return false;
  if (da < 0.0) a = a + (da / (da - db)) * (b - a);
  if (db < 0.0) b = b + (db / (db - da)) * (a - b);
  return true;
}

// The camera of the picture: look-at from the eye to the origin with y up, the
// perspective of kFieldOfView, then the fit's screen-space zoom.
struct Camera {
  Vec3 eye, right, up, sight;
  double focal = 1.0;
  render::FrameFit fit;
  double size = 1.0;

  explicit Camera(const FigureView& view) : eye(view.eye), fit(view.fit), size(view.size) {
    sight = model::length(eye) > 0.0 ? unit(-1.0 * eye) : Vec3(0.0, 0.0, -1.0);
    right = unit(model::cross(sight, Vec3(0.0, 1.0, 0.0)));
    up = model::cross(right, sight);
    focal = 1.0 / std::tan(render::kFieldOfView * M_PI / 360.0);
  }
  double depth(const Vec3& p) const { return model::dot(p - eye, sight); }
  // Points, y down, as the picture's rows run.
  void place(const Vec3& p, double* x, double* y) const {
    const double d = depth(p);
    const double sx = fit.scale * (focal * model::dot(p - eye, right) / d - fit.centreX);
    const double sy = fit.scale * (focal * model::dot(p - eye, up) / d - fit.centreY);
    *x = 0.5 * (sx + 1.0) * size;
    *y = 0.5 * (1.0 - sy) * size;
  }
};

// The fixed-function light of a polygon whose material is rgb and normal n (unit): the
// ambient of the light model and the light, the diffuse and the specular highlight of a
// directional light with the viewer at infinity, clamped as OpenGL clamps it.
std::array<double, 3> lit(const std::array<float, 3>& rgb, const Vec3& n) {
  const Vec3 light = unit(kLightDirection);
  const double diffuse = std::max(0.0, model::dot(n, light));
  const Vec3 half = unit(light + Vec3(0.0, 0.0, 1.0));
  const double specular =
      diffuse > 0.0 ? kSpecular * std::pow(std::max(0.0, model::dot(n, half)), kShininess) : 0.0;
  std::array<double, 3> out;
  for (int k = 0; k < 3; ++k) {
    out[k] = std::clamp((kGlobalAmbient + kLightAmbient + diffuse) * rgb[k] + specular, 0.0, 1.0);
  }
  return out;
}

// How much of the lit colour is left at eye depth d; the rest is the fog's colour.
double fogFactor(double d) { return std::clamp((kFogEnd - d) / (kFogEnd - kFogStart), 0.0, 1.0); }

struct Painter {
  cairo_t* cr;
  const Camera& camera;
  const FigureView& view;
  double lineWidth;

  void path(const std::vector<Vec3>& loop) {
    for (size_t i = 0; i < loop.size(); ++i) {
      double x, y;
      camera.place(loop[i], &x, &y);
      if (i == 0) {
        cairo_move_to(cr, x, y);
      } else {
        cairo_line_to(cr, x, y);
      }
    }
    cairo_close_path(cr);
  }

  std::array<double, 3> fogged(const std::array<double, 3>& c, double f) const {
    return {f * c[0] + (1.0 - f) * view.background[0], f * c[1] + (1.0 - f) * view.background[1],
            f * c[2] + (1.0 - f) * view.background[2]};
  }

  // The fog factor over the polygon as a linear function of the page, fitted to its
  // corners by least squares; a plain colour where it changes by less than a level.
  void polygon(const FigureShape& shape) {
    const std::array<double, 3> colour = lit(shape.colour, shape.normal);
    std::vector<double> xs, ys, fs;
    double fMin = 1.0, fMax = 0.0;
    for (const Vec3& p : shape.outer) {
      double x, y;
      camera.place(p, &x, &y);
      xs.push_back(x);
      ys.push_back(y);
      fs.push_back(fogFactor(camera.depth(p)));
      fMin = std::min(fMin, fs.back());
      fMax = std::max(fMax, fs.back());
    }
    cairo_new_path(cr);
    path(shape.outer);
    if (!shape.inner.empty()) path(shape.inner);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    double spread = 0.0;
    for (int k = 0; k < 3; ++k) {
      spread = std::max(spread, (fMax - fMin) * std::abs(colour[k] - view.background[k]));
    }
    cairo_pattern_t* gradient = nullptr;
    if (spread * 255.0 >= 1.0) gradient = fogGradient(xs, ys, fs, colour);
    if (gradient == nullptr) {
      const std::array<double, 3> flat = fogged(colour, 0.5 * (fMin + fMax));
      cairo_set_source_rgb(cr, flat[0], flat[1], flat[2]);
    } else {
      cairo_set_source(cr, gradient);
    }
    // A hairline of the fill's own colour closes the seams antialiasing leaves between
    // polygons that meet.
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 0.5 * lineWidth);
    cairo_stroke(cr);
    if (gradient != nullptr) cairo_pattern_destroy(gradient);
  }

  cairo_pattern_t* fogGradient(const std::vector<double>& xs, const std::vector<double>& ys,
                               const std::vector<double>& fs, const std::array<double, 3>& colour) {
    // f = a + b (x - mx) + c (y - my): centred normal equations, solved for b and c.
    const size_t n = xs.size();
    double mx = 0, my = 0, mf = 0;
    for (size_t i = 0; i < n; ++i) mx += xs[i] / n, my += ys[i] / n, mf += fs[i] / n;
    double sxx = 0, sxy = 0, syy = 0, sxf = 0, syf = 0;
    for (size_t i = 0; i < n; ++i) {
      const double dx = xs[i] - mx, dy = ys[i] - my, df = fs[i] - mf;
      sxx += dx * dx, sxy += dx * dy, syy += dy * dy, sxf += dx * df, syf += dy * df;
    }
    const double det = sxx * syy - sxy * sxy;
    if (!(std::abs(det) > 1e-12 * (sxx * syy + 1e-300))) return nullptr;
    const double b = (sxf * syy - syf * sxy) / det, c = (syf * sxx - sxf * sxy) / det;
    const double g2 = b * b + c * c;
    if (!(g2 > 0.0)) return nullptr;
    double lo = 1.0, hi = 0.0;
    for (double f : fs) lo = std::min(lo, f), hi = std::max(hi, f);
    const double t0 = (lo - mf) / g2, t1 = (hi - mf) / g2;
    cairo_pattern_t* gradient =
        cairo_pattern_create_linear(mx + t0 * b, my + t0 * c, mx + t1 * b, my + t1 * c);
    const std::array<double, 3> a = fogged(colour, lo), z = fogged(colour, hi);
    cairo_pattern_add_color_stop_rgb(gradient, 0.0, a[0], a[1], a[2]);
    cairo_pattern_add_color_stop_rgb(gradient, 1.0, z[0], z[1], z[2]);
    return gradient;
  }

  // Edges and dots are drawn unlit and unfogged, in their material's colour.
  void outline(const FigureShape& shape) {
    cairo_set_source_rgb(cr, shape.colour[0], shape.colour[1], shape.colour[2]);
    double x0, y0;
    camera.place(shape.outer[0], &x0, &y0);
    cairo_new_path(cr);
    if (shape.kind == FigureShape::kDot) {
      cairo_arc(cr, x0, y0, 1.5 * lineWidth, 0.0, 2.0 * M_PI);
      cairo_fill(cr);
      return;
    }
    double x1, y1;
    camera.place(shape.outer[1], &x1, &y1);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_set_line_width(cr, lineWidth);
    cairo_stroke(cr);
  }
};

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// The shapes cut to what the camera and the clip plane let through, with their depth.
struct Placed {
  const FigureShape* shape;
  FigureShape cut;
  double depth;
};

std::vector<Placed> cutShapes(const std::vector<FigureShape>& shapes, const Camera& camera,
                              const FigureView& view) {
  const auto nearPlane = [&](const Vec3& p) { return camera.depth(p) - render::kNearPlane; };
  const auto clipPlane = [&](const Vec3& p) {
    return view.clipPlane[0] * p.x + view.clipPlane[1] * p.y + view.clipPlane[2] * p.z +
           view.clipPlane[3];
  };
  std::vector<Placed> placed;
  for (const FigureShape& shape : shapes) {
    FigureShape cut = shape;
    if (shape.kind == FigureShape::kPolygon) {
      cut.outer = clipLoop(cut.outer, nearPlane);
      if (view.clip) cut.outer = clipLoop(cut.outer, clipPlane);
      // A band's open centre is cut alike; a band cut through is drawn filled no further.
      if (!cut.inner.empty()) {
        cut.inner = clipLoop(cut.inner, nearPlane);
        if (view.clip) cut.inner = clipLoop(cut.inner, clipPlane);
        if (cut.inner.size() < 3) cut.inner.clear();
      }
      if (cut.outer.size() < 3) continue;
    } else if (shape.kind == FigureShape::kEdge) {
      if (!clipSegment(&cut.outer, nearPlane)) continue;
      if (view.clip && !clipSegment(&cut.outer, clipPlane)) continue;
    } else if (nearPlane(cut.outer[0]) < 0.0 || (view.clip && clipPlane(cut.outer[0]) < 0.0)) {
      continue;
    }
    double depth = 0.0;
    for (const Vec3& p : cut.outer) depth += camera.depth(p);
    depth /= static_cast<double>(cut.outer.size());
    placed.push_back({&shape, std::move(cut), depth});
  }
  return placed;
}

// For each polygon in painting order, the edges and dots painted right after it: an edge
// after the later of its cell's polygons through both its ends, a dot after the last of
// its cell's polygons through it. The depth buffer does the same for the picture: an edge
// lies on those polygons and in front of whatever they cover. One with no such polygon
// drawn lies only on polygons its own cell hides, and is hidden with them.
std::vector<std::vector<size_t>> outlinesAfter(const std::vector<Placed>& placed,
                                               const std::vector<size_t>& polygons) {
  using Key = std::tuple<int, double, double, double>;
  const auto key = [](int cell, const Vec3& p) { return Key{cell, p.x, p.y, p.z}; };
  std::map<Key, std::vector<size_t>> through;  // ascending painting positions
  for (size_t k = 0; k < polygons.size(); ++k) {
    const FigureShape& shape = *placed[polygons[k]].shape;
    for (const Vec3& p : shape.outer) {
      std::vector<size_t>& at = through[key(shape.cell, p)];
      if (at.empty() || at.back() != k) at.push_back(k);
    }
  }
  static const std::vector<size_t> kNone;
  const auto find = [&](int cell, const Vec3& p) -> const std::vector<size_t>& {
    const auto found = through.find(key(cell, p));
    return found == through.end() ? kNone : found->second;
  };
  std::vector<std::vector<size_t>> after(polygons.size());
  for (size_t i = 0; i < placed.size(); ++i) {
    const FigureShape& shape = *placed[i].shape;
    if (shape.kind == FigureShape::kPolygon) continue;
    const std::vector<size_t>& a = find(shape.cell, shape.outer[0]);
    long last = a.empty() ? -1 : static_cast<long>(a.back());
    if (shape.kind == FigureShape::kEdge) {
      const std::vector<size_t>& b = find(shape.cell, shape.outer[1]);
      last = -1;
      for (size_t x = 0, y = 0; x < a.size() && y < b.size();) {
        if (a[x] == b[y]) {
          last = static_cast<long>(a[x]);
          ++x, ++y;
        } else if (a[x] < b[y]) {
          ++x;
        } else {
          ++y;
        }
      }
    }
    if (last >= 0) after[last].push_back(i);
  }
  return after;
}

}  // namespace

bool figureFormatOf(const std::string& name, FigureFormat* format) {
  const size_t slash = name.rfind('/');
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string extension = name.substr(dot + 1);
  for (char& ch : extension) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (extension == "svg") {
    *format = FigureFormat::kSvg;
  } else if (extension == "pdf") {
    *format = FigureFormat::kPdf;
  } else {
    return false;
  }
  return true;
}

std::vector<FigureShape> sceneShapes(const model::Model& m, const view4d::Transform4& view,
                                     const Vec3& eye, const render::DrawSettings& settings,
                                     const render::CellOutlines& outlines, bool edges,
                                     bool vertices) {
  model::Vec3List projected;
  projected.resize(m.vertices->count);
  ShapeCollector collector;
  render::drawCells(m, view, eye, settings, &projected, &collector);
  std::vector<FigureShape> shapes = std::move(collector.shapes);
  if (!edges && !vertices) return shapes;
  ShapeCollector lines;
  render::drawOutlines(m, view, settings, projected, outlines, edges, vertices, &lines);
  for (const FigureShape& all : lines.shapes) {
    const bool isEdge = all.kind == FigureShape::kEdge;
    splitOutline(all, collector.drawnCells, isEdge ? outlines.edgeStart : outlines.vertexStart,
                 isEdge ? 2 : 1, &shapes);
  }
  return shapes;
}

std::vector<FigureShape> sectionShapes(const render::Section& s, const model::Model& m,
                                       const Vec3& eye, const render::DrawSettings& settings) {
  ShapeCollector collector;
  render::drawSection(s, m, eye, settings, &collector);
  return std::move(collector.shapes);
}

bool writeFigure(const std::vector<FigureShape>& shapes, const FigureView& view,
                 FigureFormat format, const std::string& path, std::string* error) {
  const Camera camera(view);
  std::vector<Placed> placed = cutShapes(shapes, camera, view);
  // Polygons farthest first; equal depths keep the walk's order.
  std::vector<size_t> polygons;
  for (size_t i = 0; i < placed.size(); ++i) {
    if (placed[i].cut.kind == FigureShape::kPolygon) polygons.push_back(i);
  }
  std::stable_sort(polygons.begin(), polygons.end(),
                   [&](size_t a, size_t b) { return placed[a].depth > placed[b].depth; });
  const std::vector<std::vector<size_t>> after = outlinesAfter(placed, polygons);
  std::string bytes;
  cairo_surface_t* surface =
      format == FigureFormat::kSvg
          ? cairo_svg_surface_create_for_stream(appendBytes, &bytes, view.size, view.size)
          : cairo_pdf_surface_create_for_stream(appendBytes, &bytes, view.size, view.size);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, view.background[0], view.background[1], view.background[2]);
  cairo_paint(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  Painter painter{cr, camera, view, std::max(1.0, view.size / 300.0)};
  for (size_t k = 0; k < polygons.size(); ++k) {
    painter.polygon(placed[polygons[k]].cut);
    for (size_t i : after[k]) painter.outline(placed[i].cut);
  }
  if (!view.label.empty()) {
    const double luminance =
        0.3 * view.background[0] + 0.59 * view.background[1] + 0.11 * view.background[2];
    const double ink = luminance > 0.5 ? 0.0 : 1.0;
    cairo_set_source_rgb(cr, ink, ink, ink);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    const double fontSize = std::max(6.0, view.size / 32.0);
    cairo_set_font_size(cr, fontSize);
    cairo_move_to(cr, 0.5 * fontSize, 1.4 * fontSize);
    cairo_show_text(cr, view.label.c_str());
  }
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  const cairo_status_t status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    *error = path + ": cannot write: " + cairo_status_to_string(status);
    return false;
  }
  return model::writeFilesWhole({{path, bytes}}, error);
}

}  // namespace orvex::exporting
