#include "polytope/info.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>

#include "model/loader.h"
#include "polytope/json.h"
#include "polytope/library.h"
#include "polytope/model_check.h"

namespace orvex::polytope {
namespace {

// Lists past this length are cut short in the text; the JSON has them whole.
constexpr size_t kShown = 12;

std::string real(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.12g", v);
  return text;
}

std::string kindsLine(const std::vector<std::pair<std::string, int>>& kinds) {
  return describeKinds(std::map<std::string, int>(kinds.begin(), kinds.end()));
}

std::vector<VertexFigure> vertexFigures(const model::Model& m, const Measures& measures,
                                        const Symmetry& symmetry) {
  std::map<int, std::vector<int>> cellsAt;  // cells at each orbit's first vertex
  std::map<int, int> orbitSize;
  for (int v : symmetry.vertexOrbit) ++orbitSize[v];
  for (int c = 0; c < m.cellVertices->count; ++c) {
    const model::IndexList& own = (*m.cellVertices)[c];
    for (int i = 0; i < own.count; ++i) {
      if (symmetry.vertexOrbit[own[i]] == own[i]) cellsAt[own[i]].push_back(c);
    }
  }
  // Orbits with the same kinds around are told together: a hull of points in general
  // position has as many orbits as vertices.
  std::map<std::vector<std::pair<std::string, int>>, VertexFigure> byKinds;
  for (const auto& [first, cells] : cellsAt) {
    std::map<std::string, int> kinds;
    for (int c : cells) ++kinds[measures.cellKindOf[c]];
    std::vector<std::pair<std::string, int>> list(kinds.begin(), kinds.end());
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    VertexFigure& f = byKinds[list];
    f.cells = list;
    f.vertices += orbitSize[first];
    ++f.orbits;
  }
  std::vector<VertexFigure> figures;
  for (auto& [kinds, figure] : byKinds) figures.push_back(std::move(figure));
  std::stable_sort(figures.begin(), figures.end(),
                   [](const auto& a, const auto& b) { return a.vertices > b.vertices; });
  return figures;
}

// The dual's name from the shipped table, when name is a row of it and the model is that
// row's polytope as far as its counts and symmetry tell.
std::string libraryDual(const std::string& name, const Measures& measures,
                        const Symmetry& symmetry) {
  std::vector<LibraryEntry> rows;
  std::string ignored;
  if (!parseLibraryTable(shippedLibraryTable(), "polytopes.tsv", &rows, &ignored)) return "";
  for (const LibraryEntry& row : rows) {
    if (row.name != name) continue;
    const bool same = row.vertices == measures.vertices && row.edges == measures.edges &&
                      row.polygons == measures.faces && row.cells == measures.cells &&
                      (row.symmetry == 0 || row.symmetry == symmetry.order);
    return same ? row.dual : "";
  }
  return "";
}

// Up to kShown entries of a list, each as show writes it, then how many more.
template <typename T, typename Show>
std::string shortList(const std::vector<T>& list, Show show) {
  std::string text;
  for (size_t i = 0; i < list.size() && i < kShown; ++i) {
    text += (i ? "; " : "") + show(list[i]);
  }
  if (list.size() > kShown) text += "; and " + std::to_string(list.size() - kShown) + " more";
  return text;
}

std::string plural(int count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The edge length that makes the unit for the unit-edge measures; 0 unless uniform.
double unitEdge(const ModelInfo& info) {
  return info.symmetry.uniform ? info.measures.edgeLengths[0].value : 0.0;
}

}  // namespace

bool modelInfo(const std::string& dir, const std::string& name, ModelInfo* out,
               std::string* error) {
  ModelReport report;
  if (!checkModel(dir, name, &report, error)) return false;
  model::Model m;
  model::Vec3List projected;
  double unit = 1.0;
  if (!model::loadModel(dir, name, &m, &projected, error)) return false;
  if (!writtenUnit(model::vertexFilePath(dir, name), &unit)) {
    *error = model::vertexFilePath(dir, name) + ": cannot read vertex 0 again";
    return false;
  }
  ModelInfo info;
  info.name = name;
  info.measures = measureModel(m, unit);
  if (!findSymmetry(m, info.measures, &info.symmetry, error)) {
    *error = name + ": symmetry: " + *error;
    return false;
  }
  info.vertexFigures = vertexFigures(m, info.measures, info.symmetry);
  info.dual = libraryDual(name, info.measures, info.symmetry);
  *out = std::move(info);
  return true;
}

std::string infoText(const ModelInfo& info) {
  const Measures& m = info.measures;
  const Symmetry& s = info.symmetry;
  std::ostringstream out;
  out << info.name << ": " << m.vertices << " vertices, " << m.edges << " edges, " << m.faces
      << " polygons, " << m.cells
      << " cells; V - E + F - C = " << m.vertices - m.edges + m.faces - m.cells << "\n";
  out << "cells: " << kindsLine(m.cellKinds) << "\n";
  out << "polygons: " << kindsLine(m.polygonKinds) << "\n";
  out << "around a vertex: " << shortList(info.vertexFigures, [](const VertexFigure& f) {
    return kindsLine(f.cells) + " (" + plural(f.vertices, "vertex", "vertices") +
           (f.orbits > 1 ? " in " + std::to_string(f.orbits) + " orbits" : "") + ")";
  }) << "\n";
  out << "edge lengths: " << shortList(m.edgeLengths, [](const ValueCount& e) {
    return real(e.value) + " (" + std::to_string(e.count) + ")";
  }) << "\n";
  out << "circumradius " << real(m.circumradius) << ", inradius " << real(m.inradius) << ", volume "
      << real(m.volume) << ", surface " << real(m.surface) << "\n";
  out << "cell volumes: " << shortList(m.cellVolumes, [](const CellVolume& c) {
    return c.kind + " " + real(c.volume) + " (" + std::to_string(c.count) + ")";
  }) << "\n";
  out << "dihedral angles: " << shortList(m.dihedralAngles, [](const DihedralAngle& d) {
    return real(d.degrees) + "° between " + d.kinds[0] + " and " + d.kinds[1] + " (" +
           std::to_string(d.count) + ")";
  }) << "\n";
  out << "symmetry: order " << s.order << "; " << plural(s.vertexOrbits, "orbit", "orbits")
      << " of vertices, " << s.edgeOrbits << " of edges, " << s.polygonOrbits << " of polygons, "
      << s.cellOrbits << " of cells\n";
  out << "uniform: " << (s.uniform ? "yes" : "no");
  if (const double e = unitEdge(info); e > 0.0) {
    out << "; for unit edge: circumradius " << real(m.circumradius / e) << ", inradius "
        << real(m.inradius / e) << ", volume " << real(m.volume / std::pow(e, 4)) << ", surface "
        << real(m.surface / std::pow(e, 3));
  }
  out << "\n";
  out << "dual: " << (info.dual.empty() ? "not in the library" : info.dual) << "\n";
  return out.str();
}

std::string infoJson(const ModelInfo& info) {
  const Measures& m = info.measures;
  const Symmetry& s = info.symmetry;
  std::ostringstream out;
  auto kinds = [](const std::vector<std::pair<std::string, int>>& list) {
    std::string text = "[";
    for (size_t i = 0; i < list.size(); ++i) {
      text += (i ? ", " : "") + std::string("{\"kind\": ") + jsonQuoted(list[i].first) +
              ", \"count\": " + std::to_string(list[i].second) + "}";
    }
    return text + "]";
  };
  out << "{\"name\": " << jsonQuoted(info.name) << ", \"vertices\": " << m.vertices
      << ", \"edges\": " << m.edges << ", \"faces\": " << m.faces << ", \"cells\": " << m.cells
      << ", \"volume\": " << jsonNumber(m.volume) << ", \"surface\": " << jsonNumber(m.surface)
      << ", \"circumradius\": " << jsonNumber(m.circumradius)
      << ", \"inradius\": " << jsonNumber(m.inradius) << ", \"edge_lengths\": [";
  for (size_t i = 0; i < m.edgeLengths.size(); ++i) {
    out << (i ? ", " : "") << "{\"length\": " << jsonNumber(m.edgeLengths[i].value)
        << ", \"count\": " << m.edgeLengths[i].count << "}";
  }
  out << "], \"dihedral_angles\": [";
  for (size_t i = 0; i < m.dihedralAngles.size(); ++i) {
    const DihedralAngle& d = m.dihedralAngles[i];
    out << (i ? ", " : "") << "{\"degrees\": " << jsonNumber(d.degrees)
        << ", \"count\": " << d.count << ", \"cells\": [" << jsonQuoted(d.kinds[0]) << ", "
        << jsonQuoted(d.kinds[1]) << "]}";
  }
  out << "], \"cell_kinds\": " << kinds(m.cellKinds)
      << ", \"polygon_kinds\": " << kinds(m.polygonKinds) << ", \"cell_volumes\": [";
  for (size_t i = 0; i < m.cellVolumes.size(); ++i) {
    const CellVolume& c = m.cellVolumes[i];
    out << (i ? ", " : "") << "{\"kind\": " << jsonQuoted(c.kind)
        << ", \"volume\": " << jsonNumber(c.volume) << ", \"count\": " << c.count << "}";
  }
  out << "], \"vertex_figures\": [";
  for (size_t i = 0; i < info.vertexFigures.size(); ++i) {
    out << (i ? ", " : "") << "{\"vertices\": " << info.vertexFigures[i].vertices
        << ", \"orbits\": " << info.vertexFigures[i].orbits
        << ", \"cells\": " << kinds(info.vertexFigures[i].cells) << "}";
  }
  out << "], \"symmetry_order\": " << s.order << ", \"vertex_orbits\": " << s.vertexOrbits
      << ", \"edge_orbits\": " << s.edgeOrbits << ", \"face_orbits\": " << s.polygonOrbits
      << ", \"cell_orbits\": " << s.cellOrbits
      << ", \"uniform\": " << (s.uniform ? "true" : "false") << ", \"unit_edge\": ";
  if (const double e = unitEdge(info); e > 0.0) {
    out << "{\"volume\": " << jsonNumber(m.volume / std::pow(e, 4))
        << ", \"surface\": " << jsonNumber(m.surface / std::pow(e, 3))
        << ", \"circumradius\": " << jsonNumber(m.circumradius / e)
        << ", \"inradius\": " << jsonNumber(m.inradius / e) << "}";
  } else {
    out << "null";
  }
  out << ", \"dual\": " << (info.dual.empty() ? "null" : jsonQuoted(info.dual)) << "}\n";
  return out.str();
}

}  // namespace orvex::polytope
