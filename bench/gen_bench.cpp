// Prints the generator's speed figures: the omnitruncated 120-cell built and written,
// the whole library built and written, and the viewer's loader reading that model back;
// hulls of 20,000 and 10,000 random points on the 3-sphere and of the omnitruncated
// 120-cell's vertices, checked and written, and the viewer's loader reading the 10,000
// point hull; and the smallest incidence margin over the library. First, hulls against
// qhull alone: for 10,000, 40,000 and 100,000 points on the 3-sphere and 100,000 in a
// ball, the time and peak memory of `orvex-gen hull` (the points file read, the hull,
// the check, the model written) and of qhull on the same points (its facets and their
// vertices, as qconvex Fv gives them), each in a fresh process of its own.
// Usage: orvex-gen-bench [--versus-qhull-only] TABLE (default data/polytopes.tsv)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

#include "model/loader.h"
#include "polytope/coxeter.h"
#include "polytope/geometry.h"
#include "polytope/hull.h"
#include "polytope/info.h"
#include "polytope/library.h"
#include "polytope/model_check.h"
#include "polytope/model_writer.h"
#include "polytope/point_file.h"
#include "polytope/wythoff.h"

using namespace orvex;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

[[noreturn]] void die(const std::string& message) {
  std::fprintf(stderr, "orvex-gen-bench: %s\n", message.c_str());
  std::exit(1);
}

// The best of a few loads of model name by the viewer's loader, in seconds.
double loadSeconds(const std::string& dir, const std::string& name) {
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    auto start = Clock::now();
    model::Model m;
    model::Vec3List projected;
    std::string error;
    if (!model::loadModel(dir, name, &m, &projected, &error)) die(error);
    best = std::min(best, secondsSince(start));
  }
  return best;
}

const int kRuns = 3;

// The omnitruncated 120-cell built, checked and written, then read by the viewer's loader.
void omnitruncated(const std::string& dir) {
  polytope::CoxeterGroup h4;
  polytope::coxeterGroup("H4", &h4);
  const bool allRings[4] = {true, true, true, true};
  std::string error;
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    auto start = Clock::now();
    polytope::Polytope p;
    if (!polytope::wythoff(h4, allRings, &p, &error) ||
        !polytope::writeModel(dir, "omnitruncated-120-cell", p, &error)) {
      die(error);
    }
    best = std::min(best, secondsSince(start));
  }
  std::printf("omnitruncated 120-cell (14400 vertices), built, checked and written: %.3f s\n",
              best);
  std::printf("omnitruncated 120-cell loaded by model::loadModel: %.3f s (limit 0.3 s)\n",
              loadSeconds(dir, "omnitruncated-120-cell"));
}

// count random points on the 3-sphere, the same for every run.
std::vector<polytope::Vec4> spherePoints(int count) {
  std::mt19937 random(1);
  std::normal_distribution<double> gauss;
  std::vector<polytope::Vec4> points;
  for (int i = 0; i < count; ++i) {
    polytope::Vec4 v(gauss(random), gauss(random), gauss(random), gauss(random));
    points.push_back((1.0 / model::length(v)) * v);
  }
  return points;
}

// count random points in the ball, the same for every run.
std::vector<polytope::Vec4> ballPoints(int count) {
  std::mt19937 random(2);
  std::normal_distribution<double> gauss;
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<polytope::Vec4> points;
  for (int i = 0; i < count; ++i) {
    polytope::Vec4 v(gauss(random), gauss(random), gauss(random), gauss(random));
    points.push_back((std::pow(unit(random), 0.25) / model::length(v)) * v);
  }
  return points;
}

struct Run {
  double seconds = 0.0, megabytes = 0.0;
  bool ok = false;
};

// This program run again as `--child WHAT FILE DIR`, which prints its time: that time,
// and the child's peak resident memory, counted from a fresh process.
Run inChild(const char* what, const std::string& file, const std::string& dir) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) die("cannot make a pipe");
  const pid_t child = fork();
  if (child < 0) die("cannot fork");
  if (child == 0) {
    close(pipeEnds[0]);
    dup2(pipeEnds[1], STDOUT_FILENO);
    execl("/proc/self/exe", "orvex-gen-bench", "--child", what, file.c_str(), dir.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeEnds[1]);
  char text[64] = {};
  const ssize_t got = read(pipeEnds[0], text, sizeof text - 1);
  close(pipeEnds[0]);
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  Run run;
  run.ok = got > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.seconds = std::atof(text);
  run.megabytes = usage.ru_maxrss / 1024.0;
  return run;
}

