#include "model/incidence.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "model/vertex_tree.h"

namespace orvex::model {

double supportValue(const Vec4& n, const Vec4List& vertices) {
  double h = dot(n, vertices[0]);
  for (int i = 0; i < vertices.count; ++i) {
    double d = dot(n, vertices[i]);
    if (d > h) h = d;
  }
  return h;
}

namespace {

// The vertices coordinate by coordinate, so that one normal's dot products with all of
// them run as straight vector loops. Each product is still x·x + y·y + z·z + w·w in that
// order, so the doubles are the same as dot() gives.
struct VertexColumns {
  explicit VertexColumns(const Vec4List& v) : x(v.count), y(v.count), z(v.count), w(v.count) {
    for (int i = 0; i < v.count; ++i) {
      x[i] = v[i].x;
      y[i] = v[i].y;
      z[i] = v[i].z;
      w[i] = v[i].w;
    }
  }
  std::vector<double> x, y, z, w;
};

// The support set with the dot products kept from the first pass: the same doubles as
// computing them twice, at half the cost.
void gatherSupportSet(const Vec4& n, const VertexColumns& v, std::vector<double>* dots,
                      std::vector<int>* scratch, IndexList* out) {
  const int count = static_cast<int>(v.x.size());
  scratch->clear();
  if (count == 0) {
    *out = IndexList();
    return;
  }
  dots->resize(count);
  double* d = dots->data();
  for (int i = 0; i < count; ++i) d[i] = n.x * v.x[i] + n.y * v.y[i] + n.z * v.z[i] + n.w * v.w[i];
  double h = d[0];
  for (int i = 0; i < count; ++i) h = d[i] > h ? d[i] : h;
  for (int i = 0; i < count; ++i) {
    if (std::fabs(h - d[i]) < kIncidenceTolerance) scratch->push_back(i);
  }
  IndexList result(static_cast<int>(scratch->size()));
  for (int j = 0; j < result.count; ++j) result[j] = (*scratch)[j];
  *out = std::move(result);
}

}  // namespace

IndexList supportSet(const Vec4& n, const Vec4List& vertices) {
  std::vector<double> dots;
  std::vector<int> scratch;
  IndexList out;
  gatherSupportSet(n, VertexColumns(vertices), &dots, &scratch, &out);
  return out;
}

namespace {

// The support set as gatherSupportSet finds it, looking only at the groups of vertices
// whose bound comes within the tolerance of the greatest product found so far. A group
// left out holds no product above that bound, so it holds neither the greatest product
// nor one within the tolerance of it: the same doubles decide the same set. The greatest
// starts at vertex 0's product, as there, so a NaN there finds nothing here either.
void treeSupportSet(const Vec4& n, const Vec4List& vertices, const VertexTree& tree,
                    std::vector<std::pair<int, double>>* near, std::vector<int>* scratch,
                    IndexList* out) {
  if (vertices.count == 0) {
    *out = IndexList();
    return;
  }
  double h = dot(n, vertices[0]);
  near->clear();
  const double *x = tree.x.data(), *y = tree.y.data(), *z = tree.z.data(), *w = tree.w.data();
  const int* number = tree.number.data();
  tree.visit(
      n, [&](double bound) { return h - bound >= kIncidenceTolerance; },
      [&](int begin, int end) {
        // The products, then their greatest, then the ones near it, each a plain loop.
        double d[VertexTree::kMaxLeaf];
        const int size = end - begin;
        for (int j = 0; j < size; ++j) {
          const int i = begin + j;
          d[j] = n.x * x[i] + n.y * y[i] + n.z * z[i] + n.w * w[i];
        }
        for (int j = 0; j < size; ++j) h = d[j] > h ? d[j] : h;
        // h only grows, so a product this far below it now stays out.
        for (int j = 0; j < size; ++j) {
          if (h - d[j] < kIncidenceTolerance) near->emplace_back(number[begin + j], d[j]);
        }
      });
  scratch->clear();
  for (const auto& [i, d] : *near) {
    if (std::fabs(h - d) < kIncidenceTolerance) scratch->push_back(i);
  }
  std::sort(scratch->begin(), scratch->end());
  IndexList result(static_cast<int>(scratch->size()));
  for (int j = 0; j < result.count; ++j) result[j] = (*scratch)[j];
  *out = std::move(result);
}

}  // namespace

void deriveCellVertices(const Vec4List& normals, const Vec4List& vertices, IndexListArray* result) {
  const int cells = normals.count;
  result->resize(cells);
  const VertexTree tree(vertices);
  std::vector<int> scratch;
  std::vector<std::pair<int, double>> near;
  for (int c = 0; c < cells; ++c) {
    if (c % 100 == 0 && result->progress(c * 100 / cells) != 0) return;
    treeSupportSet(normals[c], vertices, tree, &near, &scratch, &(*result)[c]);
  }
}

namespace {

// One more than the greatest vertex number on any cell.
int markSizeOf(const IndexListArray& cellVertices) {
  int greatest = 0;
  for (int c = 0; c < cellVertices.count; ++c) {
    const IndexList& l = cellVertices[c];
    for (int i = 0; i < l.count; ++i) {
      if (l[i] > greatest) greatest = l[i];
    }
  }
  return greatest + 1;
}

// Every polygon on a cell has its first vertex on the cell, so indexing polygons by
// their first vertex visits each candidate once instead of every polygon per cell.
// Polygons without vertices lie on every cell; a first vertex outside the marks on none.
struct PolygonsByFirstVertex {
  std::vector<int> start;    // the polygons starting at v are polygon[start[v] .. start[v+1])
  std::vector<int> polygon;
  std::vector<int> empty;

