// orvex-bench: load, hull and frame times and peak memory for the model library.
//
//   build/bin/orvex-bench [--data DIR] [--seconds S]
//
// Each model runs in its own child process (this program again, with --model), so the
// peak memory printed is that model's own. Frame times are on the offscreen context
// (Mesa, llvmpipe on a machine without a GPU), glFinish included, with the view turned
// a little every frame as a spin does. "floor" draws the same triangles, normals and
// colours from one client vertex array with one glDrawArrays: what immediate mode
// could approach. "section" computes and draws the cut w = 0 of the same turned view
// instead of the projection, as orvex-render --section does.
#include <GL/gl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" {
#include <libqhull_r/libqhull_r.h>
}

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/data_dir.h"
#include "model/loader.h"
#include "render/gl/scene_gl.h"
#include "render/cell_walk.h"
#include "render/gl/gl_sink.h"
#include "render/scene.h"
#include "render/section.h"
#include "render/section_drawing.h"
#include "offscreen/image_diff.h"
#include "offscreen/offscreen_context.h"
#include "view4d/transform4.h"

namespace {

using namespace orvex;
using Clock = std::chrono::steady_clock;

const char* const kModels[] = {"c8", "c24", "c120", "c600", "omnitruncated-120-cell"};
const int kSizes[] = {300, 800};

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs fn until `budget` seconds have passed (at least `least` times) and returns the
// median time of one run in seconds: robust to the odd slow run on a shared machine.
double medianSeconds(double budget, int least, const std::function<void()>& fn) {
  std::vector<double> times;
  const Clock::time_point start = Clock::now();
  while (static_cast<int>(times.size()) < least || secondsSince(start) < budget) {
    const Clock::time_point t = Clock::now();
    fn();
    times.push_back(secondsSince(t));
    if (times.size() >= 10000) break;
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Collects what the cell walk draws as separate triangles, for the vertex-array floor.
class TriangleRecorder : public render::DrawSink {
 public:
  void material(const float rgba[4]) override { std::copy(rgba, rgba + 4, colour_); }
  void normal(const model::Vec3& n) override { normal_ = n; }
  void begin(render::Primitive p) override {
    primitive_ = p;
    polygon_.clear();
  }
  void vertex(const model::Vec3& v) override { polygon_.push_back(v); }
  // The current context's window, so the recorded frame skips what the drawn one skips.
  bool screen(render::ScreenTransform* transform) const override {
    return render::GlSink().screen(transform);
  }
  void end() override {
    const size_t n = polygon_.size();
    for (size_t i = 0; i + 2 < n; ++i) {
      if (primitive_ == render::Primitive::kTriangleFan) {
        emit(polygon_[0], polygon_[i + 1], polygon_[i + 2]);
      } else {
        emit(polygon_[i], polygon_[i + 1], polygon_[i + 2]);
      }
    }
  }
  int triangles() const { return static_cast<int>(positions.size() / 9); }

  std::vector<float> positions, normals, colours;

 private:
  void emit(const model::Vec3& a, const model::Vec3& b, const model::Vec3& c) {
    for (const model::Vec3* v : {&a, &b, &c}) {
      positions.insert(positions.end(), {float(v->x), float(v->y), float(v->z)});
      normals.insert(normals.end(), {float(normal_.x), float(normal_.y), float(normal_.z)});
      colours.insert(colours.end(), colour_, colour_ + 4);
    }
  }
  render::Primitive primitive_ = render::Primitive::kTriangleFan;
  std::vector<model::Vec3> polygon_;
  model::Vec3 normal_;
  float colour_[4] = {0, 0, 0, 1};
};

// Draws nothing: the cost of the walk itself, without OpenGL.
class NullSink : public render::DrawSink {
 public:
  void material(const float*) override {}
  void normal(const model::Vec3&) override {}
  void begin(render::Primitive) override {}
  void vertex(const model::Vec3&) override {}
  void end() override {}
};

double qhullSeconds(const model::Vec4Table& vertices, double budget) {
  std::vector<coordT> points;
  for (int i = 0; i < vertices.count; ++i) {
    for (int k = 0; k < 4; ++k) points.push_back(vertices[i][k]);
  }
  int failures = 0;
  const double t = medianSeconds(budget, 3, [&] {
    qhT qh;
    qh_zero(&qh, stderr);
    char options[] = "qhull Qt";
    std::vector<coordT> copy = points;  // qhull may rewrite its input
    failures += qh_new_qhull(&qh, 4, vertices.count, copy.data(), False, options, nullptr,
                             stderr) != 0;
    qh_freeqhull(&qh, !qh_ALL);
    int curlong, totlong;
    qh_memfreeshort(&qh, &curlong, &totlong);
  });
  return failures == 0 ? t : -1.0;
}

struct FrameFigures {
  double frame = 0, floor = 0, section = 0;  // seconds
  double framesView = 0;                     // seconds, FillType 1
  double everyPolygon = 0;                   // seconds, solid with the hidden-polygon skip off
  int triangles = 0;
  bool samePicture = false;
  std::string difference;
};

// The view a measurement starts from and the increment it spins by every frame.
struct Spin {
  view4d::OrthoProjector rotation, view;
  view4d::PlaneAngles step;

  Spin() {
    view4d::PlaneAngles start;
    start[1] = 0.3;
    start[2] = 0.2;
    start[3] = 0.4;
    start[4] = 0.25;
    step[1] = 0.004;
    step[3] = 0.006;
    step[4] = -0.003;
    rotation.rotate(start);
    view.assignTranspose(rotation);
  }
  void advance() {
    rotation.rotate(step);
    view.assignTranspose(rotation);
  }
};

std::unique_ptr<offscreen::OffscreenContext> sceneContext(int size) {
  std::string error;
  auto context = offscreen::OffscreenContext::create(size, size, &error);
  if (!context) {
    std::fprintf(stderr, "orvex-bench: %s\n", error.c_str());
    std::exit(1);
  }
  render::setupScene(render::SceneSettings{}, render::kEye);
  return context;
}

// Median frame time of a spin drawn with `draw`, glFinish included.
double spinFrameSeconds(const model::Model& m, model::Vec3List* projected,
                        const render::DrawSettings& draw, double budget) {
  Spin spin;
  render::GlSink sink;
  return medianSeconds(budget, 20, [&] {
    spin.advance();
    render::clearFrame();
    render::drawCells(m, spin.view, render::kEye, draw, projected, &sink);
    glFinish();
  });
}

FrameFigures measureFrames(const model::Model& m, model::Vec3List* projected, int size,
                           double budget) {
  FrameFigures f;
  const render::DrawSettings draw;
  {
    auto context = sceneContext(size);
    render::DrawSettings frames;
    frames.fillType = 1;
    f.framesView = spinFrameSeconds(m, projected, frames, budget);
    render::DrawSettings unskipped;
    unskipped.skipHidden = false;
    f.everyPolygon = spinFrameSeconds(m, projected, unskipped, budget);
  }
  auto context = sceneContext(size);
  Spin spin;
  render::GlSink sink;
  auto frame = [&] {
    render::clearFrame();
    render::drawCells(m, spin.view, render::kEye, draw, projected, &sink);
    glFinish();
  };

  // The floor draws the view the spin starts from, compared with the same frame.
  frame();
  const std::vector<std::uint8_t> immediate = context->readRgb();
  TriangleRecorder recorder;
  render::drawCells(m, spin.view, render::kEye, draw, projected, &recorder);
  f.triangles = recorder.triangles();
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, recorder.positions.data());
  glNormalPointer(GL_FLOAT, 0, recorder.normals.data());
  glColorPointer(4, GL_FLOAT, 0, recorder.colours.data());
  auto floorFrame = [&] {
    render::clearFrame();
    glDrawArrays(GL_TRIANGLES, 0, 3 * f.triangles);
    glFinish();
  };
  floorFrame();
  const offscreen::ImageDifference d =
      offscreen::compareImages({size, size, immediate}, {size, size, context->readRgb()}, 8);
  f.samePicture = offscreen::picturesAgree(d);
  f.difference = d.describe();
  f.floor = medianSeconds(budget, 20, floorFrame);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisable(GL_COLOR_MATERIAL);

  f.frame = spinFrameSeconds(m, projected, draw, budget);
  Spin cut;
  f.section = medianSeconds(budget, 20, [&] {
    cut.advance();
    render::drawSectionFrame(render::computeSection(m, cut.view, 0.0), m, render::kEye, draw);
    glFinish();
  });
  return f;
}

long peakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// One model's row; runs in a child process of its own.
int benchModel(const std::string& dataDir, const std::string& name, double budget) {
  model::Model m;
  model::Vec3List projected;
  std::string error;
  if (!model::loadModel(dataDir, name, &m, &projected, &error)) {
    std::fprintf(stderr, "orvex-bench: %s\n", error.c_str());
    return 1;
  }
  const double load = medianSeconds(budget, 3, [&] {
    model::Model fresh;
    model::Vec3List p;
    model::loadModel(dataDir, name, &fresh, &p, &error);
  });
  const double hull = qhullSeconds(*m.vertices, budget);
  NullSink nothing;
  const double walk = medianSeconds(budget / 2, 20, [&] {
    render::drawCells(m, view4d::OrthoProjector(), render::kEye, render::DrawSettings{},
                      &projected, &nothing);
  });
  FrameFigures frames[2];
  for (int s = 0; s < 2; ++s) frames[s] = measureFrames(m, &projected, kSizes[s], budget);

  std::printf("| %-22s | %5d | %4d | %5d | %6d | %8.2f | %8.2f | %5.2f | %6.3f |", name.c_str(),
              m.vertices->count, m.cellNormals->count, m.polygons->count, frames[1].triangles,
              load * 1e3, hull * 1e3, hull > 0 ? load / hull : 0.0, walk * 1e3);
  for (const FrameFigures& f : frames) {
    std::printf(" %6.2f (%5.0f) | %6.2f | %4.2f | %6.2f | %4.2f |", f.frame * 1e3, 1.0 / f.frame,
                f.floor * 1e3, f.frame / f.floor, f.section * 1e3, f.section / f.frame);
  }
  std::printf(" %6.2f (%5.0f) | %6.2f | %4.2f | %6.1f |\n", frames[1].framesView * 1e3,
              1.0 / frames[1].framesView, frames[1].everyPolygon * 1e3,
              frames[1].frame / frames[1].everyPolygon, peakKiB() / 1024.0);
  for (int s = 0; s < 2; ++s) {
    if (!frames[s].samePicture) {
      std::printf("  note: %s at %d: the floor's picture differs: %s\n", name.c_str(), kSizes[s],
                  frames[s].difference.c_str());
    }
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dataDir = model::defaultDataDir();
  std::string only;
  double budget = 1.0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--data" && i + 1 < argc) {
      dataDir = argv[++i];
    } else if (arg == "--seconds" && i + 1 < argc) {
      budget = std::atof(argv[++i]);
    } else if (arg == "--model" && i + 1 < argc) {
      only = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: orvex-bench [--data DIR] [--seconds S]\n"
                   "  S: time spent on each figure (default 1)\n");
      return arg == "--help" ? 0 : 1;
    }
  }
  if (!only.empty()) return benchModel(dataDir, only, budget);

