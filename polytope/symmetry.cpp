#include "polytope/symmetry.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <numeric>

// nauty's headers are C and define macros; they come last. The library is built with
// C11's thread-local globals, which C++ spells differently.
#define _Thread_local thread_local
#include <nauty/traces.h>
#undef _Thread_local

namespace orvex::polytope {
namespace {

using model::dot;
using model::length;

// Why the graph's automorphisms are exactly the isometries. A flag is a vertex, an edge
// at it, a polygon at that edge (and a cell at that polygon); with the centre their
// centroids span the whole space, as a flag's centroids always do in a convex polytope.
// An automorphism keeps incidence, so it maps flags to flags, and it keeps every
// distance between the centroids of a flag and the centre, so for each flag one
// orthogonal map about the centre carries that flag's centroids onto the image's. Two
// flags that differ in one element share all but one point: their maps agree on a
// hyperplane through the centre, so they are equal or differ by the reflection in it;
// the reflection would put the two differing centroids on one side of the shared
// hyperplane, where convexity keeps them on opposite sides, before and after. The flags
// are connected through such neighbours, so one map serves every flag, and it carries
// the vertices. Every isometry keeps every colour, so the automorphisms are the
// isometries; the check of each generator confirms it in floating point.

// Elements of ranks 0 .. rank-1 with their centroids, and for each pair of ranks r < s
// which rank-r elements lie on each rank-s element.
struct Complex {
  int ranks = 4;
  Vec4 centre;
  std::vector<Vec4> points[4];
  std::vector<std::vector<int>> faces[4][4];  // [s][r][element of rank s]
};

Vec4 meanOf(const std::vector<Vec4>& points, const std::vector<int>& which) {
  Vec4 sum;
  for (int i : which) sum = sum + points[i];
  return (1.0 / which.size()) * sum;
}

std::vector<int> sortedUnion(const std::vector<std::vector<int>>& lists,
                             const std::vector<int>& which) {
  std::vector<int> all;
  for (int i : which) all.insert(all.end(), lists[i].begin(), lists[i].end());
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  return all;
}

// Fills the centroids of ranks 1 and up from their vertices.
void placeCentroids(Complex* k) {
  for (int s = 1; s < k->ranks; ++s) {
    k->points[s].clear();
    for (const auto& vertices : k->faces[s][0])
      k->points[s].push_back(meanOf(k->points[0], vertices));
  }
}

Complex polytopeComplex(const model::Model& m, const Measures& measures) {
  Complex k;
  k.centre = measures.centre;
  k.points[0] = measures.points;
  for (const auto& [a, b] : measures.edgeList) k.faces[1][0].push_back({a, b});
  const int F = m.polygons->count, C = m.cellNormals->count;
  for (int f = 0; f < F; ++f) {
    const model::IndexList& p = (*m.polygons)[f];
    std::vector<int> vertices(p.data.get(), p.data.get() + p.count);
    std::sort(vertices.begin(), vertices.end());
    k.faces[2][0].push_back(vertices);
  }
  k.faces[2][1] = measures.polygonEdges;
  for (int c = 0; c < C; ++c) {
    const model::IndexList& v = (*m.cellVertices)[c];
    const model::IndexList& p = (*m.cellPolygons)[c];
    k.faces[3][0].emplace_back(v.data.get(), v.data.get() + v.count);
    k.faces[3][2].emplace_back(p.data.get(), p.data.get() + p.count);
    k.faces[3][1].push_back(sortedUnion(measures.polygonEdges, k.faces[3][2].back()));
  }
  placeCentroids(&k);
  return k;
}

// Cell c on its own: its vertices, edges and polygons about its own centroid.
Complex cellComplex(const Complex& whole, int c) {
  Complex k;
  k.ranks = 3;
  std::map<int, int> local[3];
  for (int r = 0; r < 3; ++r) {
    for (int i : whole.faces[3][r][c]) local[r].emplace(i, static_cast<int>(local[r].size()));
  }
  for (const auto& [vertex, ignored] : local[0]) k.points[0].push_back(whole.points[0][vertex]);
  for (int s = 1; s < 3; ++s) {
    for (const auto& [element, ignored] : local[s]) {
      for (int r = 0; r < s; ++r) {
        std::vector<int> faces;
        for (int i : whole.faces[s][r][element]) faces.push_back(local[r].at(i));
        k.faces[s][r].push_back(faces);
      }
    }
  }
  placeCentroids(&k);
  k.centre = whole.points[3][c];
  return k;
}

// The coloured graph: element nodes first (rank by rank), then a node for each join whose
// colour the colours of its two ends do not already fix.
struct Graph {
  int offset[4] = {};
  int nodes = 0;
  std::vector<std::pair<int, int>> joins;
  std::vector<long> colour;  // per node
};

// Every join between elements of ranks r < s, with its distance's group.
struct JoinKind {
  int r, s;
  std::vector<std::pair<int, int>> ends;  // graph nodes, the rank-r element first
  std::vector<int> group;
};

// First colours: the rank and the distance from the centre.
std::vector<std::vector<long>> rankAndRadiusKeys(const Complex& k, const Graph& g,
                                                 double tolerance) {
  std::vector<std::vector<long>> key(g.nodes);
  for (int r = 0; r < k.ranks; ++r) {
    std::vector<double> radii;
    for (const Vec4& p : k.points[r]) radii.push_back(length(p - k.centre));
    const std::vector<int> group = groupValues(radii, tolerance);
    for (size_t i = 0; i < radii.size(); ++i) key[g.offset[r] + i] = {r, group[i]};
  }
  return key;
}

// Every join's distance, grouped per pair of ranks; each node's seen list gets the
// distances' groups of its joins, tagged by their kind.
std::vector<JoinKind> joinKinds(const Complex& k, const Graph& g, double tolerance,
                                std::vector<std::vector<long>>* seen) {
  std::vector<JoinKind> kinds;
  for (int s = 1; s < k.ranks; ++s) {
    for (int r = 0; r < s; ++r) {
      JoinKind kind{r, s, {}, {}};
      std::vector<double> distances;
      for (size_t i = 0; i < k.faces[s][r].size(); ++i) {
        for (int j : k.faces[s][r][i]) {
          kind.ends.push_back({g.offset[r] + j, g.offset[s] + static_cast<int>(i)});
          distances.push_back(length(k.points[s][i] - k.points[r][j]));
        }
      }
      kind.group = groupValues(distances, tolerance);
      const long tag = static_cast<long>(kinds.size()) << 40;
      for (size_t j = 0; j < kind.ends.size(); ++j) {
        (*seen)[kind.ends[j].first].push_back(tag + kind.group[j]);
        (*seen)[kind.ends[j].second].push_back(tag + kind.group[j]);
      }
      kinds.push_back(std::move(kind));
    }
  }
  return kinds;
}

// Whether the colours of a join's ends fix its distance's group for every join of kind.
bool fixedByEnds(const JoinKind& kind, const std::vector<long>& colour) {
  std::map<std::pair<long, long>, int> fixed;
  for (size_t j = 0; j < kind.ends.size(); ++j) {
    auto it = fixed.emplace(std::make_pair(colour[kind.ends[j].first], colour[kind.ends[j].second]),
                            kind.group[j]);
    if (it.first->second != kind.group[j]) return false;
  }
  return true;
}

// The joins of kind number t: straight, or through a middle node coloured by the join's
// group (after every element's colour) when the ends' colours do not fix it.
void addJoins(const JoinKind& kind, size_t t, long joinColours, Graph* g) {
  const bool fixed = fixedByEnds(kind, g->colour);
  for (size_t j = 0; j < kind.ends.size(); ++j) {
    if (fixed) {
      g->joins.push_back(kind.ends[j]);
      continue;
    }
    const int middle = g->nodes++;
    g->colour.push_back(joinColours + (static_cast<long>(t) << 32) + kind.group[j]);
    g->joins.push_back({kind.ends[j].first, middle});
    g->joins.push_back({middle, kind.ends[j].second});
  }
}

Graph colouredGraph(const Complex& k, double tolerance) {
  Graph g;
  for (int r = 0; r < k.ranks; ++r) {
    g.offset[r] = g.nodes;
    g.nodes += static_cast<int>(k.points[r].size());
  }
  std::vector<std::vector<long>> key = rankAndRadiusKeys(k, g, tolerance);
  // Each node also takes the sorted distances of its joins, which any isometry keeps too.
  std::vector<std::vector<long>> seen(g.nodes);
  const std::vector<JoinKind> kinds = joinKinds(k, g, tolerance, &seen);
  std::map<std::vector<long>, long> colourOf;
  g.colour.resize(g.nodes);
  for (int i = 0; i < g.nodes; ++i) {
    std::sort(seen[i].begin(), seen[i].end());
    key[i].insert(key[i].end(), seen[i].begin(), seen[i].end());
    g.colour[i] = colourOf.emplace(key[i], static_cast<long>(colourOf.size())).first->second;
  }
  const long joinColours = static_cast<long>(colourOf.size());
  for (size_t t = 0; t < kinds.size(); ++t) addJoins(kinds[t], t, joinColours, &g);
  return g;
}

// Traces reports generators through a plain function; one search runs at a time.
std::mutex tracesLock;
std::vector<std::vector<int>>* tracesGenerators = nullptr;
int tracesKeep = 0;

void keepGenerator(int, int* permutation, int) {
  tracesGenerators->emplace_back(permutation, permutation + tracesKeep);
}

struct Automorphisms {
  double order = 1.0;
  std::vector<int> orbits;
  std::vector<std::vector<int>> generators;  // on the vertices
};

Automorphisms automorphisms(const Graph& g, int vertices) {
  const int n = g.nodes;
  std::vector<std::vector<int>> adjacent(n);
  for (const auto& [a, b] : g.joins) {
    adjacent[a].push_back(b);
    adjacent[b].push_back(a);
  }
  std::vector<size_t> v(n);
  std::vector<int> d(n), e;
  e.reserve(2 * g.joins.size());
  for (int i = 0; i < n; ++i) {
    v[i] = e.size();
    d[i] = static_cast<int>(adjacent[i].size());
    e.insert(e.end(), adjacent[i].begin(), adjacent[i].end());
  }
  sparsegraph sg;
  SG_INIT(sg);
  sg.nv = n;
  sg.nde = e.size();
  sg.v = v.data();
  sg.d = d.data();
  sg.e = e.data();
  // The partition by colour: lab lists the nodes colour by colour, ptn 0 ends a colour.
  std::vector<int> lab(n), ptn(n), orbits(n);
  std::iota(lab.begin(), lab.end(), 0);
  std::stable_sort(lab.begin(), lab.end(), [&](int a, int b) { return g.colour[a] < g.colour[b]; });
  for (int i = 0; i < n; ++i) {
    ptn[i] = i + 1 < n && g.colour[lab[i + 1]] == g.colour[lab[i]] ? 1 : 0;
  }
  Automorphisms found;
  DEFAULTOPTIONS_TRACES(options);
  options.defaultptn = FALSE;
  options.userautomproc = keepGenerator;
  TracesStats stats;
  {
    std::lock_guard<std::mutex> hold(tracesLock);
    tracesGenerators = &found.generators;
    tracesKeep = vertices;
    Traces(&sg, lab.data(), ptn.data(), orbits.data(), &options, &stats, nullptr);
    traces_freedyn();
    tracesGenerators = nullptr;
  }
  found.order = stats.grpsize1 * std::pow(10.0, stats.grpsize2);
  found.orbits = std::move(orbits);
  return found;
}

// Solves the small symmetric system a x = b in place by Gaussian elimination with
// partial pivoting; a is size × size, row-major.
void solve(std::vector<double> a, int size, double* b) {
  for (int col = 0; col < size; ++col) {
    int pivot = col;
    for (int r = col + 1; r < size; ++r) {
      if (std::fabs(a[r * size + col]) > std::fabs(a[pivot * size + col])) pivot = r;
    }
    for (int c = 0; c < size; ++c) std::swap(a[col * size + c], a[pivot * size + c]);
    std::swap(b[col], b[pivot]);
    for (int r = col + 1; r < size; ++r) {
      const double f = a[r * size + col] / a[col * size + col];
      for (int c = col; c < size; ++c) a[r * size + c] -= f * a[col * size + c];
      b[r] -= f * b[col];
    }
  }
  for (int col = size - 1; col >= 0; --col) {
    for (int c = col + 1; c < size; ++c) b[col] -= a[col * size + c] * b[c];
    b[col] /= a[col * size + col];
  }
}

// Proves generators isometries: each vertex is written in a well-spread basis of vertices
// about the centre; a permutation is an isometry when it keeps the basis's inner products
// and sends every vertex where the same combination of the images of the basis lands.
class IsometryCheck {
 public:
  IsometryCheck(const std::vector<Vec4>& points, const Vec4& centre, int dimension,
                double tolerance)
      : points_(points), centre_(centre), size_(dimension), tolerance_(tolerance) {
    std::vector<Vec4> residual;
    for (const Vec4& p : points) residual.push_back(p - centre);
    for (int k = 0; k < size_; ++k) {
      int best = 0;
      for (size_t i = 1; i < points.size(); ++i) {
        if (length(residual[i]) > length(residual[best])) best = static_cast<int>(i);
      }
      basis_.push_back(best);
      const Vec4 u = (1.0 / length(residual[best])) * residual[best];
      for (Vec4& r : residual) r = r - dot(r, u) * u;
    }
    gram_ = gramOf([](int i) { return i; });
    for (const Vec4& p : points) {
      std::vector<double> x(size_);
      for (int k = 0; k < size_; ++k) x[k] = dot(points[basis_[k]] - centre, p - centre);
      solve(gram_, size_, x.data());
      coefficients_.push_back(x);
    }
  }

