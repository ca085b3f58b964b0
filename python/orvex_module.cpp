// The Python module `orvex`: the polytope, model and picture libraries the tools use,
// with numpy arrays in and out. Failures raise ValueError (RuntimeError for drawing)
// carrying the tools' one-line messages.
// In this order: where the shipped models are; PyPolytope, a polytope in both its forms;
// numpy conversions and render's keyword options; what the bound functions do; the
// bindings, one function per area (the Polytope class, files and library, constructions).
#include <dlfcn.h>
#include <stdlib.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/loader.h"
#include "base/output_file.h"
#include "offscreen/png_io.h"
#include "render/hyperplane.h"
#include "polytope/coxeter.h"
#include "polytope/dual.h"
#include "polytope/hull.h"
#include "polytope/info.h"
#include "polytope/library.h"
#include "polytope/model_check.h"
#include "polytope/model_writer.h"
#include "polytope/off4.h"
#include "polytope/polytope_model.h"
#include "polytope/prisms.h"
#include "polytope/wythoff.h"
#include "tools/orvex-render/render_options.h"
#include "tools/orvex-render/render_tool.h"

namespace py = pybind11;

namespace orvex::python {
namespace {

using polytope::Polytope;
using model::Vec4;

[[noreturn]] void fail(const std::string& message) { throw py::value_error(message); }

void must(bool ok, const std::string& error) {
  if (!ok) fail(error);
}

// The shipped models: beside this module in a build tree (build/python/ next to
// build/share/orvex/models) or an installed one (lib/python3/dist-packages/ under the prefix
// whose share/orvex/models holds them), else the compiled-in install location.
std::string shippedModels() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&shippedModels), &info) != 0 && info.dli_fname) {
    const std::filesystem::path here = std::filesystem::path(info.dli_fname).parent_path();
    for (const char* up : {"..", "../../.."}) {
      const std::filesystem::path dir = (here / up / "share" / "orvex" / "models").lexically_normal();
      std::error_code ec;
      if (std::filesystem::is_directory(dir, ec)) return dir.string();
    }
  }
  return ORVEX_INSTALL_MODELS_DIR;
}

// A polytope in both forms: the generator's, in the model's own coordinates, for measures,
// duals, sections and saving; and the viewer's Model, for pictures, exactly as the viewer
// and orvex-render would load it from the files (made lazily for built polytopes).
class PyPolytope {
 public:
  PyPolytope(Polytope own, std::string name) : own_(std::move(own)), name_(std::move(name)) {}

  static PyPolytope loaded(const std::string& dir, const std::string& name) {
    auto view = std::make_shared<model::Model>();
    model::Vec3List projected;
    std::string error;
    must(model::loadModel(dir, name, view.get(), &projected, &error), error);
    Polytope own;
    must(polytope::loadPolytope(dir, name, &own, &error), error);
    for (Vec4& v : own.vertices) v = view->scale * v;
    PyPolytope p(std::move(own), name);
    p.view_ = view;
    p.dir_ = dir;
    return p;
  }

  const Polytope& own() const { return own_; }
  const std::string& name() const { return name_; }

  // The viewer's Model: loaded from the files, or made from the files the writer would
  // write (centred, scaled, checked) and loaded from memory.
  const model::Model& view() const {
    if (!view_) {
      std::vector<model::OutputFile> files;
      std::string error;
      must(polytope::modelFiles("", kName, own_, polytope::WriteOptions{}, &files, &error), error);
      const model::TextSource fromMemory = polytope::filesSource(files);
      auto view = std::make_shared<model::Model>();
      model::Vec3List projected;
      must(model::loadModelFrom(fromMemory, "", kName, view.get(), &projected, &error), error);
      view_ = view;
    }
    return *view_;
  }

  // A Model in the polytope's own coordinates times its scale, for sections.
  const model::Model& sectionModel() const {
    if (view_ && !dir_.empty()) return *view_;
    return ownModel();
  }

  // The polytope as a Model in its own coordinates.
  const model::Model& ownModel() const {
    if (!own_model_) {
      own_model_ = std::make_shared<model::Model>();
      polytope::modelOf(own_, own_model_.get());
    }
    return *own_model_;
  }

