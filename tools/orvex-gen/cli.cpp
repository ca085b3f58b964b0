// orvex-gen's command line, in this order: failures and argument helpers; the guards on
// where files may be written; one function per subcommand (wythoff, duoprism,
// antiprism-prism, hull, points, import, export, check, dual, section, info, list,
// library); the subcommand table and run(); the --help text; runCommandLine.
#include "tools/orvex-gen/cli.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "config/settings.h"
#include "model/loader.h"
#include "base/number_text.h"
#include "base/output_file.h"
#include "base/printable.h"
#include "polytope/coxeter.h"
#include "polytope/dual.h"
#include "render/hyperplane.h"
#include "polytope/hull.h"
#include "polytope/info.h"
#include "polytope/json.h"
#include "polytope/library.h"
#include "polytope/model_check.h"
#include "polytope/model_writer.h"
#include "polytope/off4.h"
#include "polytope/point_file.h"
#include "polytope/point_sets.h"
#include "polytope/prisms.h"
#include "polytope/uniformity.h"
#include "polytope/wythoff.h"

namespace orvex::gen {
using namespace ::orvex::polytope;
namespace {

constexpr int kMaxPolygonSides = 1000;

struct Failure {
  std::string message;
};

// A whole number in [least, most], or a Failure naming the argument.
int wholeNumber(const std::string& what, const std::string& text, int least, int most) {
  const std::optional<long> v = base::wholeInteger(text);
  if (!v || *v < least || *v > most) {
    throw Failure{what + " must be a whole number from " + std::to_string(least) + " to " +
                  std::to_string(most) + ", got '" + base::printable(text) + "'"};
  }
  return static_cast<int>(*v);
}

void must(bool ok, const std::string& error) {
  if (!ok) throw Failure{error};
}

// A name or path the user gave, whole, with any byte that would not print escaped.
std::string shown(const std::string& text) { return base::printable(text, text.size()); }

void reportWritten(const std::string& dir, const std::string& name, const Polytope& p,
                   std::ostream& out) {
  out << "wrote " << shown(name) << " to " << shown(dir) << ": " << p.vertices.size()
      << " vertices, " << p.polygons.size() << " polygons, " << p.cells() << " cells\n";
}

// A directory the models cannot go to is named, with the way out, before any is written.
void checkWritable(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  // Anything but a directory is left to the writer, whose message says what it is.
  if (!ec && (!std::filesystem::is_directory(dir, ec) || ::access(dir.c_str(), W_OK | X_OK) == 0)) {
    return;
  }
  const std::string reason = ec ? ec.message() : std::strerror(errno);
  throw Failure{dir + ": cannot write models there (" + reason +
                "); choose another directory with -d DIR"};
}

void write(const std::string& dir, const std::string& name, const Polytope& p, std::ostream& out) {
  std::string error;
  checkWritable(dir);
  must(writeModel(dir, name, p, &error), error);
  reportWritten(dir, name, p, out);
}

void checkName(const std::string& name) {
  std::string error;
  must(checkModelName(name, &error), error);
}

// A model as the viewer loads it, in the generator's form.
Polytope loaded(const std::string& dir, const std::string& name) {
  Polytope p;
  std::string error;
  must(loadPolytope(dir, name, &p, &error), error);
  return p;
}

std::string spreads(const UniformSpread& s) {
  char text[96];
  std::snprintf(text, sizeof text, "edge spread %.1e, radius spread %.1e", s.edges, s.radii);
  return text;
}

// The file at path opened for reading, past a byte-order mark, when it is a regular
// file; else a closed stream.
std::ifstream openRegular(const std::string& path) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(path, ignored)) return std::ifstream();
  std::ifstream in(path, std::ios::binary);
  char mark[3] = {};
  if (!in.read(mark, 3) || std::string(mark, 3) != "\xef\xbb\xbf") {
    in.clear();
    in.seekg(0);
  }
  return in;
}