// qhull alone on the points of a file: the hull with the pre-merge the generator starts
// with, and each facet's vertices read off, as qconvex Fv lists them. Reading the file is
// not timed.
double qhullAlone(const std::string& file) {
  std::vector<polytope::Vec4> points;
  std::string error;
  if (!polytope::readPointsFile(file, &points, &error)) return -1.0;
  std::vector<coordT> coords;
  for (const polytope::Vec4& p : points) {
    for (int k = 0; k < 4; ++k) coords.push_back(p[k]);
  }
  auto start = Clock::now();
  qhT context;
  qhT* qh = &context;
  FILE* messages = std::tmpfile();
  qh_zero(qh, messages);
  char options[] = "qhull C-0";
  if (qh_new_qhull(qh, 4, static_cast<int>(points.size()), coords.data(), False, options, nullptr,
                   messages) != 0) {
    return -1.0;
  }
  long listed = 0;
  facetT* facet;
  FORALLfacets {
    vertexT *vertex, **vertexp;
    FOREACHvertex_(facet->vertices) listed += qh_pointid(qh, vertex->point) >= 0;
  }
  qh_freeqhull(qh, !qh_ALL);
  int curlong = 0, totlong = 0;
  qh_memfreeshort(qh, &curlong, &totlong);
  const double seconds = secondsSince(start);
  std::fclose(messages);
  return listed > 0 ? seconds : -1.0;
}

// What `orvex-gen hull FILE hull` does: the file read, the hull, the check and the write.
double hullCommand(const std::string& file, const std::string& dir) {
  auto start = Clock::now();
  std::vector<polytope::Vec4> points;
  polytope::Polytope p;
  std::string error;
  if (!polytope::readPointsFile(file, &points, &error) || !polytope::convexHull(points, &p, &error) ||
      !polytope::writeModel(dir, "versus-qhull", std::move(p), &error)) {
    std::fprintf(stderr, "orvex-gen-bench: %s\n", error.c_str());
    return -1.0;
  }
  return secondsSince(start);
}

// The hull command against qhull alone, each on its own points file, best of two runs.
void versusQhull(const std::string& dir) {
  std::filesystem::create_directories(dir);
  std::printf("%-26s %9s %9s %9s %9s %7s %7s\n", "hull vs qhull alone", "qhull s", "qhull MB",
              "hull s", "hull MB", "time", "memory");
  struct Case {
    const char* what;
    std::vector<polytope::Vec4> points;
  };
  const Case cases[] = {{"10000 on the 3-sphere", spherePoints(10000)},
                        {"40000 on the 3-sphere", spherePoints(40000)},
                        {"100000 on the 3-sphere", spherePoints(100000)},
                        {"100000 in a ball", ballPoints(100000)}};
  for (const Case& c : cases) {
    const std::string file = dir + "/points.txt";
    std::string text = std::to_string(c.points.size()) + "\n";
    for (const polytope::Vec4& v : c.points) {
      text += polytope::formatReal(v.x) + " " + polytope::formatReal(v.y) + " " + polytope::formatReal(v.z) +
              " " + polytope::formatReal(v.w) + "\n";
    }
    std::string error;
    if (!polytope::writeTextFile(file, text, &error)) die(error);
    Run qhull, hull;
    for (int run = 0; run < 2; ++run) {
      const Run q = inChild("qhull", file, dir);
      const Run h = inChild("hull", file, dir);
      if (!q.ok || !h.ok) die(std::string("the run on ") + c.what + " failed");
      if (run == 0 || q.seconds < qhull.seconds) qhull = q;
      if (run == 0 || h.seconds < hull.seconds) hull = h;
    }
    std::printf("%-26s %9.3f %9.1f %9.3f %9.1f %6.2fx %6.2fx\n", c.what, qhull.seconds,
                qhull.megabytes, hull.seconds, hull.megabytes, hull.seconds / qhull.seconds,
                hull.megabytes / qhull.megabytes);
  }
  std::printf("(goal: hull at most 3x qhull alone in time and in peak memory)\n");
  std::fflush(stdout);
}

