// Prints the generator's speed figures: the omnitruncated 120-cell built and written,
// the whole library built and written, and the viewer's loader reading that model back;
// hulls of 20,000 and 10,000 random points on the 3-sphere and of the omnitruncated
// 120-cell's vertices, checked and written, and the viewer's loader reading the 10,000
// point hull; and the smallest incidence margin over the library.
// Usage: orvex-gen-bench TABLE (default data/polytopes.tsv)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "model/loader.h"
#include "tools/orvex-gen/coxeter.h"
#include "tools/orvex-gen/geometry.h"
#include "tools/orvex-gen/hull.h"
#include "tools/orvex-gen/info.h"
#include "tools/orvex-gen/library.h"
#include "tools/orvex-gen/model_check.h"
#include "tools/orvex-gen/model_writer.h"
#include "tools/orvex-gen/wythoff.h"

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
  gen::CoxeterGroup h4;
  gen::coxeterGroup("H4", &h4);
  const bool allRings[4] = {true, true, true, true};
  std::string error;
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    auto start = Clock::now();
    gen::Polytope p;
    if (!gen::wythoff(h4, allRings, &p, &error) ||
        !gen::writeModel(dir, "omnitruncated-120-cell", p, &error)) {
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
std::vector<gen::Vec4> spherePoints(int count) {
  std::mt19937 random(1);
  std::normal_distribution<double> gauss;
  std::vector<gen::Vec4> points;
  for (int i = 0; i < count; ++i) {
    gen::Vec4 v(gauss(random), gauss(random), gauss(random), gauss(random));
    points.push_back((1.0 / model::length(v)) * v);
  }
  return points;
}

// Hulls, timed from the points to a model checked and written (or to the refusal); the
// 10,000-point hull is then loaded as the viewer loads it.
void hulls(const std::string& dir) {
  auto timeHull = [&](const std::string& what, const std::vector<gen::Vec4>& points,
                      const char* goal) {
    auto start = Clock::now();
    gen::Polytope p;
    std::string why;
    const bool built = gen::convexHull(points, &p, &why) && gen::writeModel(dir, "hull", p, &why);
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
  gen::CoxeterGroup h4;
  gen::coxeterGroup("H4", &h4);
  const bool allRings[4] = {true, true, true, true};
  gen::Polytope p;
  std::string error;
  if (!gen::wythoff(h4, allRings, &p, &error)) die(error);
  timeHull("the omnitruncated 120-cell's 14400 vertices", p.vertices, "");
}

// info, from the files to every measure and the proved symmetry group, best of a few runs,
// on c120, the omnitruncated 120-cell (written by omnitruncated) and a random hull.
void infos(const std::string& dir) {
  gen::CoxeterGroup h4;
  gen::coxeterGroup("H4", &h4);
  const bool firstRing[4] = {true, false, false, false};
  gen::Polytope p;
  std::string error;
  if (!gen::wythoff(h4, firstRing, &p, &error) || !gen::writeModel(dir, "c120", p, &error) ||
      !gen::convexHull(spherePoints(10000), &p, &error) ||
      !gen::writeModel(dir, "hull-10000", p, &error)) {
    die(error);
  }
  const std::pair<const char*, const char*> kModels[] = {
      {"c120", "0.3 s"}, {"omnitruncated-120-cell", "3 s"}, {"hull-10000", "3 s"}};
  for (const auto& [name, goal] : kModels) {
    double best = 1e9;
    gen::ModelInfo info;
    for (int run = 0; run < kRuns; ++run) {
      auto start = Clock::now();
      if (!gen::modelInfo(dir, name, &info, &error)) die(error);
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
  std::vector<gen::LibraryEntry> entries;
  if (!gen::readLibraryTable(table, &entries, &error)) die(error);
  auto start = Clock::now();
  gen::BuiltRows built;
  for (const auto& e : entries) {
    gen::Polytope p;
    if (!gen::buildLibraryEntry(e, entries, &built, &p, &error) ||
        !gen::writeModel(dir, e.name, p, &error)) {
      die(error);
    }
  }
  std::printf(
      "whole library (%zu models), built, checked and written one model at a time: %.3f s (goal 5 s)\n",
      entries.size(), secondsSince(start));
  double smallest = 1e300;
  std::string narrowest;
  for (const auto& e : entries) {
    gen::ModelReport report;
    if (!gen::checkModel(dir, e.name, &report, &error)) die(error);
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
  const std::string table = argc > 1 ? argv[1] : "data/polytopes.tsv";
  const std::string dir =
      (std::filesystem::temp_directory_path() / ("orvex-gen-bench-" + std::to_string(getpid())))
          .string();
  omnitruncated(dir);
  infos(dir);
  hulls(dir);
  library(table, dir);
  std::filesystem::remove_all(dir);
  return 0;
}
