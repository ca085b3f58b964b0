// The functions the page calls. Each takes the explorer made by ox_create; strings come
// back in the explorer's text, valid until the next call that returns one.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <string>
#include <vector>

#include "render/edge_bands.h"
#include "render/facing.h"
#include "render/picture_style.h"
#include "render/scene.h"
#include "render/section.h"
#include "web/src/explorer.h"
#include "web/src/off4_import.h"

using orvex::web::Explorer;

namespace {

// The page's menus, in their order: the word the address keeps, then the words shown.
struct MenuEntry {
  const char* word;
  const char* label;
};
constexpr MenuEntry kColourMenu[] = {
    {"count", "by polygon count"}, {"kind", "by cell kind"}, {"cell", "by cell"}};
constexpr orvex::render::ColourBy kColourings[] = {
    orvex::render::ColourBy::kPolygons, orvex::render::ColourBy::kKind,
    orvex::render::ColourBy::kCell};
constexpr MenuEntry kProjectionMenu[] = {{"ortho", "ortho"},
                                          {"perspective", "perspective"},
                                          {"stereographic", "stereographic"},
                                          {"schlegel", "Schlegel diagram"}};
struct ProjectionChoice {
  orvex::view4d::Projection projection;
  bool schlegel;
  // The share of the drawn vertices, nearest the centre, that the page fits to the window
  // with every cell drawn: stereographically the cells near the pole run off far.
  double fitShare;
};
constexpr ProjectionChoice kProjections[] = {
    {orvex::view4d::Projection::kOrtho, false, 1.0},
    {orvex::view4d::Projection::kPerspective, false, 1.0},
    {orvex::view4d::Projection::kStereographic, false, 0.9},
    // A diagram keeps every cell in its place, not pushed apart.
    {orvex::view4d::Projection::kPerspective, true, 1.0}};
constexpr int kProjectionCount = sizeof kProjections / sizeof kProjections[0];
static_assert(kProjectionCount == sizeof kProjectionMenu / sizeof kProjectionMenu[0]);

// The page's sliders: their least and greatest values, step and starting value.
struct Slider {
  double low, high, step, start;
};
// Cell separation, the ExtendRate: 0 keeps the cells joined.
const Slider kExtendSlider{0.0, 0.5, 0.01, orvex::render::DrawSettings().extendRate};
// Glass: the cells' opacity, 1 solid.
const Slider kOpacitySlider{0.1, 1.0, 0.05, orvex::render::PictureStyle().opacity};

std::string json(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

template <typename T>
std::string jsonArray(const T* values, int n) {
  std::string out = "[";
  for (int i = 0; i < n; ++i) out += (i ? "," : "") + json(values[i]);
  return out + "]";
}

// Each entry as {"word":..,"label":..} with extra(i)'s fields added.
template <size_t N, typename Extra>
std::string jsonMenu(const MenuEntry (&menu)[N], Extra extra) {
  std::string out = "[";
  for (size_t i = 0; i < N; ++i) {
    out += std::string(i ? "," : "") + "{\"word\":\"" + menu[i].word + "\",\"label\":\"" +
           menu[i].label + "\"" + extra(i) + "}";
  }
  return out + "]";
}

std::string jsonSlider(const Slider& s) {
  return "{\"min\":" + json(s.low) + ",\"max\":" + json(s.high) + ",\"step\":" + json(s.step) +
         ",\"value\":" + json(s.start) + "}";
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE Explorer* ox_create() { return new Explorer(); }

EMSCRIPTEN_KEEPALIVE int ox_load(Explorer* e, const char* dir, const char* name) {
  return e->load(dir, name, &e->text) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int ox_import_off4(Explorer* e, const char* path, const char* name) {
  // Loaded from the files in memory, as the viewer would load them from disk.
  const std::string dir = "/imported";
  std::vector<orvex::model::OutputFile> files;
  if (!orvex::web::importOff4(path, dir, name, &files, &e->text)) return 0;
  const orvex::model::TextSource fromMemory = orvex::polytope::filesSource(files);
  return e->load(dir, name, &e->text, &fromMemory) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* ox_text(Explorer* e) { return e->text.c_str(); }

EMSCRIPTEN_KEEPALIVE const char* ox_info(Explorer* e) {
  e->text = e->info();
  return e->text.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* ox_measures(Explorer* e) {
  e->text = e->measures();
  return e->text.c_str();
}

EMSCRIPTEN_KEEPALIVE void ox_mouse(Explorer* e, int button, int state, int x, int y) {
  orvex::view4d::onMouse(e->state, button, state, x, y);
}

EMSCRIPTEN_KEEPALIVE void ox_motion(Explorer* e, int x, int y) {
  orvex::view4d::onMotion(e->state, x, y, [] {});
}

/// One spin step at speed times the last drag increment; 1 when it turned.
EMSCRIPTEN_KEEPALIVE int ox_idle(Explorer* e, double speed) {
  const orvex::view4d::PlaneAngles left = e->state.leftAngles, other = e->state.otherAngles;
  for (int k = 0; k < 6; ++k) {
    e->state.leftAngles[k] *= speed;
    e->state.otherAngles[k] *= speed;
  }
  const bool turned = orvex::view4d::onIdle(e->state, [] {});
  e->state.leftAngles = left;
  e->state.otherAngles = other;
  return turned ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void ox_stop(Explorer* e) {
  e->state.leftAngles.clear();
  e->state.otherAngles.clear();
}

/// The rotation becomes the identity turned once by the six plane angles.
EMSCRIPTEN_KEEPALIVE void ox_set_turn(Explorer* e, double xy, double xz, double yz, double xw,
                                      double yw, double zw) {
  e->rotation.assignTranspose(orvex::view4d::OrthoProjector());
  orvex::view4d::PlaneAngles a;
  const double values[6] = {xy, xz, yz, xw, yw, zw};
  for (int k = 0; k < 6; ++k) a[k] = values[k];
  e->rotation.rotate(a);
  e->orthoView.assignTranspose(e->rotation);
}

/// The sixteen entries of the rotation, row by row, to read or to write.
EMSCRIPTEN_KEEPALIVE double* ox_rotation(Explorer* e) { return &e->rotation.data[0].x; }

/// Call after writing through ox_rotation.
EMSCRIPTEN_KEEPALIVE void ox_rotation_changed(Explorer* e) {
  e->orthoView.assignTranspose(e->rotation);
}

EMSCRIPTEN_KEEPALIVE void ox_settings(Explorer* e, int frames, int clip, int allCells, int colour,
                                      int edges, int vertices, int projection) {
  e->draw.fillType = frames ? 1 : 0;
  e->draw.clip = clip ? 1 : 0;
  e->draw.allCells = allCells != 0;
  e->edges = edges != 0;
  e->vertices = vertices != 0;
  // Entries of the menus ox_menus gives.
  e->setColourBy(kColourings[colour >= 0 && colour < 3 ? colour : 0]);
  const ProjectionChoice& p =
      kProjections[projection >= 0 && projection < kProjectionCount ? projection : 0];
  e->setProjection(p.projection, p.schlegel);
}

/// The picture's style beyond the viewer's: a wireframe (edges and vertices of every cell,
/// no faces), or glass cells at the given opacity (1 solid).
EMSCRIPTEN_KEEPALIVE void ox_style(Explorer* e, int wireframe, double opacity) {
  e->wireframe = wireframe != 0;
  if (opacity > 0.0 && opacity <= 1.0) e->opacity = opacity;
}

/// Edges drawn as bands of even width for a canvas pixelsAcross on its shorter side, at
/// the page's zoom; 0 draws them as lines.
EMSCRIPTEN_KEEPALIVE void ox_screen(Explorer* e, int pixelsAcross, double zoom) {
  e->setScreen(pixelsAcross, zoom);
}

/// The colour and projection menus, each entry's address word and label, as JSON, and the
/// sliders: {"colour":[{"word":..,"label":..},..],"projection":[{"word":..,"label":..,
/// "fitShare":..,"separates":..},..],"extend":{"min":..,"max":..,"step":..,"value":..},
/// "opacity":{..}}. ox_settings takes positions in the menus. A projection that does not
/// separate its cells ignores ox_extend.
EMSCRIPTEN_KEEPALIVE const char* ox_menus(Explorer* e) {
  auto none = [](size_t) { return std::string(); };
  auto projection = [](size_t i) {
    return ",\"fitShare\":" + json(kProjections[i].fitShare) +
           ",\"separates\":" + (kProjections[i].schlegel ? "false" : "true");
  };
  e->text = "{\"colour\":" + jsonMenu(kColourMenu, none) + ",\"projection\":" +
            jsonMenu(kProjectionMenu, projection) + ",\"extend\":" + jsonSlider(kExtendSlider) +
            ",\"opacity\":" + jsonSlider(kOpacitySlider) + "}";
  return e->text.c_str();
}

/// The scene the page's shader draws, as JSON: the camera, light, material, fog, the
/// default clip plane, the share of the depth range the lines are drawn in front of the
/// faces by (faces in [lineLead, 1], lines in [0, 1 - lineLead]), and the floats of each
/// vertex in ox_buffer.
EMSCRIPTEN_KEEPALIVE const char* ox_scene(Explorer* e) {
  using namespace orvex::render;
  const SceneLook& l = kSceneLook;
  const SceneSettings defaults;
  const double eye[3] = {kEye.x, kEye.y, kEye.z};
  e->text = "{\"eye\":" + jsonArray(eye, 3) + ",\"fieldOfView\":" + json(kFieldOfView) +
            ",\"near\":" + json(kNearPlane) + ",\"far\":" + json(kFarPlane) +
            ",\"lightDiffuse\":" + jsonArray(l.lightDiffuse, 4) +
            ",\"lightAmbient\":" + jsonArray(l.lightAmbient, 4) +
            ",\"lightSpecular\":" + jsonArray(l.lightSpecular, 4) +
            ",\"lightPosition\":" + jsonArray(l.lightPosition, 4) +
            ",\"materialSpecular\":" + jsonArray(l.materialSpecular, 4) +
            ",\"shininess\":" + json(l.shininess) + ",\"fogColour\":" + jsonArray(l.fogColour, 4) +
            ",\"fogStart\":" + json(l.fogStart) + ",\"fogEnd\":" + json(l.fogEnd) +
            ",\"clearColour\":" + jsonArray(l.clearColour, 4) +
            ",\"globalAmbient\":" + json(l.globalAmbient) +
            ",\"clipPlane\":" + jsonArray(defaults.clipPlane.data(), 4) +
            ",\"lineLead\":" + json(kLineLead) +
            ",\"floatsPerVertex\":" + json(orvex::web::kFloatsPerVertex) + "}";
  return e->text.c_str();
}

/// The most bytes of one's own files the page may hand over at once.
EMSCRIPTEN_KEEPALIVE double ox_max_open_bytes() { return orvex::web::kMaxOpenBytes; }

/// The current frame as binary STL into ox_bytes; returns its size.
EMSCRIPTEN_KEEPALIVE int ox_stl(Explorer* e) {
  e->bytes = e->stl();
  return static_cast<int>(e->bytes.size());
}

/// The drawn cells' edges as an SVG picture into ox_bytes, seen as the page draws them
/// on a width × height canvas with screen scale (sx, sy); returns its size.
EMSCRIPTEN_KEEPALIVE int ox_edge_svg(Explorer* e, int width, int height, double sx, double sy) {
  e->bytes = e->edgeSvg(width, height, sx, sy);
  return static_cast<int>(e->bytes.size());
}

EMSCRIPTEN_KEEPALIVE const char* ox_bytes(Explorer* e) { return e->bytes.data(); }

/// How far cells are pushed out along their normals: the ExtendRate, 0 keeps them joined.
EMSCRIPTEN_KEEPALIVE void ox_extend(Explorer* e, double rate) {
  if (rate >= 0.0 && rate <= 10.0) e->draw.extendRate = rate;
}

EMSCRIPTEN_KEEPALIVE void ox_section(Explorer* e, int on, double w) {
  e->sectionOn = on != 0;
  e->sectionW = w;
}

/// The least (which 0) or greatest (1) w of a vertex in the current view.
EMSCRIPTEN_KEEPALIVE double ox_w_extent(Explorer* e, int which) {
  if (!e->model) return 0.0;
  double lo = 0.0, hi = 0.0;
  for (int i = 0; i < e->model->vertices->count; ++i) {
    const double w = e->orthoView.apply(3, (*e->model->vertices)[i]);
    if (i == 0 || w < lo) lo = w;
    if (i == 0 || w > hi) hi = w;
  }
  return which == 0 ? lo : hi;
}

/// The vertex (0), edge (1) or face (2) count of the section last built.
EMSCRIPTEN_KEEPALIVE int ox_section_count(Explorer* e, int which) {
  const orvex::render::Section& s = e->section;
  return which == 0 ? s.vertexCount() : which == 1 ? s.edgeCount() : s.faceCount();
}

/// Turns the view so that the nearest cell (0), polygon (1), edge (2) or vertex (3)
/// lies on the viewing axis.
EMSCRIPTEN_KEEPALIVE void ox_face(Explorer* e, int kind) {
  if (!e->model || kind < 0 || kind > 3) return;
  // The library's choice of target and turn, those of orvex-render --facing.
  if (!orvex::render::applyFacing(*e->model, static_cast<orvex::render::Facing>(kind),
                                  &e->rotation)) {
    return;
  }
  e->orthoView.assignTranspose(e->rotation);
}

EMSCRIPTEN_KEEPALIVE int ox_build(Explorer* e) {
  e->build();
  return e->triangleVertices;
}

EMSCRIPTEN_KEEPALIVE int ox_line_vertices(Explorer* e) { return e->lineVertices; }

EMSCRIPTEN_KEEPALIVE int ox_point_vertices(Explorer* e) { return e->pointVertices; }

/// The edges as bands: triangles after the points, drawn unlit as lines are.
EMSCRIPTEN_KEEPALIVE int ox_band_vertices(Explorer* e) { return e->bandVertices; }

/// What the frame's triangles blend at: below 1 they are glass, sent farthest first, to be
/// blended over what is drawn without hiding what follows; 1 opaque.
EMSCRIPTEN_KEEPALIVE double ox_frame_opacity(Explorer* e) { return e->frameOpacity; }

EMSCRIPTEN_KEEPALIVE float* ox_buffer(Explorer* e) { return e->buffer.data(); }

}  // extern "C"