// The names of the models in dir (the stems of its .poi files), sorted.
std::vector<std::string> modelNames(const std::string& dir) {
  std::error_code ec;
  std::filesystem::directory_iterator it(dir, ec);
  if (ec) throw Failure{dir + ": cannot list the directory: " + ec.message()};
  std::vector<std::string> names;
  for (const auto& entry : it) {
    std::string file = entry.path().filename().string();
    if (file.size() > 4 && file.compare(file.size() - 4, 4, ".poi") == 0) {
      names.push_back(file.substr(0, file.size() - 4));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Refuses a text file that would replace, directly or through a link, a file of one of
// the models in dir.
void refuseModelFile(const std::string& path, const std::string& dir) {
  std::string target, error;
  must(base::resolveOutputPath(path, &target, &error), error);
  std::error_code ec;
  if (!std::filesystem::exists(target, ec) || !std::filesystem::is_directory(dir, ec)) return;
  for (const std::string& name : modelNames(dir)) {
    for (const std::string& file : model::modelFilePaths(dir, name)) {
      if (base::sameFile(target, file)) {
        throw Failure{path + " is the model file " + file + "; refusing to replace it"};
      }
    }
  }
}

// Refuses a --map destination that is not a regular file or a new name, the points file
// itself (by any path or link), a file of a model in dir, or a file of the model written.
void checkMapFile(const std::string& map, const std::string& input, const std::string& dir,
                  const std::string& name) {
  std::string target, error;
  must(base::resolveOutputPath(map, &target, &error), error);
  if (base::sameFile(target, input)) {
    throw Failure{"--map " + map + " is the points file " + input + "; refusing to replace it"};
  }
  refuseModelFile(map, dir);
  const std::string folder = std::filesystem::path(target).parent_path().string();
  if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0) {
    throw Failure{map + ": cannot write: " + std::strerror(errno)};
  }
  std::error_code ec;
  const std::filesystem::path written = std::filesystem::weakly_canonical(target, ec);
  for (const std::string& own :
       {model::vertexFilePath(dir, name), model::polygonFilePath(dir, name),
        model::normalsFilePath(dir, name + ".nor")}) {
    std::error_code ownEc;
    if (!ec && written == std::filesystem::weakly_canonical(own, ownEc) && !ownEc) {
      throw Failure{"--map " + map + " is the model file " + own + "; refusing to replace it"};
    }
  }
}

void writeText(const std::string& path, const std::string& text, const std::string& dir) {
  refuseModelFile(path, dir);
  std::string error;
  must(writeTextFile(path, text, &error), error);
}

// A refusal of the model read from input names the input; a file that cannot be
// written names itself.
std::string fromInput(const std::string& input, const std::string& error) {
  return error.rfind("not writing ", 0) == 0 ? input + ": " + error : error;
}

struct Call {
  const std::string& dir;         // -d, or the default directory
  const std::string& shippedDir;  // the default directory, whatever -d says
  const std::vector<std::string>& rest;
  std::ostream& out;
};

void wythoffCommand(const Call& c) {
  checkName(c.rest[2]);
  CoxeterGroup group;
  if (!coxeterGroup(c.rest[0], &group)) {
    throw Failure{"unknown group '" + base::printable(c.rest[0]) +
                  "' (known: A4 B4 D4 F4 H4 A3A1 B3A1 H3A1)"};
  }
  bool rings[4];
  Polytope p;
  std::string error;
  must(parseRings(c.rest[1], rings, &error) && wythoff(group, rings, &p, &error), error);
  write(c.dir, c.rest[2], p, c.out);
}

void duoprismCommand(const Call& c) {
  int p = wholeNumber("P", c.rest[0], 3, kMaxPolygonSides);
  int q = wholeNumber("Q", c.rest[1], 3, kMaxPolygonSides);
  checkName(c.rest[2]);
  Polytope result;
  std::string error;
  must(duoprism(p, q, &result, &error), error);
  write(c.dir, c.rest[2], result, c.out);
}

void antiprismPrismCommand(const Call& c) {
  int p = wholeNumber("P", c.rest[0], 3, kMaxPolygonSides);
  checkName(c.rest[1]);
  Polytope result;
  std::string error;
  must(antiprismPrism(p, &result, &error), error);
  write(c.dir, c.rest[1], result, c.out);
}

// [--map FILE] [--keep-coordinates] POINTS-FILE NAME.
void hullCommand(const Call& c) {
  std::vector<std::string> files;
  std::string mapFile;
  WriteOptions options;
  for (size_t i = 0; i < c.rest.size(); ++i) {
    if (c.rest[i] == "--map" && i + 1 < c.rest.size() && !c.rest[i + 1].empty()) {
      mapFile = c.rest[++i];
    } else if (c.rest[i] == "--keep-coordinates") {
      options.keepCoordinates = true;
    } else if (c.rest[i].size() > 1 && c.rest[i][0] == '-') {
      throw Failure{"hull: unknown option '" + base::printable(c.rest[i]) + "' (see --help)"};
    } else {
      files.push_back(c.rest[i]);
    }
  }
  if (files.size() != 2) {
    throw Failure{"hull takes [--map FILE] [--keep-coordinates] POINTS-FILE NAME (see --help)"};
  }
  checkName(files[1]);
  // Judged before the points are read: a map that cannot be written stops the run
  // before any file is replaced, and the map is then written with the model.
  if (!mapFile.empty()) checkMapFile(mapFile, files[0], c.dir, files[1]);
  std::string error;
  std::vector<Vec4> points;
  must(readPointsFile(files[0], &points, &error), error);
  Polytope result;
  if (!convexHull(points, &result, &error)) throw Failure{files[0] + ": " + error};
  checkWritable(c.dir);
  options.mapPath = mapFile;
  // The line is made first so the hull can be handed over, not copied: at 100,000 points
  // a copy is a large share of the peak memory.
  std::ostringstream written;
  reportWritten(c.dir, files[1], result, written);
  if (!writeModel(c.dir, files[1], std::move(result), options, &error))
    throw Failure{fromInput(files[0], error)};
  c.out << written.str();
}

void pointsCommand(const Call& c) {
  std::vector<Vec4> points;
  if (!namedPoints(c.rest[0], &points)) {
    throw Failure{"unknown point set '" + base::printable(c.rest[0]) +
                  "' (known: " + namedPointSets() + ")"};
  }
  std::ostringstream text;
  text << points.size() << '\n';
  for (const Vec4& v : points) {
    text << formatReal(v.x) << ' ' << formatReal(v.y) << ' ' << formatReal(v.z) << ' '
         << formatReal(v.w) << '\n';
  }
  writeText(c.rest[1], text.str(), c.dir);
  c.out << "wrote " << points.size() << " points to " << shown(c.rest[1]) << '\n';
}

void importCommand(const Call& c) {
  checkName(c.rest[1]);
  Off4 off;
  Polytope p;
  std::string error;
  must(readOff4File(c.rest[0], &off, &error) && polytopeFromOff4(off, c.rest[0], &p, &error),
       error);
  checkWritable(c.dir);
  // The check names polygons and cells by their rows in the file.
  if (!writeModel(c.dir, c.rest[1], p, &error)) throw Failure{fromInput(c.rest[0], error)};
  reportWritten(c.dir, c.rest[1], p, c.out);
}

void exportCommand(const Call& c) {
  model::Model m;
  model::Vec3List projected;
  std::string error;
  must(model::loadModel(c.dir, c.rest[0], &m, &projected, &error), error);
  writeText(c.rest[1], formatOff4(off4FromModel(m)), c.dir);
  c.out << "wrote " << shown(c.rest[0]) << " to " << shown(c.rest[1]) << '\n';
}

std::string checkJson(const std::string& name, const ModelReport& r, const UniformSpread* spread) {
  std::ostringstream out;
  out << "{\"name\": " << jsonQuoted(name) << ", \"vertices\": " << r.vertices
      << ", \"edges\": " << r.edges << ", \"faces\": " << r.polygons << ", \"cells\": " << r.cells
      << ", \"cell_kinds\": [";
  for (size_t i = 0; i < r.kindCounts.size(); ++i) {
    out << (i ? ", " : "") << "{\"kind\": " << jsonQuoted(r.kindCounts[i].first)
        << ", \"count\": " << r.kindCounts[i].second << "}";
  }
  out << "], \"incidence_margin\": " << jsonNumber(r.smallestMargin);
  if (spread) {
    out << ", \"uniform\": {\"edge_spread\": " << jsonNumber(spread->edges)
        << ", \"radius_spread\": " << jsonNumber(spread->radii) << "}";
  }
  out << ", \"ok\": true}\n";
  return out.str();
}

void checkCommand(const Call& c) {
  std::vector<std::string> names;
  bool uniform = false, json = false;
  for (const std::string& word : c.rest) {
    if (word == "--uniform") {
      uniform = true;
    } else if (word == "--json") {
      json = true;
    } else {
      names.push_back(word);
    }
  }
  if (names.size() != 1) throw Failure{"check takes [--uniform] [--json] NAME (see --help)"};
  const std::string& name = names[0];
  ModelReport report;
  std::string error;
  must(checkModel(c.dir, name, &report, &error), error);
  std::ostringstream line;
  line << shown(name) << ": V " << report.vertices << ", E " << report.edges << ", F "
       << report.polygons << ", C " << report.cells << "; cells: " << report.cellKinds
       << "; incidence margin " << report.smallestMargin;
  UniformSpread spread;
  if (uniform) {
    const Polytope p = loaded(c.dir, name);
    if (!checkUniform(p.vertices, p.polygons, kUniformTolerance, &spread, &error)) {
      throw Failure{name + ": not uniform: " + error};
    }
    line << "; uniform: " << spreads(spread);
  }
  if (json) {
    c.out << checkJson(name, report, uniform ? &spread : nullptr);
  } else {
    c.out << line.str() << "; ok\n";
  }
}

// The directory holding model name: dir, else the viewer's data directory from
// ./orvex.cfg, else the shipped models, as the viewer would find it. A Failure naming
// where it looked when it is in none.
std::string findModel(const std::string& name, const std::string& dir,
                      const std::string& shippedDir) {
  std::vector<std::string> places = {dir};
  config::Settings settings;
  std::string error;
  // As the viewer and orvex-render: a configuration file that cannot be read as one
  // stops the run rather than being passed over.
  must(config::readConfigFile("orvex.cfg", &settings, &error), error);
  if (!settings.dataDir.empty()) places.push_back(settings.dataDir);
  places.push_back(shippedDir);
  std::string looked;
  for (const std::string& place : places) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(model::vertexFilePath(place, name), ec)) return place;
    if (looked.find(place) == std::string::npos) looked += (looked.empty() ? "" : ", ") + place;
  }
  throw Failure{"no model '" + base::printable(name) + "' in " + shown(looked)};
}