  PolygonsByFirstVertex(const IndexListArray& polygons, int markSize) : start(markSize + 1, 0) {
    for (int k = 0; k < polygons.count; ++k) {
      const IndexList& p = polygons[k];
      if (p.count == 0) {
        empty.push_back(k);
      } else if (p[0] >= 0 && p[0] < markSize) {
        ++start[p[0] + 1];
      }
    }
    for (int v = 0; v < markSize; ++v) start[v + 1] += start[v];
    polygon.resize(start[markSize]);
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (int k = 0; k < polygons.count; ++k) {
      const IndexList& p = polygons[k];
      if (p.count > 0 && p[0] >= 0 && p[0] < markSize) polygon[fill[p[0]]++] = k;
    }
  }
};

// The polygons whose vertices all carry a mark, ascending, each once: the candidates
// are those starting at a vertex on the cell.
void gatherMarkedPolygons(const IndexList& onCell, const IndexListArray& polygons,
                          const PolygonsByFirstVertex& index, const std::vector<char>& marks,
                          std::vector<int>* scratch) {
  const int markSize = static_cast<int>(marks.size());
  scratch->assign(index.empty.begin(), index.empty.end());
  for (int i = 0; i < onCell.count; ++i) {
    const int v = onCell[i];
    if (v < 0 || v >= markSize) continue;
    for (int e = index.start[v]; e < index.start[v + 1]; ++e) {
      const IndexList& polygon = polygons[index.polygon[e]];
      bool taken = true;
      for (int j = 1; j < polygon.count; ++j) {
        const int u = polygon[j];
        if (u < 0 || u >= markSize || !marks[u]) {
          taken = false;
          break;
        }
      }
      if (taken) scratch->push_back(index.polygon[e]);
    }
  }
  // A vertex listed twice in a cell would find its polygons twice.
  std::sort(scratch->begin(), scratch->end());
  scratch->erase(std::unique(scratch->begin(), scratch->end()), scratch->end());
}

void setMarks(const IndexList& onCell, char mark, std::vector<char>* marks) {
  const int markSize = static_cast<int>(marks->size());
  for (int i = 0; i < onCell.count; ++i) {
    if (onCell[i] >= 0 && onCell[i] < markSize) (*marks)[onCell[i]] = mark;
  }
}

}  // namespace

void deriveCellPolygons(const IndexListArray& polygons, const IndexListArray& cellVertices,
                        int markSize, IndexListArray* result) {
  const int cells = cellVertices.count;
  result->resize(cells);
  if (markSize == 0) markSize = markSizeOf(cellVertices);
  std::vector<char> marks(markSize, 0);
  const PolygonsByFirstVertex index(polygons, markSize);
  std::vector<int> scratch;
  scratch.reserve(polygons.count);
  for (int c = 0; c < cells; ++c) {
    if (c % 100 == 0 && result->progress(c * 100 / cells) != 0) return;
    const IndexList& onCell = cellVertices[c];
    setMarks(onCell, 1, &marks);
    gatherMarkedPolygons(onCell, polygons, index, marks, &scratch);
    IndexList entry(static_cast<int>(scratch.size()));
    for (int i = 0; i < entry.count; ++i) entry[i] = scratch[i];
    (*result)[c] = std::move(entry);
    setMarks(onCell, 0, &marks);
  }
}

bool isClosedCell(const IndexList& cell, const IndexListArray& polygons) {
  std::vector<std::pair<int, int>> edges;
  for (int j = 0; j < cell.count; ++j) {
    const IndexList& polygon = polygons[cell[j]];
    for (int i = 0; i < polygon.count; ++i) {
      const int a = polygon[i];
      const int b = polygon[(i + 1) % polygon.count];
      edges.emplace_back(std::min(a, b), std::max(a, b));
    }
  }
  std::sort(edges.begin(), edges.end());
  for (size_t i = 0; i < edges.size();) {
    size_t same = i + 1;
    while (same < edges.size() && edges[same] == edges[i]) ++same;
    if (same - i != 2) return false;
    i = same;
  }
  return true;
}

std::vector<bool> closedCells(const IndexListArray& cellPolygons, const IndexListArray& polygons) {
  std::vector<bool> closed(cellPolygons.count);
  for (int c = 0; c < cellPolygons.count; ++c) closed[c] = isClosedCell(cellPolygons[c], polygons);
  return closed;
}

}  // namespace orvex::model
