#include "polytope/library.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <sstream>
#include <thread>

#include "base/number_text.h"
#include "base/printable.h"
#include "base/regular_file.h"
#include "polytope/coxeter.h"
#include "polytope/dual.h"
#include "polytope/hull.h"
#include "polytope/off4.h"
#include "polytope/point_sets.h"
#include "polytope/prisms.h"
#include "polytope/wythoff.h"

namespace orvex::polytope {

const char* const kLibraryFamilies = "regular uniform prism duoprism antiprismatic-prism dual";

bool isUniformFamily(const std::string& family) {
  return family != "dual" &&
         (" " + std::string(kLibraryFamilies) + " ").find(" " + family + " ") != std::string::npos;
}

namespace {

// The optional columns after the counts, each "-" where unknown; false when one is
// malformed.
bool readMeasureColumns(const std::vector<std::string>& fields, LibraryEntry* e) {
  auto known = [](const std::string& f) { return f != "-"; };
  if (known(fields[7])) {
    const std::optional<long> order = base::wholeInteger(fields[7]);
    if (!order || *order <= 0) return false;
    e->symmetry = static_cast<unsigned long long>(*order);
  }
  for (int k = 0; k < 2; ++k) {
    if (!known(fields[8 + k])) continue;
    const std::optional<double> value = base::wholeReal(fields[8 + k]);
    if (!value || !(*value > 0.0)) return false;
    (k == 0 ? e->unitVolume : e->unitCircumradius) = *value;
  }
  if (known(fields[10])) e->dual = fields[10];
  return !fields[10].empty();
}

}  // namespace

bool readLibraryTable(const std::string& path, std::vector<LibraryEntry>* entries,
                      std::string* error) {
  std::string text;
  if (!base::readInputFile(path, &text, error)) return false;
  return parseLibraryTable(text, path, entries, error);
}

bool parseLibraryTable(const std::string& text, const std::string& path,
                       std::vector<LibraryEntry>* entries, std::string* error) {
  std::istringstream in(text);
  std::vector<LibraryEntry> result;
  std::map<std::string, int> lineOf;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    // A table saved with CRLF line ends reads as the same table.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream columns(line);
    for (std::string f; std::getline(columns, f, '\t');) fields.push_back(f);
    LibraryEntry e;
    bool ok = fields.size() == 7 || fields.size() == 11;
    if (ok) {
      e.name = fields[0];
      e.family = fields[1];
      e.construction = fields[2];
      int* counts[4] = {&e.vertices, &e.edges, &e.polygons, &e.cells};
      for (int k = 0; ok && k < 4; ++k) {
        const std::optional<long> count = base::wholeInteger(fields[3 + k]);
        ok = count && *count >= INT_MIN && *count <= INT_MAX;
        if (ok) *counts[k] = static_cast<int>(*count);
      }
    }
    if (!ok || (fields.size() == 11 && !readMeasureColumns(fields, &e))) {
      *error = path + ":" + std::to_string(number) +
               ": expected name, family, construction and four counts, then optionally "
               "symmetry, volume, circumradius and dual ('-' where unknown), tab-separated";
      return false;
    }
    if (!isUniformFamily(e.family) && e.family != "dual") {
      *error = path + ":" + std::to_string(number) + ": unknown family '" +
               base::printable(e.family) + "' (known: " + kLibraryFamilies + ")";
      return false;
    }
    // Two rows of one name would write one model over the other.
    auto first = lineOf.emplace(e.name, number);
    if (!first.second) {
      *error = path + ":" + std::to_string(number) + ": the name '" + base::printable(e.name) +
               "' is already that of line " + std::to_string(first.first->second);
      return false;
    }
    result.push_back(e);
  }
  *entries = std::move(result);
  return true;
}

namespace {

bool buildRow(const LibraryEntry& entry, const std::vector<LibraryEntry>& table, BuiltRows* built,
              Polytope* out, std::string* error) {
  const std::string& how = entry.construction;
  if (how.rfind("dual ", 0) == 0) {
    const std::string name = how.substr(5);
    // Only an earlier row may be named, so no chain of duals can loop.
    auto row = std::find_if(table.begin(), table.end(),
                            [&](const LibraryEntry& e) { return e.name == name; });
    auto self = std::find_if(table.begin(), table.end(),
                             [&](const LibraryEntry& e) { return e.name == entry.name; });
    if (row == table.end() || row >= self) {
      *error = entry.name + ": '" + base::printable(name) + "' is not an earlier row of the table";
      return false;
    }
    Polytope original;
    if (!buildLibraryEntry(*row, table, built, &original, error)) return false;
    if (!dualPolytope(original, out, error)) {
      *error = entry.name + ": " + *error;
      return false;
    }
    return true;
  }
  char group[16] = {}, rings[16] = {};
  int p = 0, q = 0;
  if (std::sscanf(how.c_str(), "wythoff %15s %15s", group, rings) == 2) {
    CoxeterGroup g;
    bool r[4];
    if (!coxeterGroup(group, &g)) {
      *error = entry.name + ": unknown group '" + base::printable(group) + "'";
      return false;
    }
    return parseRings(rings, r, error) && wythoff(g, r, out, error);
  }
  std::vector<Vec4> points;
  if (how.rfind("hull:", 0) == 0) {
    if (!namedPoints(entry.name, &points)) {
      *error = entry.name + ": no point set of that name for its hull";
      return false;
    }
  } else if (std::sscanf(how.c_str(), "{%d}×{%d}", &p, &q) == 2 && p >= 3 && q >= 3) {
    return duoprism(p, q, out, error);
  } else if (std::sscanf(how.c_str(), "%d-gonal antiprism", &p) == 1 && p >= 3) {
    return antiprismPrism(p, out, error);
  } else {
    *error = entry.name + ": unknown construction '" + base::printable(how) + "'";
    return false;
  }
  return convexHull(points, out, error);
}

}  // namespace