void dualCommand(const Call& c) {
  checkName(c.rest[1]);
  // Only a model that passes the check has the incidences the dual is made from.
  const std::string from = findModel(c.rest[0], c.dir, c.shippedDir);
  ModelReport report;
  std::string error;
  must(checkModel(from, c.rest[0], &report, &error), error);
  Polytope dual;
  if (!dualPolytope(loaded(from, c.rest[0]), &dual, &error)) {
    throw Failure{c.rest[0] + ": " + error};
  }
  write(c.dir, c.rest[1], dual, c.out);
}

// Four reals "a,b,c,d", or a Failure naming the option.
model::Vec4 normalArgument(const std::string& text) {
  model::Vec4 n;
  size_t start = 0;
  for (int k = 0; k < 4; ++k) {
    const size_t comma = text.find(',', start);
    const std::string field = text.substr(start, comma == std::string::npos ? comma : comma - start);
    const std::optional<double> value = base::wholeReal(field);
    if (!value || (k < 3) == (comma == std::string::npos)) {
      throw Failure{"--normal takes four reals a,b,c,d, got '" + base::printable(text) + "'"};
    }
    n[k] = *value;
    start = comma + 1;
  }
  return n;
}

// section NAME --normal a,b,c,d --offset e [-o FILE.off]
void sectionCommand(const Call& c) {
  std::string name, normalText, offsetText, output;
  for (size_t i = 0; i < c.rest.size(); ++i) {
    const std::string& word = c.rest[i];
    const bool valued = word == "--normal" || word == "--offset" || word == "-o";
    if (valued && i + 1 < c.rest.size()) {
      (word == "--normal" ? normalText : word == "--offset" ? offsetText : output) = c.rest[++i];
    } else if (!valued && name.empty() && (word.empty() || word[0] != '-')) {
      name = word;
    } else {
      throw Failure{"section takes NAME --normal A,B,C,D --offset E [-o FILE.off] (see --help)"};
    }
  }
  if (name.empty() || normalText.empty() || offsetText.empty()) {
    throw Failure{"section takes NAME --normal A,B,C,D --offset E [-o FILE.off] (see --help)"};
  }
  const model::Vec4 normal = normalArgument(normalText);
  const std::optional<double> offset = base::wholeReal(offsetText);
  if (!offset) {
    throw Failure{"--offset takes a real, got '" + base::printable(offsetText) + "'"};
  }
  const std::string from = findModel(name, c.dir, c.shippedDir);
  model::Model m;
  model::Vec3List projected;
  std::string error;
  must(model::loadModel(from, name, &m, &projected, &error), error);
  render::HyperplaneSection cut;
  if (!render::sectionByHyperplane(m, normal, *offset, &cut, &error)) {
    throw Failure{"--normal " + base::printable(normalText) + ": " + error};
  }
  const render::Section& s = cut.section;
  c.out << "section of " << shown(name) << " by " << base::printable(normalText) << " · x = "
        << base::printable(offsetText) << ": " << s.vertexCount() << " vertices, "
        << s.edgeCount() << " edges, " << s.faceCount() << " faces\n";
  if (!output.empty()) {
    writeText(output, render::formatOff3(s), c.dir);
    c.out << "wrote the section to " << shown(output) << '\n';
  }
}