  std::string error;
  if (auto context = offscreen::OffscreenContext::create(8, 8, &error)) {
    std::printf("renderer: %s; %ld cores; models from %s\n\n", context->renderer().c_str(),
                sysconf(_SC_NPROCESSORS_ONLN), dataDir.c_str());
  } else {
    std::fprintf(stderr, "orvex-bench: %s\n", error.c_str());
    return 1;
  }
  std::printf(
      "| model                  | verts | cells| polys | tris   | load ms  | qhull ms | "
      "ratio | walk ms| 300² frame ms (fps) | floor  | ×floor | section | ×frame | "
      "800² frame ms (fps) | floor  | ×floor | section | ×frame | 800² frames view ms (fps) "
      "| 800² unskipped ms | ×unskipped | peak MiB |\n"
      "|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|\n");
  std::fflush(stdout);
  std::vector<std::string> missing;
  for (const char* name : kModels) {
    if (!std::filesystem::exists(model::vertexFilePath(dataDir, name))) {
      missing.push_back(name);
      continue;
    }
    const pid_t pid = fork();
    if (pid == 0) {
      const std::string seconds = std::to_string(budget);
      execl("/proc/self/exe", "orvex-bench", "--data", dataDir.c_str(), "--seconds",
            seconds.c_str(), "--model", name, static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::printf("  note: %s failed (status %d)\n", name, status);
    }
  }
  for (const std::string& name : missing) {
    std::printf("  note: %s skipped: %s not found\n", name.c_str(),
                model::vertexFilePath(dataDir, name).c_str());
  }
  std::printf(
      "\nload: files to Model with incidence (model::loadModel); qhull: hull of the same\n"
      "vertices (libqhull_r, \"qhull Qt\"); ratio: load/qhull; walk: the cell walk alone\n"
      "(projection, facing test, normals) into a sink that draws nothing; frame: clear,\n"
      "walk with immediate-mode GL, glFinish; floor: clear, one glDrawArrays of the same\n"
      "triangles, glFinish; section: compute and draw the cut w = 0 of the spinning view,\n"
      "glFinish, and ×frame its time over the frame's; frames view: the frame with\n"
      "FillType 1 (bands with open centres, every polygon drawn); unskipped: the solid frame\n"
      "with every polygon sent, even those their own cell hides, and ×unskipped the frame's\n"
      "time over it; times are medians; peak: ru_maxrss of the model's process.\n");
  return 0;
}