  // orvex-gen info's JSON for the polytope: from its files when loaded, else from the
  // files the writer would write, in a scratch folder that is removed again.
  std::string infoJson() const {
    polytope::ModelInfo info;
    std::string error;
    if (!dir_.empty()) {
      must(polytope::modelInfo(dir_, name_, &info, &error), error);
      return polytope::infoJson(info);
    }
    char scratch[] = "/tmp/orvex-info-XXXXXX";
    if (::mkdtemp(scratch) == nullptr) fail("cannot make a scratch folder for info");
    polytope::WriteOptions keep;
    keep.keepCoordinates = true;
    const bool ok = polytope::writeModel(scratch, kName, own_, keep, &error) &&
                    polytope::modelInfo(scratch, kName, &info, &error);
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
    must(ok, error);
    return polytope::infoJson(info);
  }

  // The check's report for the polytope as the viewer would load it.
  polytope::ModelReport check() const {
    polytope::ModelReport report;
    std::string error;
    if (!dir_.empty()) {
      must(polytope::checkModel(dir_, name_, &report, &error), error);
    } else {
      std::vector<model::OutputFile> files;
      must(polytope::modelFiles("", kName, own_, polytope::WriteOptions{}, &files, &error), error);
      const model::TextSource fromMemory = polytope::filesSource(files);
      must(polytope::checkModelFrom(fromMemory, "", kName, &report, &error), error);
    }
    return report;
  }

 private:
  static constexpr const char* kName = "polytope";
  Polytope own_;
  std::string name_;
  std::string dir_;  // where it was loaded from; empty when built
  mutable std::shared_ptr<model::Model> view_;
  mutable std::shared_ptr<model::Model> own_model_;
};

py::array_t<double> vertexArray(const std::vector<Vec4>& rows) {
  py::array_t<double> a({static_cast<py::ssize_t>(rows.size()), static_cast<py::ssize_t>(4)});
  auto m = a.mutable_unchecked<2>();
  for (size_t i = 0; i < rows.size(); ++i) {
    for (int k = 0; k < 4; ++k) m(static_cast<py::ssize_t>(i), k) = rows[i][k];
  }
  return a;
}

py::list indexLists(const std::vector<std::vector<int>>& lists) {
  py::list out;
  for (const auto& list : lists) out.append(py::array_t<int>(list.size(), list.data()));
  return out;
}

// Each edge once, the lower vertex first, in the order the polygons first meet them.
py::array_t<int> edgeArray(const Polytope& p) {
  std::vector<std::pair<int, int>> edges;
  std::vector<std::vector<int>> seen(p.vertices.size());
  for (const auto& polygon : p.polygons) {
    for (size_t k = 0; k < polygon.size(); ++k) {
      int a = polygon[k], b = polygon[(k + 1) % polygon.size()];
      if (a > b) std::swap(a, b);
      auto& around = seen[static_cast<size_t>(a)];
      if (std::find(around.begin(), around.end(), b) != around.end()) continue;
      around.push_back(b);
      edges.emplace_back(a, b);
    }
  }
  py::array_t<int> out({static_cast<py::ssize_t>(edges.size()), static_cast<py::ssize_t>(2)});
  auto m = out.mutable_unchecked<2>();
  for (size_t i = 0; i < edges.size(); ++i) {
    m(static_cast<py::ssize_t>(i), 0) = edges[i].first;
    m(static_cast<py::ssize_t>(i), 1) = edges[i].second;
  }
  return out;
}

std::vector<Vec4> pointsOf(const py::array_t<double, py::array::c_style | py::array::forcecast>& a) {
  if (a.ndim() != 2 || a.shape(1) != 4) fail("points must be an N×4 array");
  auto m = a.unchecked<2>();
  std::vector<Vec4> points(static_cast<size_t>(a.shape(0)));
  for (py::ssize_t i = 0; i < a.shape(0); ++i) points[static_cast<size_t>(i)] = Vec4(m(i, 0), m(i, 1), m(i, 2), m(i, 3));
  return points;
}

