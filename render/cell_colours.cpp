#include "render/cell_colours.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace orvex::render {
namespace {

// Distinct under the scene's light and fog; the first kinds of most polytopes get these.
constexpr float kKindColours[][3] = {
    {0.95f, 0.45f, 0.35f}, {0.35f, 0.65f, 1.0f}, {0.95f, 0.85f, 0.3f}, {0.45f, 0.9f, 0.45f},
    {0.8f, 0.45f, 0.95f},  {0.3f, 0.9f, 0.9f},   {1.0f, 0.6f, 0.8f},   {0.95f, 0.95f, 0.95f},
};
constexpr int kKindColourCount = sizeof kKindColours / sizeof kKindColours[0];

std::vector<int> kindSignature(const model::Model& m, int c) {
  const model::IndexList& cell = (*m.cellPolygons)[c];
  std::vector<int> sizes;
  std::map<int, int> polygonsAt;
  for (int j = 0; j < cell.count; ++j) {
    const model::IndexList& polygon = (*m.polygons)[cell[j]];
    sizes.push_back(polygon.count);
    for (int i = 0; i < polygon.count; ++i) ++polygonsAt[polygon[i]];
  }
  std::sort(sizes.begin(), sizes.end());
  std::vector<int> degrees;
  for (const auto& entry : polygonsAt) degrees.push_back(entry.second);
  std::sort(degrees.begin(), degrees.end());
  // A separator no size or degree can take keeps the two parts apart.
  sizes.push_back(-1);
  sizes.insert(sizes.end(), degrees.begin(), degrees.end());
  return sizes;
}

}  // namespace

void CellPalette::setMaterial(int c, int* last, DrawSink* sink) const {
  const int index = colourOf[c];
  if (index == *last) return;
  *last = index;
  const std::array<float, 3>& rgb = colours[index];
  const float rgba[4] = {rgb[0], rgb[1], rgb[2], 1.0f};
  sink->material(rgba);
}

std::vector<int> cellKinds(const model::Model& m) {
  std::map<std::vector<int>, int> kindOf;
  std::vector<int> kinds(m.cellPolygons->count);
  for (int c = 0; c < m.cellPolygons->count; ++c) {
    const auto inserted = kindOf.emplace(kindSignature(m, c), static_cast<int>(kindOf.size()));
    kinds[c] = inserted.first->second;
  }
  return kinds;
}

std::array<float, 3> spreadHue(int i) {
  constexpr double kGoldenTurn = 0.6180339887498949;
  const double hue = std::fmod(i * kGoldenTurn, 1.0) * 6.0;
  // Light and fairly saturated: the light and the fog darken and grey it anyway.
  const double high = 1.0, low = 0.3;
  const int sector = static_cast<int>(hue) % 6;
  const double f = hue - std::floor(hue);
  const double rise = low + (high - low) * f, fall = high - (high - low) * f;
  const double rgb[6][3] = {{high, rise, low}, {fall, high, low}, {low, high, rise},
                            {low, fall, high}, {rise, low, high}, {high, low, fall}};
  return {static_cast<float>(rgb[sector][0]), static_cast<float>(rgb[sector][1]),
          static_cast<float>(rgb[sector][2])};
}

CellPalette makeCellPalette(const model::Model& m, ColourBy by) {
  CellPalette palette;
  if (by == ColourBy::kPolygons) return palette;
  if (by == ColourBy::kCell) {
    for (int c = 0; c < m.cellPolygons->count; ++c) {
      palette.colours.push_back(spreadHue(c));
      palette.colourOf.push_back(c);
    }
    return palette;
  }
  palette.colourOf = cellKinds(m);
  const int kinds = palette.colourOf.empty()
                        ? 0
                        : *std::max_element(palette.colourOf.begin(), palette.colourOf.end()) + 1;
  for (int k = 0; k < kinds; ++k) {
    if (k < kKindColourCount) {
      palette.colours.push_back({kKindColours[k][0], kKindColours[k][1], kKindColours[k][2]});
    } else {
      palette.colours.push_back(spreadHue(k));
    }
  }
  return palette;
}

}  // namespace orvex::render