// info [--json] NAME: found as dual finds it.
void infoCommand(const Call& c) {
  std::vector<std::string> names;
  bool json = false;
  for (const std::string& word : c.rest) {
    if (word == "--json") {
      json = true;
    } else {
      names.push_back(word);
    }
  }
  if (names.size() != 1) throw Failure{"info takes [--json] NAME (see --help)"};
  ModelInfo info;
  std::string error;
  must(modelInfo(findModel(names[0], c.dir, c.shippedDir), names[0], &info, &error), error);
  c.out << (json ? infoJson(info) : infoText(info));
}

// The number of distinct edges of the polygons in a polygon file, -1 if it cannot be read.
long edgeCount(std::istream& cel) {
  long f = -1;
  cel >> f;
  std::vector<std::pair<long, long>> edges;
  for (long i = 0; cel && i < f; ++i) {
    long k = 0;
    cel >> k;
    std::vector<long> corners(k > 0 && k < (1 << 20) ? k : 0);
    for (long& v : corners) cel >> v;
    for (size_t j = 0; j < corners.size(); ++j) {
      const long a = corners[j], b = corners[(j + 1) % corners.size()];
      edges.push_back({std::min(a, b), std::max(a, b)});
    }
  }
  if (!cel || f < 0) return -1;
  std::sort(edges.begin(), edges.end());
  return static_cast<long>(std::unique(edges.begin(), edges.end()) - edges.begin());
}