bool buildLibraryEntry(const LibraryEntry& entry, const std::vector<LibraryEntry>& table,
                       BuiltRows* built, Polytope* out, std::string* error) {
  if (built) {
    auto kept = built->find(entry.name);
    if (kept != built->end()) {
      *out = kept->second;
      return true;
    }
  }
  if (!buildRow(entry, table, built, out, error)) return false;
  const std::string asOriginal = "dual " + entry.name;
  if (built && std::any_of(table.begin(), table.end(),
                           [&](const LibraryEntry& e) { return e.construction == asOriginal; })) {
    built->emplace(entry.name, *out);
  }
  return true;
}

bool forEachLibraryRow(const std::vector<LibraryEntry>& table,
                       const std::vector<std::string>& except,
                       const std::function<std::string(const LibraryEntry&, BuiltRows*)>& make,
                       int* made, std::string* error) {
  std::map<std::string, size_t> rowOf;
  std::map<size_t, std::vector<size_t>> groupOf;  // by the group's first row
  std::vector<size_t> first(table.size());
  for (size_t i = 0; i < table.size(); ++i) {
    first[i] = i;
    const std::string& how = table[i].construction;
    auto original = how.rfind("dual ", 0) == 0 ? rowOf.find(how.substr(5)) : rowOf.end();
    if (original != rowOf.end()) first[i] = first[original->second];
    rowOf.emplace(table[i].name, i);
    groupOf[first[i]].push_back(i);
  }
  std::vector<std::vector<size_t>> groups;
  for (auto& entry : groupOf) groups.push_back(std::move(entry.second));
  // Biggest first, so that no thread is left with a big group at the end.
  auto size = [&](const std::vector<size_t>& g) {
    long n = 0;
    for (size_t i : g) n += table[i].vertices + table[i].cells;
    return n;
  };
  std::stable_sort(groups.begin(), groups.end(),
                   [&](const auto& a, const auto& b) { return size(a) > size(b); });

  std::vector<std::string> failures(table.size());
  std::vector<char> done(table.size(), 0);
  std::atomic<size_t> nextGroup{0};
  std::atomic<bool> failed{false};
  auto work = [&]() {
    BuiltRows built;
    for (size_t g; !failed && (g = nextGroup++) < groups.size();) {
      for (size_t i : groups[g]) {
        if (std::find(except.begin(), except.end(), table[i].name) != except.end()) continue;
        try {
          failures[i] = make(table[i], &built);
        } catch (const std::bad_alloc&) {
          failures[i] = table[i].name + ": out of memory";
        }
        if (!failures[i].empty()) {
          failed = true;
          break;
        }
        done[i] = 1;
      }
    }
  };
  const unsigned threads = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(work);
  work();
  for (std::thread& t : helpers) t.join();
  *made = static_cast<int>(std::count(done.begin(), done.end(), 1));
  for (const std::string& failure : failures) {
    if (!failure.empty()) {
      *error = failure;
      return false;
    }
  }
  return true;
}

std::string libraryReadme(const std::vector<LibraryEntry>& entries) {
  std::ostringstream out;
  out << "# The model library\n\n"
      << "These models are generated at build time by `orvex-gen library data/polytopes.tsv`\n"
      << "into the build tree's model directory (`share/orvex/models`); only `c8` is\n"
      << "committed. Open one with `orvex NAME`. V, E, F and C count vertices, edges,\n"
      << "polygons and cells. Every model but the duals is uniform: its edges have one\n"
      << "length and its vertices lie on one sphere, which the build checks to 1e-12. A\n"
      << "`dual-NAME` is the polar dual of `NAME`, made from its incidences: V and C swap,\n"
      << "and so do E and F. |G| is the order of the symmetry group and, for the uniform\n"
      << "models, volume and R the 4-volume and the circumradius for unit edge, as\n"
      << "`orvex-gen info` computes them.\n\n"
      << "| name | family | construction | V | E | F | C | \\|G\\| | volume | R | dual |\n"
      << "|---|---|---|---:|---:|---:|---:|---:|---:|---:|---|\n";
  auto known = [](double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", v);
    return v > 0.0 ? std::string(text) : std::string();
  };
  for (const LibraryEntry& e : entries) {
    out << "| " << e.name << " | " << e.family << " | " << e.construction << " | " << e.vertices
        << " | " << e.edges << " | " << e.polygons << " | " << e.cells << " | "
        << (e.symmetry ? std::to_string(e.symmetry) : "") << " | " << known(e.unitVolume)
        << " | " << known(e.unitCircumradius) << " | " << e.dual << " |\n";
  }
  return out.str();
}

}  // namespace orvex::polytope
