// orvex-render's files that leave the screen: the drawn scene as a 3D model (STL, OBJ,
// PLY, glTF, 3MF), as a strut model, or as a vector figure (SVG, PDF).
#pragma once

#include <string>

#include "model/model.h"
#include "tools/orvex-render/render_options.h"
#include "view4d/transform4.h"

namespace orvex::render_tool {

/// The rules between the export options and the rest, once all are read: "" or the
/// error line.
std::string checkExportOptions(const RenderOptions& options);

/// The strut radius in millimetres: --strut-radius, or 1% of the print size.
double strutRadiusOf(const ExportOptions& exported);

/// Writes options.output as a 3D model or vector figure of model, turned to start as the
/// pictures would be. Returns the exit status; a problem is one line on stderr.
int runExport(const model::Model& model, const RenderOptions& options,
              const view4d::Transform4& start);

/// The picture of --struts: the strut model drawn in the scene on the current context,
/// in the proportions it is printed in.
void drawStrutFrame(const model::Model& model, const view4d::Transform4& view,
                    const RenderOptions& options);

}  // namespace orvex::render_tool