  bool isometry(const std::vector<int>& image) const {
    const std::vector<double> gram = gramOf([&](int i) { return image[i]; });
    for (size_t k = 0; k < gram.size(); ++k) {
      if (std::fabs(gram[k] - gram_[k]) > tolerance_ * tolerance_ + 2 * tolerance_ * radius()) {
        return false;
      }
    }
    for (size_t i = 0; i < points_.size(); ++i) {
      Vec4 q = centre_;
      for (int k = 0; k < size_; ++k) {
        q = q + coefficients_[i][k] * (points_[image[basis_[k]]] - centre_);
      }
      if (length(q - points_[image[i]]) > tolerance_) return false;
    }
    return true;
  }

 private:
  template <typename Image>
  std::vector<double> gramOf(Image image) const {
    std::vector<double> gram(size_ * size_);
    for (int a = 0; a < size_; ++a) {
      for (int b = 0; b < size_; ++b) {
        gram[a * size_ + b] =
            dot(points_[image(basis_[a])] - centre_, points_[image(basis_[b])] - centre_);
      }
    }
    return gram;
  }
  double radius() const { return std::sqrt(gram_[0]); }

  const std::vector<Vec4>& points_;
  Vec4 centre_;
  int size_;
  double tolerance_;
  std::vector<int> basis_;
  std::vector<double> gram_;
  std::vector<std::vector<double>> coefficients_;
};

int countOrbits(const std::vector<int>& orbits, int begin, int end) {
  int count = 0;
  for (int i = begin; i < end; ++i) count += orbits[i] == i;
  return count;
}

// The automorphisms of k's graph, every generator proved an isometry; false if one is not.
bool symmetriesOf(const Complex& k, double tolerance, Automorphisms* out) {
  const Graph g = colouredGraph(k, tolerance);
  *out = automorphisms(g, static_cast<int>(k.points[0].size()));
  const IsometryCheck check(k.points[0], k.centre, k.ranks, tolerance);
  return std::all_of(out->generators.begin(), out->generators.end(),
                     [&](const std::vector<int>& image) { return check.isometry(image); });
}

// True when an isometry-invariant label (the distance from the centre and the lengths of
// the edges at it) already tells every vertex from every other: then every symmetry fixes
// every vertex, so the group is trivial, as for a hull of points in general position,
// and the graph need not be built.
bool verticesAllDiffer(const Measures& measures, double tolerance) {
  const int V = measures.vertices;
  std::vector<double> radii, lengths;
  for (const Vec4& v : measures.points) radii.push_back(length(v - measures.centre));
  for (const auto& [a, b] : measures.edgeList) {
    lengths.push_back(length(measures.points[a] - measures.points[b]));
  }
  const std::vector<int> radius = groupValues(radii, tolerance);
  const std::vector<int> edge = groupValues(lengths, tolerance);
  std::vector<std::vector<int>> label(V);
  for (int v = 0; v < V; ++v) label[v].push_back(radius[v]);
  for (size_t e = 0; e < edge.size(); ++e) {
    label[measures.edgeList[e].first].push_back(edge[e]);
    label[measures.edgeList[e].second].push_back(edge[e]);
  }
  for (auto& l : label) std::sort(l.begin() + 1, l.end());
  std::sort(label.begin(), label.end());
  return std::adjacent_find(label.begin(), label.end()) == label.end();
}

}  // namespace

bool findSymmetry(const model::Model& m, const Measures& measures, Symmetry* out,
                  std::string* error) {
  const double tolerance = kSameValue * measures.circumradius;
  if (verticesAllDiffer(measures, tolerance)) {
    Symmetry s;
    s.order = 1;
    s.vertexOrbits = measures.vertices;
    s.edgeOrbits = measures.edges;
    s.polygonOrbits = measures.faces;
    s.cellOrbits = measures.cells;
    s.vertexOrbit.resize(measures.vertices);
    std::iota(s.vertexOrbit.begin(), s.vertexOrbit.end(), 0);
    s.cellOrbit.resize(measures.cells);
    std::iota(s.cellOrbit.begin(), s.cellOrbit.end(), 0);
    *out = std::move(s);
    return true;
  }
  const Complex k = polytopeComplex(m, measures);
  Automorphisms found;
  if (!symmetriesOf(k, tolerance, &found)) {
    *error =
        "a symmetry of its incidences and distances moves a vertex off the vertices "
        "by more than " +
        std::to_string(kSameValue) + " of the circumradius";
    return false;
  }
  Symmetry s;
  s.order = static_cast<uint64_t>(std::llround(found.order));
  int begin = 0;
  int* counts[4] = {&s.vertexOrbits, &s.edgeOrbits, &s.polygonOrbits, &s.cellOrbits};
  for (int r = 0; r < 4; ++r) {
    const int end = begin + static_cast<int>(k.points[r].size());
    *counts[r] = countOrbits(found.orbits, begin, end);
    if (r == 0) s.vertexOrbit.assign(found.orbits.begin(), found.orbits.begin() + end);
    if (r == 3) {
      for (int i = begin; i < end; ++i) s.cellOrbit.push_back(found.orbits[i] - begin);
    }
    begin = end;
  }
  s.uniform = s.vertexOrbits == 1 && measures.edgeLengths.size() == 1 && measures.regularPolygons;
  for (int c = 0; s.uniform && c < measures.cells; ++c) {
    if (s.cellOrbit[c] != c) continue;
    // One cell of each orbit stands for all: its own symmetries must be transitive.
    const Complex cell = cellComplex(k, c);
    Automorphisms own;
    if (!symmetriesOf(cell, tolerance, &own)) {
      *error = "a symmetry of the incidences and distances of cell " + std::to_string(c) +
               " moves a vertex off its vertices";
      return false;
    }
    s.uniform = countOrbits(own.orbits, 0, static_cast<int>(cell.points[0].size())) == 1;
  }
  *out = std::move(s);
  return true;
}

}  // namespace orvex::polytope
