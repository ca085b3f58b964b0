// Prints the generator's speed figures: the omnitruncated 120-cell built and written,
// the whole library built and written, and the viewer's loader reading that model back.
// Usage: orvex-gen-bench TABLE (default data/polytopes.tsv)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "model/loader.h"
#include "tools/gen/coxeter.h"
#include "tools/gen/library.h"
#include "tools/gen/model_writer.h"
#include "tools/gen/wythoff.h"

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
  std::printf("omnitruncated 120-cell (14400 vertices), built and written: %.3f s (limit 1 s)\n",
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
  std::printf("whole library (%zu models), built and written on one thread: %.3f s (goal 5 s)\n",
              entries.size(), secondsSince(start));
  std::filesystem::remove_all(dir);
  return 0;
}