// The command-line words for render's keyword arguments: size=800 is "--size 800",
// edges=True "--edges", turn=(a, b, ...) "--turn a,b,...", turns=[...] one --turn each;
// solid, bands and clip are the viewer's -s, -h and -c.
std::vector<std::string> renderWords(const py::kwargs& options) {
  std::vector<std::string> words = {"orvex-render"};
  auto text = [](const py::handle& value) {
    if (py::isinstance<py::str>(value)) return value.cast<std::string>();
    if (py::isinstance<py::sequence>(value)) {
      std::string joined;
      for (const py::handle& item : value.cast<py::sequence>()) {
        joined += (joined.empty() ? "" : ",") + py::str(item).cast<std::string>();
      }
      return joined;
    }
    return py::str(value).cast<std::string>();
  };
  for (const auto& [key, value] : options) {
    const std::string name = key.cast<std::string>();
    if (name == "solid" || name == "bands" || name == "clip") {
      if (value.cast<bool>()) words.push_back(name == "solid" ? "-s" : name == "bands" ? "-h" : "-c");
      continue;
    }
    std::string flag = "--" + name;
    std::replace(flag.begin(), flag.end(), '_', '-');
    if (name == "turns") {
      for (const py::handle& turn : value.cast<py::sequence>()) words.insert(words.end(), {"--turn", text(turn)});
    } else if (py::isinstance<py::bool_>(value)) {
      if (value.cast<bool>()) words.push_back(flag);
    } else {
      words.insert(words.end(), {flag, text(value)});
    }
  }
  return words;
}

py::array_t<std::uint8_t> imageArray(const offscreen::RgbImage& image) {
  const py::ssize_t channels = image.alpha ? 4 : 3;
  py::array_t<std::uint8_t> a({static_cast<py::ssize_t>(image.height),
                               static_cast<py::ssize_t>(image.width), channels});
  std::copy(image.pixels.begin(), image.pixels.end(), a.mutable_data());
  return a;
}

std::vector<offscreen::RgbImage> renderImages(const PyPolytope& p, const py::kwargs& kwargs) {
  const std::vector<std::string> words = renderWords(kwargs);
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  render_tool::RenderOptions options;
  std::string error;
  // The options alone decide: no orvex.cfg is read, so a notebook draws the same anywhere.
  if (render_tool::parseRenderOptions(static_cast<int>(argv.size()), argv.data(), &options, &error) !=
      render_tool::RenderAction::kRun) {
    fail(error.empty() ? "render takes orvex-render's options as keywords" : error);
  }
  std::vector<offscreen::RgbImage> images;
  const render_tool::PictureSink keep = [&images](const offscreen::RgbImage& image, int,
                                                  const std::string&, std::string*) {
    images.push_back(image);
    return true;
  };
  const model::Model& view = p.view();
  bool drawn;
  {
    py::gil_scoped_release free;
    drawn = render_tool::renderPictures(view, options, keep, &error);
  }
  if (!drawn) throw std::runtime_error(error);
  return images;
}

py::bytes pngBytes(const PyPolytope& p, const py::kwargs& kwargs) {
  const std::vector<offscreen::RgbImage> images = renderImages(p, kwargs);
  std::string bytes, error;
  if (!offscreen::encodePng("picture", images.at(0), &bytes, &error)) throw std::runtime_error(error);
  return py::bytes(bytes);
}

py::dict reportDict(const polytope::ModelReport& r) {
  py::dict d;
  d["vertices"] = r.vertices;
  d["edges"] = r.edges;
  d["faces"] = r.polygons;
  d["cells"] = r.cells;
  d["cell_kinds"] = r.cellKinds;
  d["incidence_margin"] = r.smallestMargin;
  return d;
}

PyPolytope loadAny(const std::string& what, const std::string& dataDir) {
  std::string error;
  const std::filesystem::path path(what);
  const std::string ext = path.extension().string();
  if (ext == ".off" || ext == ".4off" || ext == ".OFF") {
    polytope::Off4 off;
    Polytope p;
    must(polytope::readOff4File(what, &off, &error) && polytope::polytopeFromOff4(off, what, &p, &error), error);
    return PyPolytope(std::move(p), path.stem().string());
  }
  if (ext == ".poi") {
    return PyPolytope::loaded(path.parent_path().empty() ? "." : path.parent_path().string(),
                              path.stem().string());
  }
  return PyPolytope::loaded(dataDir.empty() ? shippedModels() : dataDir, what);
}

