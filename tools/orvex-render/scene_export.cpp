#include "tools/orvex-render/scene_export.h"

#include <iostream>
#include <memory>

#include "export/mesh_writers.h"
#include "export/scene_mesh.h"
#include "export/struts.h"
#include "export/vector_figure.h"
#include "base/printable.h"
#include "render/gl/scene_gl.h"
#include "render/gl/gl_sink.h"
#include "render/picture_style.h"
#include "render/scene.h"
#include "render/section.h"
#include "tools/orvex-render/section_pictures.h"
#include "view4d/projections.h"

namespace orvex::render_tool {
namespace {

// The light grey of a strut model: printed plastic, not the picture's near-black lines.
constexpr float kStrutColour[3] = {0.85f, 0.85f, 0.85f};

int fail(const std::string& message) {
  std::cerr << "orvex-render: " << base::printable(message, message.size()) << std::endl;
  return 1;
}

// Millimetres per scene unit of a strut model: the outline scaled so that, balls
// included, its longest side is the print size.
double millimetresPerUnit(const exporting::DrawnOutline& outline, const ExportOptions& exported) {
  exporting::Box box;
  for (const model::Vec3& v : outline.vertices) box.add(v);
  const double ball = exporting::kBallToStrut * strutRadiusOf(exported);
  const double side = box.longestSide();
  return side > 0.0 ? (exported.printSize - 2.0 * ball) / side : 1.0;
}

bool buildMesh(const model::Model& model, const view4d::Transform4& view,
               const RenderOptions& options, exporting::SceneMesh* mesh, std::string* error) {
  const render::StyledModel styled = render::prepareStyle(model, options.style);
  const render::DrawSettings settings =
      render::styledSettings(config::drawSettingsOf(options.settings), options.style, styled);
  const ExportOptions& exported = options.exported;
  if (options.section.on) {
    const render::Section s = render::computeSection(model, view, options.section.from);
    if (!exporting::sectionSolid(s, model, mesh, error)) return false;
    std::cout << sectionLine(options.section.fromText, s) << std::endl;
  } else if (exported.struts) {
    const exporting::DrawnOutline outline = exporting::drawnOutline(model, view, settings);
    if (outline.vertices.empty()) {
      *error = "no edge is drawn in this view, so there is nothing to export";
      return false;
    }
    *mesh = exporting::strutMesh(outline, millimetresPerUnit(outline, exported),
                                 strutRadiusOf(exported), kStrutColour);
    // Centred only: the size already counts the balls.
    exporting::fitToSize(mesh, exporting::boundsOf(*mesh).longestSide());
    return true;
  } else if (!exporting::cellSolids(model, view, settings, mesh, error)) {
    return false;
  }
  exporting::fitToSize(mesh, exported.printSize);
  return true;
}

bool writeVectorFigure(const model::Model& model, const view4d::Transform4& view,
                       const RenderOptions& options, std::string* error) {
  const render::StyledModel styled = render::prepareStyle(model, options.style);
  const render::DrawSettings settings =
      render::styledSettings(config::drawSettingsOf(options.settings), options.style, styled);
  exporting::FigureView figure;
  figure.size = options.size;
  figure.eye = render::kEye;
  std::copy(options.style.background, options.style.background + 3, figure.background.begin());
  const render::SceneSettings scene = config::sceneSettingsOf(options.settings);
  figure.clip = scene.clip != 0;
  figure.clipPlane = scene.clipPlane;
  // The fit of the picture: the drawn cells' place on the screen, sections included.
  if (options.style.fit) {
    render::ScreenBounds bounds;
    render::addDrawnPoints(model, view, render::kEye, settings, &bounds);
    figure.fit = render::fitBounds(bounds, 0.04);
  }
  figure.fit.scale *= options.style.zoom;
  std::vector<exporting::FigureShape> shapes;
  if (options.section.on) {
    const render::Section s = render::computeSection(model, view, options.section.from);
    shapes = exporting::sectionShapes(s, model, render::kEye, config::drawSettingsOf(options.settings));
    const std::string line = sectionLine(options.section.fromText, s);
    if (options.label) figure.label = line;
    std::cout << line << std::endl;
  } else {
    shapes = exporting::sceneShapes(model, view, render::kEye, settings, styled.outlines,
                                    options.style.edges, options.style.vertices);
  }
  return exporting::writeFigure(shapes, figure, options.exported.figureFormat, options.output,
                                error);
}

}  // namespace

double strutRadiusOf(const ExportOptions& exported) {
  return exported.strutRadius > 0.0 ? exported.strutRadius : exported.printSize / 100.0;
}

std::string checkExportOptions(const RenderOptions& o) {
  const ExportOptions& e = o.exported;
  if ((e.struts || e.strutRadius > 0.0) && e.figure) {
    return "--struts needs a 3D model output (.stl, .obj, .ply, .glb or .3mf), or a picture of "
           "them";
  }
  if (e.printSizeGiven && !e.mesh && !e.struts) {
    return "--print-size needs a 3D model output (.stl, .obj, .ply, .glb or .3mf)";
  }
  if (e.strutRadius > 0.0 && !e.struts) return "--strut-radius needs --struts";
  if (e.struts && o.section.on) return "--struts draws the edges; it takes no --section";
  if (e.struts && strutRadiusOf(e) * 4.0 >= e.printSize) {
    return "a strut radius of " + std::to_string(strutRadiusOf(e)) +
           " mm is too thick for a print size of " + std::to_string(e.printSize) + " mm";
  }
  if (o.label && e.mesh) return "--label writes into a picture or figure, not a 3D model";
  if (!e.mesh && !e.figure) return "";
  const std::string what = e.mesh ? "a 3D model" : "a vector figure";
  if (o.frames > 0) {
    return what + " holds one view; it takes no --frames, --section-to or --sweep";
  }
  if (o.transparent) return "--background transparent needs a .png output";
  if (e.mesh && (o.style.edges || o.style.vertices)) {
    return "--edges and --vertices draw lines and dots, which a 3D model cannot hold; "
           "--struts makes them solid";
  }
  return "";
}

int runExport(const model::Model& model, const RenderOptions& options,
              const view4d::Transform4& start) {
  std::unique_ptr<view4d::Transform4> view = view4d::makeView(options.projection);
  view4d::assignView(start, options.distance, view.get());
  std::string error;
  if (options.exported.figure) {
    return writeVectorFigure(model, *view, options, &error) ? 0 : fail(error);
  }
  exporting::SceneMesh mesh;
  if (!buildMesh(model, *view, options, &mesh, &error)) {
    return fail(base::printable(options.settings.modelName) + ": " + error);
  }
  if (!exporting::writeMesh(mesh, options.exported.meshFormat, options.output, &error)) {
    return fail(error);
  }
  return 0;
}

void drawStrutFrame(const model::Model& model, const view4d::Transform4& view,
                    const RenderOptions& options) {
  const render::StyledModel styled = render::prepareStyle(model, options.style);
  const render::DrawSettings settings =
      render::styledSettings(config::drawSettingsOf(options.settings), options.style, styled);
  const exporting::DrawnOutline outline = exporting::drawnOutline(model, view, settings);
  const exporting::SceneMesh mesh = exporting::strutMesh(
      outline, 1.0, strutRadiusOf(options.exported) / millimetresPerUnit(outline, options.exported),
      kStrutColour);
  render::clearFrame();
  render::GlSink sink;
  const float rgba[4] = {kStrutColour[0], kStrutColour[1], kStrutColour[2], 1.0f};
  sink.material(rgba);
  for (const exporting::Solid& solid : mesh.solids) {
    for (const auto& [a, b, c] : solid.triangles) {
      const model::Vec3 n = model::cross(solid.points[b] - solid.points[a],
                                         solid.points[c] - solid.points[a]);
      sink.normal((1.0 / model::length(n)) * n);
      sink.begin(render::Primitive::kTriangleFan);
      sink.vertex(solid.points[a]);
      sink.vertex(solid.points[b]);
      sink.vertex(solid.points[c]);
      sink.end();
    }
  }
}

}  // namespace orvex::render_tool