// Hulls, timed from the points to a model checked and written (or to the refusal); the
// 10,000-point hull is then loaded as the viewer loads it.
void hulls(const std::string& dir) {
  auto timeHull = [&](const std::string& what, const std::vector<polytope::Vec4>& points,
                      const char* goal) {
    auto start = Clock::now();
    polytope::Polytope p;
    std::string why;
    const bool built = polytope::convexHull(points, &p, &why) && polytope::writeModel(dir, "hull", p, &why);
    const double seconds = secondsSince(start);
    if (built) {
      std::printf("hull of %s: %zu vertices, %d cells, checked and written: %.3f s%s\n",
                  what.c_str(), p.vertices.size(), p.cells(), seconds, goal);
    } else {
      std::printf("hull of %s: refused after %.3f s: %s\n", what.c_str(), seconds, why.c_str());
    }
    return built;
  };
  timeHull("20000 random points on the 3-sphere", spherePoints(20000), " (goal 3 s)");
  if (timeHull("10000 random points on the 3-sphere", spherePoints(10000), " (goal 1 s)")) {
    std::printf("that hull loaded by model::loadModel: %.3f s (goal 2 s)\n",
                loadSeconds(dir, "hull"));
  }
  polytope::CoxeterGroup h4;
  polytope::coxeterGroup("H4", &h4);
  const bool allRings[4] = {true, true, true, true};
  polytope::Polytope p;
  std::string error;
  if (!polytope::wythoff(h4, allRings, &p, &error)) die(error);
  timeHull("the omnitruncated 120-cell's 14400 vertices", p.vertices, "");
}

// info, from the files to every measure and the proved symmetry group, best of a few runs,
// on c120, the omnitruncated 120-cell (written by omnitruncated) and a random hull.
void infos(const std::string& dir) {
  polytope::CoxeterGroup h4;
  polytope::coxeterGroup("H4", &h4);
  const bool firstRing[4] = {true, false, false, false};
  polytope::Polytope p;
  std::string error;
  if (!polytope::wythoff(h4, firstRing, &p, &error) || !polytope::writeModel(dir, "c120", p, &error) ||
      !polytope::convexHull(spherePoints(10000), &p, &error) ||
      !polytope::writeModel(dir, "hull-10000", p, &error)) {
    die(error);
  }
  const std::pair<const char*, const char*> kModels[] = {
      {"c120", "0.3 s"}, {"omnitruncated-120-cell", "3 s"}, {"hull-10000", "3 s"}};
  for (const auto& [name, goal] : kModels) {
    double best = 1e9;
    polytope::ModelInfo info;
    for (int run = 0; run < kRuns; ++run) {
      auto start = Clock::now();
      if (!polytope::modelInfo(dir, name, &info, &error)) die(error);
      best = std::min(best, secondsSince(start));
    }
    std::printf("info on %s (%d vertices, %d cells, symmetry order %llu): %.3f s (goal %s)\n",
                name, info.measures.vertices, info.measures.cells,
                static_cast<unsigned long long>(info.symmetry.order), best, goal);
  }
}

// The whole library built, checked and written, and its narrowest incidence margin.
void library(const std::string& table, const std::string& dir) {
  std::string error;
  std::vector<polytope::LibraryEntry> entries;
  if (!polytope::readLibraryTable(table, &entries, &error)) die(error);
  auto start = Clock::now();
  polytope::BuiltRows built;
  for (const auto& e : entries) {
    polytope::Polytope p;
    if (!polytope::buildLibraryEntry(e, entries, &built, &p, &error) ||
        !polytope::writeModel(dir, e.name, p, &error)) {
      die(error);
    }
  }
  std::printf(
      "whole library (%zu models), built, checked and written one model at a time: %.3f s (goal 5 s)\n",
      entries.size(), secondsSince(start));
  double smallest = 1e300;
  std::string narrowest;
  for (const auto& e : entries) {
    polytope::ModelReport report;
    if (!polytope::checkModel(dir, e.name, &report, &error)) die(error);
    if (report.smallestMargin < smallest) {
      smallest = report.smallestMargin;
      narrowest = e.name;
    }
  }
  std::printf("smallest incidence margin over the library: %.4g, in %s (goal at least 1e-3)\n",
              smallest, narrowest.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--child") {
    const double seconds = std::string(argv[2]) == "qhull" ? qhullAlone(argv[3])
                                                           : hullCommand(argv[3], argv[4]);
    std::printf("%.6f\n", seconds);
    return seconds >= 0 ? 0 : 1;
  }
  int first = 1;
  const bool versusOnly = argc > 1 && std::string(argv[1]) == "--versus-qhull-only";
  if (versusOnly) ++first;
  const std::string table = argc > first ? argv[first] : "data/polytopes.tsv";
  const std::string dir =
      (std::filesystem::temp_directory_path() / ("orvex-gen-bench-" + std::to_string(getpid())))
          .string();
  // First, while this process is small, as the children start as copies of it.
  versusQhull(dir);
  if (versusOnly) {
    std::filesystem::remove_all(dir);
    return 0;
  }
  omnitruncated(dir);
  infos(dir);
  hulls(dir);
  library(table, dir);
  std::filesystem::remove_all(dir);
  return 0;
}