// The cut of p by the hyperplane normal·x = offset, as the dict section() returns.
py::dict sectionDict(const PyPolytope& p, const py::array_t<double, py::array::forcecast>& normal,
                     double offset) {
  if (normal.size() != 4) fail("the normal must have four numbers");
  const Vec4 n(normal.at(0), normal.at(1), normal.at(2), normal.at(3));
  render::HyperplaneSection cut;
  std::string error;
  must(render::sectionByHyperplane(p.sectionModel(), n, offset, &cut, &error), error);
  const render::Section& s = cut.section;
  py::array_t<double> points(
      {static_cast<py::ssize_t>(s.points.size()), static_cast<py::ssize_t>(3)});
  auto pm = points.mutable_unchecked<2>();
  for (size_t i = 0; i < s.points.size(); ++i) {
    pm(static_cast<py::ssize_t>(i), 0) = s.points[i].x;
    pm(static_cast<py::ssize_t>(i), 1) = s.points[i].y;
    pm(static_cast<py::ssize_t>(i), 2) = s.points[i].z;
  }
  py::list faces;
  std::vector<int> cells;
  for (const render::Section::Face& f : s.faces) {
    faces.append(py::array_t<int>(f.corners.size(), f.corners.data()));
    cells.push_back(f.cell);
  }
  std::vector<int> edgeEnds;
  for (const auto& [a, b] : s.edges) edgeEnds.insert(edgeEnds.end(), {a, b});
  py::array_t<int> edges({static_cast<py::ssize_t>(s.edges.size()), static_cast<py::ssize_t>(2)});
  std::copy(edgeEnds.begin(), edgeEnds.end(), edges.mutable_data());
  py::dict d;
  d["vertices"] = points;
  d["edges"] = edges;
  d["faces"] = faces;
  d["face_cells"] = py::array_t<int>(cells.size(), cells.data());
  d["basis"] = vertexArray({cut.basis[0], cut.basis[1], cut.basis[2]});
  d["origin"] = py::array_t<double>(4, &cut.origin.x);
  return d;
}

// One picture alone, or the list of them when frames= or sweep= asks for a series.
py::object renderResult(const PyPolytope& p, const py::kwargs& kwargs) {
  std::vector<offscreen::RgbImage> images = renderImages(p, kwargs);
  if (images.size() == 1 && !kwargs.contains("frames") && !kwargs.contains("sweep")) {
    return imageArray(images[0]);
  }
  py::list frames;
  for (const auto& image : images) frames.append(imageArray(image));
  return frames;
}

void savePng(const py::array_t<std::uint8_t, py::array::c_style | py::array::forcecast>& pixels,
             const std::string& path) {
  if (pixels.ndim() != 3 || (pixels.shape(2) != 3 && pixels.shape(2) != 4)) {
    fail("save_png takes an H×W×3 or H×W×4 uint8 array");
  }
  offscreen::RgbImage image;
  image.height = static_cast<int>(pixels.shape(0));
  image.width = static_cast<int>(pixels.shape(1));
  image.alpha = pixels.shape(2) == 4;
  image.pixels.assign(pixels.data(), pixels.data() + pixels.size());
  std::string error;
  must(offscreen::writePng(path, image, &error), error);
}

py::list libraryList(const std::string& dataDir) {
  const std::string dir = dataDir.empty() ? shippedModels() : dataDir;
  std::vector<polytope::LibraryEntry> entries;
  std::string error;
  must(polytope::readLibraryTable(dir + "/polytopes.tsv", &entries, &error), error);
  py::list out;
  for (const polytope::LibraryEntry& e : entries) {
    py::dict d;
    d["name"] = e.name;
    d["family"] = e.family;
    d["construction"] = e.construction;
    d["vertices"] = e.vertices;
    d["edges"] = e.edges;
    d["faces"] = e.polygons;
    d["cells"] = e.cells;
    out.append(d);
  }
  return out;
}

PyPolytope hullOf(const py::array_t<double, py::array::c_style | py::array::forcecast>& points) {
  const std::vector<Vec4> rows = pointsOf(points);
  Polytope p;
  std::string error;
  bool ok;
  {
    py::gil_scoped_release free;
    ok = polytope::convexHull(rows, &p, &error);
  }
  must(ok, error);
  return PyPolytope(std::move(p), "hull");
}

PyPolytope wythoffOf(const std::string& group, const std::string& rings) {
  polytope::CoxeterGroup g;
  if (!polytope::coxeterGroup(group, &g)) fail("unknown group '" + group + "'");
  bool r[4];
  Polytope p;
  std::string error;
  must(polytope::parseRings(rings, r, &error) && polytope::wythoff(g, r, &p, &error), error);
  return PyPolytope(std::move(p), group + " " + rings);
}