void listCommand(const Call& c) {
  if (!c.rest.empty() && (c.rest.size() > 1 || c.rest[0] != "--json")) {
    throw Failure{"list takes [--json] (see --help)"};
  }
  const bool json = !c.rest.empty();
  const std::vector<std::string> names = modelNames(c.dir);
  if (json) {
    c.out << "{\"directory\": " << jsonQuoted(c.dir) << ", \"models\": [";
  } else {
    c.out << std::left << std::setw(36) << "name" << std::right << std::setw(8) << "V"
          << std::setw(8) << "E" << std::setw(8) << "F" << std::setw(8) << "C" << '\n';
  }
  for (size_t m = 0; m < names.size(); ++m) {
    const std::string& name = names[m];
    // The counts lead each file, so listing stays fast for the big models; the edges take
    // one pass over the polygons. A pipe or a device among them is not opened: reading it
    // could wait forever.
    std::ifstream poi = openRegular(model::vertexFilePath(c.dir, name));
    long v = -1, f = -1, cells = -1;
    double header;
    poi >> v >> header;
    for (long i = 0; poi && i < 4 * v; ++i) poi >> header;
    std::string word;
    poi >> word;
    std::ifstream cel = openRegular(model::polygonFilePath(c.dir, name));
    cel >> f;
    cel.seekg(0);
    const long e = edgeCount(cel);
    std::ifstream nor = openRegular(model::normalsFilePath(c.dir, word));
    nor >> cells;
    if (json) {
      auto count = [](long n) { return n < 0 ? std::string("null") : std::to_string(n); };
      c.out << (m ? ", " : "") << "{\"name\": " << jsonQuoted(name)
            << ", \"vertices\": " << count(v) << ", \"edges\": " << count(e)
            << ", \"faces\": " << count(f) << ", \"cells\": " << count(cells) << "}";
      continue;
    }
    auto count = [](long n) { return n < 0 ? std::string("?") : std::to_string(n); };
    c.out << std::left << std::setw(36) << shown(name) << std::right << std::setw(8) << count(v)
          << std::setw(8) << count(e) << std::setw(8) << count(f) << std::setw(8) << count(cells)
          << '\n';
  }
  if (json) {
    c.out << "]}\n";
  } else {
    c.out << names.size() << " models in " << shown(c.dir) << '\n';
  }
}

