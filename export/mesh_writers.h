// Writing the scene's solids as 3D model files: STL, OBJ with its MTL, PLY, binary glTF
// and 3MF, through Assimp (3MF through lib3mf, whose files slicers read).
#pragma once

#include <string>

#include "export/scene_mesh.h"

namespace orvex::exporting {

enum class MeshFormat { kStl, kObj, kPly, kGlb, k3mf };

/// The format for name's extension, case ignored: .stl, .obj, .ply, .glb or .3mf.
/// False for any other.
bool meshFormatOf(const std::string& name, MeshFormat* format);

/// Where an OBJ file's materials go: name with its extension replaced by .mtl.
std::string materialFileOf(const std::string& objName);

/// Writes mesh (coordinates in millimetres) to path, with an OBJ's MTL beside it, whole or
/// not at all. Each solid keeps its name; colours go where the format holds them: OBJ
/// materials, PLY vertex colours, glTF materials, 3MF base materials (STL holds none).
/// False with *error one line naming the file.
bool writeMesh(const SceneMesh& mesh, MeshFormat format, const std::string& path,
               std::string* error);

}  // namespace orvex::exporting