PyPolytope duoprismOf(int p, int q) {
  if (p < 3 || q < 3 || p > 1000 || q > 1000) fail("duoprism needs 3 <= p, q <= 1000");
  Polytope out;
  std::string error;
  must(polytope::duoprism(p, q, &out, &error), error);
  return PyPolytope(std::move(out), std::to_string(p) + "-" + std::to_string(q) + "-duoprism");
}

PyPolytope antiprismPrismOf(int n) {
  if (n < 3 || n > 1000) fail("antiprism_prism needs 3 <= n <= 1000");
  Polytope out;
  std::string error;
  must(polytope::antiprismPrism(n, &out, &error), error);
  return PyPolytope(std::move(out), std::to_string(n) + "-antiprism-prism");
}

using PolytopeClass = py::class_<PyPolytope>;

void bindPolytopeArrays(PolytopeClass& c) {
  c.def_property_readonly(
       "name", &PyPolytope::name, "The model's name (the file's stem, or what built it).")
      .def_property_readonly(
          "vertices", [](const PyPolytope& p) { return vertexArray(p.own().vertices); },
          "V×4 float array: the vertices in the model's own coordinates.")
      .def_property_readonly(
          "edges", [](const PyPolytope& p) { return edgeArray(p.own()); },
          "E×2 int array: each edge once as two vertex numbers, the lower first.")
      .def_property_readonly(
          "polygons", [](const PyPolytope& p) { return indexLists(p.own().polygons); },
          "List of int arrays: each polygon's vertex numbers in boundary order.")
      .def_property_readonly(
          "cells", [](const PyPolytope& p) { return indexLists(p.own().cellVertices); },
          "List of int arrays: each cell's vertex numbers, ascending.")
      .def_property_readonly(
          "normals", [](const PyPolytope& p) { return vertexArray(p.own().normals); },
          "C×4 float array: each cell's outward normal.")
      .def_property_readonly(
          "origin", [](const PyPolytope& p) { return py::array_t<int>(p.own().origin.size(), p.own().origin.data()); },
          "For a hull: each vertex's row among the input points (empty otherwise).");
}

void bindPolytopeOperations(PolytopeClass& c) {
  c.def(
       "check", [](const PyPolytope& p) { return reportDict(p.check()); },
       "Checks the polytope as orvex-gen check does (as the viewer would load it): a dict\n"
       "of vertices, edges, faces, cells, cell_kinds and incidence_margin. Raises\n"
       "ValueError with the check's message when it fails.")
      .def(
          "info",
          [](const PyPolytope& p) {
            return py::module_::import("json").attr("loads")(p.infoJson());
          },
          "orvex-gen info --json as a dict: counts, cell and polygon kinds, edge lengths,\n"
          "circumradius, inradius, volume, surface, dihedral angles, symmetry order and\n"
          "orbits, whether uniform, the dual's name; in the model's own units.")
      .def(
          "dual",
          [](const PyPolytope& p) {
            Polytope d;
            std::string error;
            must(polytope::dualPolytope(p.own(), &d, &error), error);
            return PyPolytope(std::move(d), "dual-" + p.name());
          },
          "The polar dual about the centroid of the vertices: vertices and cells swap.")
      .def(
          "save",
          [](const PyPolytope& p, const std::string& dir, const std::string& name,
             bool keepCoordinates) {
            polytope::WriteOptions options;
            options.keepCoordinates = keepCoordinates;
            std::string error;
            must(polytope::writeModel(dir, name, p.own(), options, &error), error);
          },
          py::arg("dir"), py::arg("name"), py::arg("keep_coordinates") = false,
          "Writes the model files dir/name.poi, dir/fname.cel and dir/name.nor as orvex-gen\n"
          "does: checked first, written whole or not at all, centred and scaled to\n"
          "circumradius 1 unless keep_coordinates.")
      .def(
          "to_off4",
          [](const PyPolytope& p, const std::string& path) {
            std::string error;
            must(polytope::writeTextFile(path, polytope::formatOff4(polytope::off4FromModel(p.ownModel())), &error),
                 error);
          },
          py::arg("path"), "Writes the polytope as a 4OFF file, in its own coordinates.")
      .def("section", &sectionDict, py::arg("normal"), py::arg("offset"),
           "The cut by the hyperplane normal·x = offset in the model's own coordinates: a dict\n"
           "with 'vertices' (N×3, coordinates in the orthonormal 'basis' of the hyperplane, in\n"
           "model units, x = origin + Σ p_k·basis_k), 'edges' (E×2), 'faces' (corner numbers\n"
           "in boundary order), 'face_cells' (the cell each face comes from), 'basis' (3×4)\n"
           "and 'origin' (the hyperplane's point nearest the origin).");
}

