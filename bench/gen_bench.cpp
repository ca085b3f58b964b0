// Prints the generator's speed figures: the omnitruncated 120-cell built and written,
// the whole library built and written, and the viewer's loader reading that model back;
// hulls of random points on the 3-sphere and of the omnitruncated 120-cell's vertices,
// checked and written; and the smallest incidence margin over the library.
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

}  // namespace

int main(int argc, char** argv) {
  const std::string table = argc > 1 ? argv[1] : "data/polytopes.tsv";
  const std::string dir =
      (std::filesystem::temp_directory_path() / ("orvex-gen-bench-" + std::to_string(getpid())))
          .string();
  std::string error;
  const int kRuns = 3;

  gen::CoxeterGroup h4;
  gen::coxeterGroup("H4", &h4);
  const bool allRings[4] = {true, true, true, true};
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

  best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    auto start = Clock::now();
    model::Model m;
    model::Vec3List projected;
    if (!model::loadModel(dir, "omnitruncated-120-cell", &m, &projected, &error)) die(error);
    best = std::min(best, secondsSince(start));
  }
  std::printf("omnitruncated 120-cell loaded by model::loadModel: %.3f s (limit 0.3 s)\n", best);

  // Hulls, timed from the points to a model checked and written, or to the refusal.
  auto timeHull = [&](const std::string& what, const std::vector<gen::Vec4>& points) {
    auto start = Clock::now();
    gen::Polytope p;
    std::string why;
    const bool built = gen::convexHull(points, &p, &why) && gen::writeModel(dir, "hull", p, &why);
    const double seconds = secondsSince(start);
    if (built) {
      std::printf("hull of %s: %zu vertices, %d cells, checked and written: %.3f s\n", what.c_str(),
                  p.vertices.size(), p.cells(), seconds);
    } else {
      std::printf("hull of %s: refused after %.3f s: %s\n", what.c_str(), seconds, why.c_str());
    }
  };
  for (int count : {2000, 10000}) {
    std::mt19937 random(1);
    std::normal_distribution<double> gauss;
    std::vector<gen::Vec4> points;
    for (int i = 0; i < count; ++i) {
      gen::Vec4 v(gauss(random), gauss(random), gauss(random), gauss(random));
      points.push_back((1.0 / model::length(v)) * v);
    }
    timeHull(std::to_string(count) + " random points on the 3-sphere (limit 2 s for 2000)", points);
  }
  {
    gen::Polytope p;
    if (!gen::wythoff(h4, allRings, &p, &error)) die(error);
    timeHull("the omnitruncated 120-cell's 14400 vertices", p.vertices);
  }

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
  std::printf("whole library (%zu models), built, checked and written on one thread: %.3f s (goal 5 s)\n",
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
  std::filesystem::remove_all(dir);
  return 0;
}
