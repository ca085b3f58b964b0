#include "web/src/explorer.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "model/loader.h"
#include "render/edge_bands.h"
#include "render/glass.h"
#include "render/picture_style.h"
#include "render/scene.h"
#include "render/section_drawing.h"
#include "polytope/measures.h"
#include "polytope/model_check.h"

namespace orvex::web {

bool Explorer::load(const std::string& dir, const std::string& name, std::string* error,
                    const model::TextSource* source) {
  auto next = std::make_unique<model::Model>();
  model::Vec3List nextProjected;
  if (source ? !model::loadModelFrom(*source, dir, name, next.get(), &nextProjected, error)
             : !model::loadModel(dir, name, next.get(), &nextProjected, error)) {
    return false;
  }
  if (next->cellPolygons->count == 0) {
    *error = name + ": the model has no cells";
    return false;
  }
  for (int c = 0; c < next->cellPolygons->count; ++c) {
    if ((*next->cellPolygons)[c].count == 0) {
      *error = name + ": cell " + std::to_string(c + 1) + " of " +
               std::to_string(next->cellPolygons->count) +
               " bounds no polygon, so its normals are not those of its cells";
      return false;
    }
  }
  model = std::move(next);
  projected.resize(model->vertices->count);
  // The kinds and outlines when first asked for: the first picture needs neither.
  kinds.clear();
  outlinesFound = false;
  palette = render::makeCellPalette(*model, colourBy);
  pole = -1;  // its polygons were the last model's
  return true;
}

void Explorer::setProjection(view4d::Projection p, bool schlegelDiagram) {
  schlegel = schlegelDiagram;
  if (p == projection && projectedView) return;
  projection = p;
  projectedView = view4d::makeView(p);
}

void Explorer::setScreen(int pixelsAcross, double zoom) {
  if (pixelsAcross <= 0 || !(zoom > 0.0)) {
    pixelSize = 0.0;
    return;
  }
  pixelSize = render::pixelSizeAtUnitDepth(pixelsAcross, zoom);
  edgePixels = render::edgePixelsOf(render::PictureStyle(), pixelsAcross, 1);
}

void Explorer::setColourBy(render::ColourBy by) {
  if (by == colourBy) return;
  colourBy = by;
  if (model) palette = render::makeCellPalette(*model, colourBy);
}

const view4d::Transform4& Explorer::view() {
  if (projection == view4d::Projection::kOrtho) return orthoView;
  if (!projectedView) projectedView = view4d::makeView(projection);
  view4d::assignView(rotation, distance, projectedView.get());
  return *projectedView;
}

const view4d::Transform4& Explorer::drawnView(render::DrawSettings* settings,
                                               std::vector<char>* throughPole) {
  // A model with no cell off the origin has no diagram: drawn as the projection is.
  const int facing = schlegel ? render::cellFacingViewer(*model, rotation) : -1;
  if (facing < 0) {
    const view4d::Transform4& v = view();
    // The cells through the stereographic pole would wrap round infinity.
    if (projection == view4d::Projection::kStereographic) {
      *throughPole = render::cellsThroughPole(*model, v);
      settings->leftOut = throughPole;
    }
    return v;
  }
  if (facing != pole) {
    pole = facing;
    poleFaces.assign(model->polygons->count, 0);
    const model::IndexList& shell = (*model->cellPolygons)[pole];
    for (int j = 0; j < shell.count; ++j) poleFaces[shell[j]] = 1;
  }
  render::assignSchlegelView(*model, pole, rotation, &schlegelView);
  settings->allCells = true;
  settings->extendRate = 0.0;
  settings->polygonsLeftOut = &poleFaces;
  return schlegelView;
}

void Explorer::build() {
  sink.clear();
  frameOpacity = 1.0f;
  if (model) {
    render::DrawSettings settings = draw;
    // An empty palette is the viewer's colouring by polygon count.
    settings.palette = palette.colours.empty() ? nullptr : &palette;
    render::EdgeBandSink bands(&sink, render::kEye, pixelSize, edgePixels);
    render::DrawSink* lines = pixelSize > 0.0 ? static_cast<render::DrawSink*>(&bands) : &sink;
    if (sectionOn) {
      section = render::computeSection(*model, orthoView, sectionW);
      render::drawSection(section, *model, render::kEye, settings, &sink);
      render::drawSectionOutlines(section, edges, vertices, lines);
    } else {
      // As orvex-render draws each projection and style.
      std::vector<char> throughPole;
      const view4d::Transform4* v = &drawnView(&settings, &throughPole);
      if (wireframe) {
        settings.allCells = true;
        render::drawWireframe(*model, *v, settings, cellOutlines(), vertices, &projected, lines);
      } else {
        if (opacity < 1.0) {
          // Behind glass the far side of every cell shows.
          settings.skipHidden = false;
          render::GlassSink glass;
          render::drawCells(*model, *v, render::kEye, settings, &projected, &glass);
          glass.sendBackToFront(render::kEye, static_cast<float>(opacity), &sink);
          frameOpacity = static_cast<float>(opacity);
        } else {
          render::drawCells(*model, *v, render::kEye, settings, &projected, &sink);
        }
        if (edges || vertices) {
          render::drawOutlines(*model, *v, settings, projected, cellOutlines(), edges, vertices,
                               lines);
        }
      }
    }
  }
  sink.gather(&buffer, &triangleVertices, &lineVertices, &pointVertices, &bandVertices);
}

const render::CellOutlines& Explorer::cellOutlines() {
  if (!outlinesFound) {
    outlines = render::findCellOutlines(*model);
    outlinesFound = true;
  }
  return outlines;
}

std::string Explorer::measures() const {
  if (!model) return "[]";
  // orvex-gen info's key numbers, by its own code: the volume (for unit edge when every
  // edge has one length) and the dihedral angles, as label and value.
  const polytope::Measures m = polytope::measureModel(*model, model->scale);
  auto number = [](double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return std::string(text);
  };
  std::string volume = number(m.volume);
  if (m.edgeLengths.size() == 1 && m.edgeLengths[0].value > 0.0) {
    volume = number(m.volume / std::pow(m.edgeLengths[0].value, 4)) + " for unit edge";
  }
  std::string angles;
  for (size_t i = 0; i < m.dihedralAngles.size() && i < 3; ++i) {
    angles += (i ? ", " : "") + number(m.dihedralAngles[i].degrees) + "°";
  }
  if (m.dihedralAngles.size() > 3) angles += ", " + std::to_string(m.dihedralAngles.size() - 3) + " more";
  return "[[\"volume\",\"" + volume + "\"],[\"dihedral\",\"" + angles + "\"]]";
}

std::string Explorer::info() {
  if (!model) return "{}";
  if (kinds.empty()) kinds = render::cellKinds(*model);
  std::set<std::pair<int, int>> edgeSet;
  for (int f = 0; f < model->polygons->count; ++f) {
    const model::IndexList& p = (*model->polygons)[f];
    for (int i = 0; i < p.count; ++i) {
      const int a = p[i], b = p[(i + 1) % p.count];
      edgeSet.emplace(std::min(a, b), std::max(a, b));
    }
  }
  // Each kind named once, by the polygons of its first cell, in the generator's words.
  std::vector<std::string> names;
  std::map<std::string, int> counted;
  for (int c = 0; c < static_cast<int>(kinds.size()); ++c) {
    const int k = kinds[c];
    if (k >= static_cast<int>(names.size())) {
      int sides[64] = {};
      int maxSides = 3;
      const model::IndexList& cell = (*model->cellPolygons)[c];
      for (int j = 0; j < cell.count; ++j) {
        const int n = (*model->polygons)[cell[j]].count;
        if (n < 64) ++sides[n];
        maxSides = std::max(maxSides, std::min(n, 63));
      }
      std::string name = polytope::cellKindName(sides, maxSides);
      if (name.empty()) name = std::to_string(cell.count) + "-face";
      names.resize(k + 1);
      names[k] = name;
    }
    ++counted[names[k]];
  }
  return "{\"V\":" + std::to_string(model->vertices->count) +
         ",\"E\":" + std::to_string(edgeSet.size()) +
         ",\"F\":" + std::to_string(model->polygons->count) +
         ",\"C\":" + std::to_string(model->cellPolygons->count) + ",\"cells\":\"" +
         polytope::describeKinds(counted) + "\"}";
}

namespace {

void putFloat(float v, std::string* out) {
  char bytes[4];
  std::memcpy(bytes, &v, 4);  // STL is little-endian, as WebAssembly is
  out->append(bytes, 4);
}

std::string shortNumber(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

std::string hexColour(const float* rgb) {
  char text[8];
  auto byte = [](float c) { return static_cast<int>(std::lround(std::fmin(std::fmax(c, 0.0f), 1.0f) * 255)); };
  std::snprintf(text, sizeof text, "#%02x%02x%02x", byte(rgb[0]), byte(rgb[1]), byte(rgb[2]));
  return text;
}

}  // namespace

std::string Explorer::stl() {
  build();
  std::string out(80, '\0');
  std::memcpy(&out[0], "orvex", 5);
  const uint32_t triangles = static_cast<uint32_t>(triangleVertices / 3);
  out.append(reinterpret_cast<const char*>(&triangles), 4);
  for (uint32_t t = 0; t < triangles; ++t) {
    const float* v = &buffer[3 * t * kFloatsPerVertex];
    for (int i = 0; i < 3; ++i) putFloat(v[3 + i], &out);  // the polygon's normal
    for (int corner = 0; corner < 3; ++corner) {
      for (int i = 0; i < 3; ++i) putFloat(v[corner * kFloatsPerVertex + i], &out);
    }
    out.append(2, '\0');
  }
  return out;
}

std::string Explorer::edgeSvg(int width, int height, double sx, double sy) {
  // The drawn cells' outlines, or in a section the section's own edges.
  struct Segment {
    model::Vec3 ends[2];
    const float* rgb;
  };
  std::vector<Segment> segments;
  // Drawn as lines, not bands, whose ends are the edges' own.
  const bool had = edges;
  const double hadPixelSize = pixelSize;
  edges = true;
  pixelSize = 0.0;
  build();
  edges = had;
  if (sectionOn) {
    for (const auto& [a, b] : section.edges) {
      segments.push_back({{section.points[a], section.points[b]}, render::kOutlineColour});
    }
  } else {
    const float* lines = &buffer[triangleVertices * kFloatsPerVertex];
    for (int i = 0; i + 1 < lineVertices; i += 2) {
      const float* v = lines + i * kFloatsPerVertex;
      const float* u = v + kFloatsPerVertex;
      segments.push_back({{{v[0], v[1], v[2]}, {u[0], u[1], u[2]}}, v + 6});
    }
  }
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) +
                    "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
                    std::to_string(width) + " " + std::to_string(height) + "\">\n<rect width=\"" +
                    std::to_string(width) + "\" height=\"" + std::to_string(height) +
                    "\" fill=\"" + hexColour(render::kSceneLook.clearColour) + "\"/>\n";
  for (const Segment& s : segments) {
    std::string ends[2];
    bool seen = true;
    for (int end = 0; end < 2; ++end) {
      const model::Vec3& v = s.ends[end];
      const double depth = render::kEye.z - v.z;
      // The camera's own cut: nothing at or before its near plane is shown.
      if (!(depth > render::kNearPlane)) seen = false;
      const std::string n = std::to_string(end + 1);
      ends[end] = "x" + n + "=\"" + shortNumber((1 + sx * v.x / depth) * width / 2) + "\" y" + n +
                  "=\"" + shortNumber((1 - sy * v.y / depth) * height / 2) + "\"";
    }
    if (seen) svg += "<line " + ends[0] + " " + ends[1] + " stroke=\"" + hexColour(s.rgb) + "\"/>\n";
  }
  pixelSize = hadPixelSize;
  build();
  return svg + "</svg>\n";
}

}  // namespace orvex::web