void bindPolytopePictures(PolytopeClass& c) {
  c.def("render", &renderResult,
        "The picture orvex-render draws with the same options, pixel for pixel: an H×W×3\n"
        "uint8 array (H×W×4 with background='transparent'), or a list of them with\n"
        "frames= or sweep=. Options are orvex-render's long options as keywords: size=800,\n"
        "turn=(xy, xz, yz, xw, yw, zw) or turns=[...], repeat, frames, spin='xw,yw',\n"
        "projection, distance, section, section_to, sweep, section_normal=(a, b, c, d),\n"
        "facing, cells='all', edges=True, vertices=True, colour_by, fit=True, zoom, aa,\n"
        "background; and solid, bands, clip for the viewer's -s, -h and -c. No orvex.cfg\n"
        "is read.")
      .def("png", &pngBytes,
           "The first picture render draws with the same options, as the bytes of the PNG\n"
           "file orvex-render would write.")
      .def(
          "_repr_png_", [](const PyPolytope& p) { return pngBytes(p, py::kwargs()); },
          "The default picture as PNG bytes, for Jupyter.");
}

void bindPolytope(py::module_& m) {
  PolytopeClass c(m, "Polytope",
                  "A convex 4-polytope: vertices in its own coordinates, polygons, cells.");
  bindPolytopeArrays(c);
  bindPolytopeOperations(c);
  bindPolytopePictures(c);
  c.def("__repr__", [](const PyPolytope& p) {
    return "<orvex.Polytope " + p.name() + ": " + std::to_string(p.own().vertices.size()) +
           " vertices, " + std::to_string(p.own().polygons.size()) + " polygons, " +
           std::to_string(p.own().cells()) + " cells>";
  });
}

void bindFilesAndLibrary(py::module_& m) {
  m.def("save_png", &savePng, py::arg("pixels"), py::arg("path"),
        "Writes an H×W×3 (or ×4) uint8 array as a PNG file, whole or not at all, as\n"
        "orvex-render writes its pictures.");
  m.def("models_dir", &shippedModels, "The directory of the shipped models this module reads.");
  m.def("library", &libraryList, py::arg("data_dir") = "",
        "The shipped library: a list of dicts with name, family, construction and the counts\n"
        "vertices, edges, faces, cells.");
  m.def("load", &loadAny, py::arg("what"), py::arg("data_dir") = "",
        "A polytope by library name (from data_dir, default the shipped models), by the path\n"
        "of its .poi file, or from a 4OFF file (.off, .4off).");
}

void bindConstructions(py::module_& m) {
  m.def("hull", &hullOf, py::arg("points"),
        "The convex hull of an N×4 array of points, as orvex-gen hull makes it; the result's\n"
        "origin gives each vertex's row among the points. Save with keep_coordinates=True\n"
        "for the tool's --keep-coordinates.");
  m.def("wythoff", &wythoffOf, py::arg("group"), py::arg("rings"),
        "The uniform polytope of a Coxeter group (A4, B4, D4, F4, H4, A3A1, B3A1, H3A1) with\n"
        "the ringed nodes as four bits, node 0 first: wythoff('B4', '1000') is the tesseract.");
  m.def("duoprism", &duoprismOf, py::arg("p"), py::arg("q"),
        "The p-gon × q-gon duoprism, edges of length 1.");
  m.def("antiprism_prism", &antiprismPrismOf, py::arg("n"),
        "The n-gonal antiprism × segment, edges of length 1.");
}

}  // namespace
}  // namespace orvex::python

PYBIND11_MODULE(orvex, m) {
  m.doc() =
      "Convex four-dimensional polytopes: the orvex library of models, hulls, Wythoff\n"
      "constructions, duals, measures, sections by any hyperplane and pictures, with numpy\n"
      "arrays. Failures raise ValueError with the tools' one-line messages.";
  orvex::python::bindPolytope(m);
  orvex::python::bindFilesAndLibrary(m);
  orvex::python::bindConstructions(m);
}