// One row of a library table built, measured against its counts and written; "" or
// the problem.
std::string makeLibraryRow(const LibraryEntry& e, const std::vector<LibraryEntry>& entries,
                           const std::string& dir, BuiltRows* built) {
  std::string problem;
  Polytope p;
  if (!buildLibraryEntry(e, entries, built, &p, &problem)) return problem;
  // Counts alone passed a snub with a wrong coordinate: uniform rows must measure so.
  if (isUniformFamily(e.family) &&
      !checkUniform(p.vertices, p.polygons, kUniformTolerance, nullptr, &problem)) {
    return e.name + ": not uniform: " + problem;
  }
  int counts[3] = {static_cast<int>(p.vertices.size()), static_cast<int>(p.polygons.size()),
                   p.cells()};
  if (counts[0] != e.vertices || counts[1] != e.polygons || counts[2] != e.cells) {
    return e.name + ": built " + std::to_string(counts[0]) + " vertices, " +
           std::to_string(counts[1]) + " polygons, " + std::to_string(counts[2]) +
           " cells, but the table says " + std::to_string(e.vertices) + ", " +
           std::to_string(e.polygons) + ", " + std::to_string(e.cells);
  }
  if (!writeModel(dir, e.name, p, &problem, kLibraryMargin)) return problem;
  return "";
}

void libraryCommand(const Call& c) {
  std::string table, readme;
  std::vector<std::string> except;
  for (size_t i = 0; i < c.rest.size(); ++i) {
    const std::string& word = c.rest[i];
    if ((word == "--readme" || word == "--except") && i + 1 < c.rest.size()) {
      if (word == "--readme") {
        readme = c.rest[++i];
      } else {
        std::istringstream names(c.rest[++i]);
        for (std::string n; std::getline(names, n, ',');) except.push_back(n);
      }
    } else if (table.empty() && word[0] != '-') {
      table = word;
    } else {
      throw Failure{"library: unexpected argument '" + base::printable(word) + "'"};
    }
  }
  if (table.empty()) throw Failure{"library needs TABLE"};
  std::vector<LibraryEntry> entries;
  std::string error;
  must(readLibraryTable(table, &entries, &error), error);
  // Refused before hours of building, and again once the models it may name exist.
  if (!readme.empty()) refuseModelFile(readme, c.dir);
  auto makeRow = [&](const LibraryEntry& e, BuiltRows* built) {
    return makeLibraryRow(e, entries, c.dir, built);
  };
  int written = 0;
  must(forEachLibraryRow(entries, except, makeRow, &written, &error), error);
  if (!readme.empty()) writeText(readme, libraryReadme(entries), c.dir);
  c.out << "wrote " << written << " models to " << shown(c.dir) << '\n';
}

