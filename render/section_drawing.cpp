#include "render/section_drawing.h"

#include "render/cell_colours.h"
#include "render/cell_outline.h"
#include "render/scene.h"

namespace orvex::render {

using model::Vec3;

void drawSection(const Section& s, const model::Model& m, const Vec3& eye,
                 const DrawSettings& settings, DrawSink* sink) {
  const model::IndexListArray& cellPolygons = *m.cellPolygons;
  const bool frames = settings.fillType == 1;
  int lastMaterialCount = 0;
  int lastColour = -1;
  for (const Section::Face& face : s.faces) {
    const int k = cellPolygons[face.cell].count;
    if (k == settings.hidePoly) continue;
    if (settings.palette != nullptr) {
      settings.palette->setMaterial(face.cell, &lastColour, sink);
    } else {
      setCellMaterial(k, &lastMaterialCount, sink);
    }
    const std::vector<int>& c = face.corners;
    const int count = static_cast<int>(c.size());
    sink->normal(faceNormal(s.points[c[0]], s.points[c[1]], s.points[c[2]], eye));
    if (!frames) {
      sink->begin(Primitive::kTriangleFan);
      for (int i = 0; i < count; ++i) sink->vertex(s.points[c[i]]);
      sink->end();
      continue;
    }
    Vec3 centre;
    for (int i = 0; i < count; ++i) centre = centre + s.points[c[i]];
    centre = (1.0 / count) * centre;
    sink->begin(Primitive::kTriangleStrip);
    for (int i = 0; i <= count; ++i) {
      // i == count closes the ring on the first corner again.
      const Vec3& outer = s.points[c[i % count]];
      sink->vertex(outer);
      sink->vertex(kFrameOuterWeight * outer + kFrameCentreWeight * centre);
    }
    sink->end();
  }
}

void drawSectionOutlines(const Section& s, bool edges, bool vertices, DrawSink* sink) {
  if (!edges && !vertices) return;
  sink->material(kOutlineColour);
  if (edges) {
    sink->begin(Primitive::kLines);
    for (const auto& [a, b] : s.edges) {
      sink->vertex(s.points[a]);
      sink->vertex(s.points[b]);
    }
    sink->end();
  }
  if (vertices) {
    sink->begin(Primitive::kPoints);
    for (const Vec3& p : s.points) sink->vertex(p);
    sink->end();
  }
}

}  // namespace orvex::render