constexpr size_t kAnyArguments = SIZE_MAX;

struct Subcommand {
  const char* name;
  size_t arguments;  // kAnyArguments: the handler judges them
  const char* usage;
  void (*handler)(const Call&);
};

const Subcommand kSubcommands[] = {
    {"wythoff", 3, "GROUP RINGS NAME", wythoffCommand},
    {"duoprism", 3, "P Q NAME", duoprismCommand},
    {"antiprism-prism", 2, "P NAME", antiprismPrismCommand},
    {"hull", kAnyArguments, "[--map FILE] [--keep-coordinates] POINTS-FILE NAME", hullCommand},
    {"points", 2, "SET FILE", pointsCommand},
    {"import", 2, "FILE.4off NAME", importCommand},
    {"export", 2, "NAME FILE.4off", exportCommand},
    {"check", kAnyArguments, "[--uniform] [--json] NAME", checkCommand},
    {"info", kAnyArguments, "[--json] NAME", infoCommand},
    {"dual", 2, "NAME NEWNAME", dualCommand},
    {"section", kAnyArguments, "NAME --normal A,B,C,D --offset E [-o FILE.off]", sectionCommand},
    {"list", kAnyArguments, "[--json]", listCommand},
    {"library", kAnyArguments, "TABLE [--readme FILE] [--except NAME,...]", libraryCommand},
};

int run(const std::vector<std::string>& args, const std::string& defaultDir, std::ostream& out) {
  std::string dir = defaultDir;
  const std::string shippedDir = defaultDir;
  std::vector<std::string> words;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-h" || args[i] == "--help") {
      out << usageText();
      return 0;
    }
    if (args[i] == "-d" || args[i] == "--data-dir") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        throw Failure{args[i] + " needs a directory"};
      }
      dir = args[++i];
    } else if (args[i].size() > 1 && args[i][0] == '-' && words.empty()) {
      throw Failure{"unknown option '" + base::printable(args[i]) + "' (see --help)"};
    } else {
      words.push_back(args[i]);
    }
  }
  if (words.empty()) throw Failure{"no subcommand given (see --help)"};
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  // A batch of files a killed run left half renamed is finished, or undone, before
  // anything here reads or writes a model.
  model::settleInterruptedWrites(dir);
  for (const Subcommand& command : kSubcommands) {
    if (words[0] != command.name) continue;
    if (command.arguments != kAnyArguments && rest.size() != command.arguments) {
      throw Failure{words[0] + " takes " + command.usage + " (see --help)"};
    }
    command.handler(Call{dir, shippedDir, rest, out});
    return 0;
  }
  throw Failure{"unknown subcommand '" + base::printable(words[0]) + "' (see --help)"};
}

}  // namespace

// The --help text, kept whole here so it reads as it prints.
constexpr char kUsage[] = R"(usage: orvex-gen [-d DIR] SUBCOMMAND ARGS...

Writes polytope models for orvex: DIR/NAME.poi (vertices, circumradius 1, a farthest
first), DIR/fNAME.cel (polygons) and DIR/NAME.nor (outward cell normals, of length 1
unless a cell needs a longer one for the viewer to tell its vertices from the next).
DIR defaults to the viewer's model directory, <directory of orvex-gen>/../share/orvex/models.

subcommands:
  wythoff GROUP RINGS NAME   uniform polytope by the Wythoff construction. GROUP is A4, B4
                             (4-3-3), D4 (node 1 central), F4 (3-4-3), H4 (5-3-3), A3A1,
                             B3A1 or H3A1 (the A1 node last); RINGS four bits, node 0
                             first: B4 1000 is the tesseract, H4 0001 the 600-cell
  duoprism P Q NAME          the P-gon x Q-gon duoprism, 3 <= P, Q <= 1000 (1000 x 1000,
                             a million vertices, needs about 1 GB and a minute or two)
  antiprism-prism P NAME     the P-gonal antiprism x segment (3 <= P <= 1000)
  hull [--map FILE] [--keep-coordinates] POINTS-FILE NAME
                             convex hull of any 4D points that span four dimensions:
                             rows "x y z w" (spaces, tabs or commas; alone with one
                             header line allowed, after a count line, or qhull's form:
                             a line "4", then a count line), or a 4OFF file. Points not
                             on the hull's corners are dropped; nearly coplanar cells
                             stay apart with longer normals. --map writes each
                             vertex's input row (from 0), one per line, with the
                             model (never over the points file or a model's file);
                             --keep-coordinates writes the input coordinates as given
  points SET FILE            write a named point set for hull: snub-24-cell,
                             grand-antiprism, snub-cubic-prism, snub-dodecahedral-prism
  import FILE.4off NAME      read a 4OFF file, with cell normals from the cells' vertices
  export NAME FILE.4off      write model NAME as 4OFF
  check [--uniform] [--json] NAME
                             load NAME as the viewer does and validate it; prints
                             V, E, F, C and the cells by kind. --uniform also demands
                             one edge length and one circumradius (to 1e-12 relative);
                             --json prints it as one JSON object
  info [--json] NAME         the measures of NAME (found as dual finds it; must pass
                             check), in its file's units: counts, cell and polygon
                             kinds, the cells around each kind of vertex, edge
                             lengths, circumradius and inradius about the centroid,
                             4-volume, surface and each cell's 3-volume, dihedral
                             angles, the order of the symmetry group with its orbits,
                             whether it is uniform (then also for unit edge) and the
                             library's name of its dual. --json: one JSON object
  dual NAME NEWNAME          write the polar dual of model NAME (which must pass check)
                             as NEWNAME in DIR: vertices and cells swap, edges and
                             polygons. NAME is found in DIR, the DataDir of ./orvex.cfg
                             or the shipped models
  section NAME --normal A,B,C,D --offset E [-o FILE.off]
                             the cut of model NAME (found as dual finds it) by the
                             hyperplane A*x + B*y + C*z + D*w = E in the model file's
                             own coordinates: prints its counts; -o writes it as a
                             3D OFF file, in an orthonormal basis of the hyperplane
  list [--json]              the models in DIR with their counts V, E, F, C
  library TABLE [--readme FILE] [--except NAME,...]
                             build every row of TABLE (name, family, construction,
                             V, E, F, C; tab-separated) and optionally its README page;
                             rows of every family but "dual" must be uniform

options:
  -d, --data-dir DIR         the model directory to write or read
  -h, --help                 this text

Every model is checked as check does before it is written, and written only if it
passes; an existing model of that name is replaced only by a complete new one. Two
runs writing one model take turns; a run killed part-way leaves the old or the new
model whole once the next run in DIR (check, list, any) has settled its journal,
and Ctrl-C or SIGTERM settles it at once. Input files (points, 4OFF, tables, model
files) larger than 256 MiB are refused unread; a byte-order mark is skipped.
points, export and --readme write through symlinks but never over a model's own
files nor anything but a regular file. Every failure prints one line on stderr
and exits with status 1.
)";

std::string usageText() { return kUsage; }

int runCommandLine(const std::vector<std::string>& args, const std::string& defaultDataDir,
                   std::ostream& out, std::ostream& err) {
  try {
    return run(args, defaultDataDir, out);
  } catch (const Failure& f) {
    // Paths and names the user gave may hold line ends or escape sequences.
    err << "orvex-gen: " << shown(f.message) << '\n';
  } catch (const std::bad_alloc&) {
    err << "orvex-gen: out of memory\n";
  }
  return 1;
}

}  // namespace orvex::gen
