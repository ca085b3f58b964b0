#include "export/mesh_writers.h"

#include <Model/COM/NMR_DLLInterfaces.h>
#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

#include "base/output_file.h"

namespace orvex::exporting {
namespace {

std::string lowerExtension(const std::string& name) {
  const size_t slash = name.rfind('/');
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string extension = name.substr(dot + 1);
  for (char& ch : extension) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return extension;
}

std::string baseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

aiVector3D toAi(const model::Vec3& p) {
  return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

// One Assimp mesh: the triangles of one solid in one colour, over their own points. With
// flat, every triangle has its own three corners carrying its normal: STL's writer makes
// a facet's normal from its corners' normals.
aiMesh* meshOf(const Solid& solid, int colour, const std::array<float, 3>* vertexColour,
               bool flat) {
  std::vector<int> remap(solid.points.size(), -1);
  std::vector<aiVector3D> points, normals;
  std::vector<std::array<unsigned, 3>> faces;
  for (size_t t = 0; t < solid.triangles.size(); ++t) {
    if (solid.colours[t] != colour) continue;
    const std::array<int, 3>& corners = solid.triangles[t];
    std::array<unsigned, 3> face;
    if (flat) {
      const model::Vec3 n = model::cross(solid.points[corners[1]] - solid.points[corners[0]],
                                         solid.points[corners[2]] - solid.points[corners[0]]);
      const double length = model::length(n);
      for (int k = 0; k < 3; ++k) {
        face[k] = static_cast<unsigned>(points.size());
        points.push_back(toAi(solid.points[corners[k]]));
        normals.push_back(length > 0.0 ? toAi((1.0 / length) * n) : aiVector3D(0.0f, 0.0f, 0.0f));
      }
      faces.push_back(face);
      continue;
    }
    for (int k = 0; k < 3; ++k) {
      int& to = remap[corners[k]];
      if (to < 0) {
        to = static_cast<int>(points.size());
        points.push_back(toAi(solid.points[corners[k]]));
      }
      face[k] = static_cast<unsigned>(to);
    }
    faces.push_back(face);
  }
  if (faces.empty()) return nullptr;
  auto* mesh = new aiMesh;
  mesh->mName = solid.name;
  mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
  mesh->mMaterialIndex = static_cast<unsigned>(colour);
  mesh->mNumVertices = static_cast<unsigned>(points.size());
  mesh->mVertices = new aiVector3D[points.size()];
  std::copy(points.begin(), points.end(), mesh->mVertices);
  if (flat) {
    mesh->mNormals = new aiVector3D[normals.size()];
    std::copy(normals.begin(), normals.end(), mesh->mNormals);
  }
  if (vertexColour != nullptr) {
    mesh->mColors[0] = new aiColor4D[points.size()];
    const aiColor4D c((*vertexColour)[0], (*vertexColour)[1], (*vertexColour)[2], 1.0f);
    std::fill(mesh->mColors[0], mesh->mColors[0] + points.size(), c);
  }
  mesh->mNumFaces = static_cast<unsigned>(faces.size());
  mesh->mFaces = new aiFace[faces.size()];
  for (size_t f = 0; f < faces.size(); ++f) {
    mesh->mFaces[f].mNumIndices = 3;
    mesh->mFaces[f].mIndices = new unsigned[3]{faces[f][0], faces[f][1], faces[f][2]};
  }
  return mesh;
}

// The Assimp scene: a material per colour and, under the root, a node per solid holding a
// mesh per colour it uses. For PLY every mesh carries its colour on its vertices, the one
// place that format has for it.
std::unique_ptr<aiScene> assimpScene(const SceneMesh& source, bool vertexColours, bool flat) {
  auto scene = std::make_unique<aiScene>();
  scene->mRootNode = new aiNode("orvex");
  scene->mNumMaterials = static_cast<unsigned>(std::max<size_t>(source.colours.size(), 1));
  scene->mMaterials = new aiMaterial*[scene->mNumMaterials];
  for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
    auto* material = new aiMaterial;
    const std::array<float, 3> rgb =
        i < source.colours.size() ? source.colours[i] : std::array<float, 3>{0.8f, 0.8f, 0.8f};
    const aiColor4D colour(rgb[0], rgb[1], rgb[2], 1.0f);
    const aiString name("colour" + std::to_string(i + 1));
    material->AddProperty(&name, AI_MATKEY_NAME);
    material->AddProperty(&colour, 1, AI_MATKEY_COLOR_DIFFUSE);
    material->AddProperty(&colour, 1, AI_MATKEY_BASE_COLOR);
    scene->mMaterials[i] = material;
  }
  std::vector<aiMesh*> meshes;
  std::vector<aiNode*> nodes;
  for (const Solid& solid : source.solids) {
    auto* node = new aiNode(solid.name);
    std::vector<unsigned> own;
    for (size_t c = 0; c < source.colours.size(); ++c) {
      aiMesh* mesh = meshOf(solid, static_cast<int>(c),
                            vertexColours ? &source.colours[c] : nullptr, flat);
      if (mesh == nullptr) continue;
      own.push_back(static_cast<unsigned>(meshes.size()));
      meshes.push_back(mesh);
    }
    node->mNumMeshes = static_cast<unsigned>(own.size());
    node->mMeshes = new unsigned[own.size()];
    std::copy(own.begin(), own.end(), node->mMeshes);
    node->mParent = scene->mRootNode;
    nodes.push_back(node);
  }
  scene->mNumMeshes = static_cast<unsigned>(meshes.size());
  scene->mMeshes = new aiMesh*[meshes.size()];
  std::copy(meshes.begin(), meshes.end(), scene->mMeshes);
  scene->mRootNode->mNumChildren = static_cast<unsigned>(nodes.size());
  scene->mRootNode->mChildren = new aiNode*[nodes.size()];
  std::copy(nodes.begin(), nodes.end(), scene->mRootNode->mChildren);
  return scene;
}

// Assimp writes an OBJ's material file name as its blob's placeholder: put in the real one.
void nameMaterialFile(std::string* obj, const std::string& mtlName) {
  const size_t at = obj->find("mtllib ");
  if (at == std::string::npos) return;
  const size_t lineEnd = obj->find('\n', at);
  obj->replace(at, lineEnd - at, "mtllib " + mtlName);
}

bool writeThroughAssimp(const SceneMesh& mesh, MeshFormat format, const std::string& path,
                        std::vector<model::OutputFile>* files, std::string* error) {
  // PLY's binary writer in Assimp 5.2 stores vertex colours as floats under a uchar
  // header; the text form is read back right by every reader.
  const char* id = format == MeshFormat::kStl   ? "stlb"
                   : format == MeshFormat::kObj ? "obj"
                   : format == MeshFormat::kPly ? "ply"
                                                : "glb2";
  std::unique_ptr<aiScene> scene =
      assimpScene(mesh, format == MeshFormat::kPly, format == MeshFormat::kStl);
  Assimp::Exporter exporter;
  const aiExportDataBlob* blob = exporter.ExportToBlob(scene.get(), id);
  if (blob == nullptr) {
    *error = path + ": cannot write: " + exporter.GetErrorString();
    return false;
  }
  std::string bytes(static_cast<const char*>(blob->data), blob->size);
  if (format == MeshFormat::kObj) {
    const std::string mtlPath = materialFileOf(path);
    nameMaterialFile(&bytes, baseName(mtlPath));
    files->push_back({path, bytes});
    for (const aiExportDataBlob* next = blob->next; next != nullptr; next = next->next) {
      files->push_back({mtlPath, std::string(static_cast<const char*>(next->data), next->size)});
    }
    return true;
  }
  files->push_back({path, bytes});
  return true;
}

// lib3mf's handles are released in reverse order of making.
class Lib3mfHandles {
 public:
  ~Lib3mfHandles() {
    for (auto it = held_.rbegin(); it != held_.rend(); ++it) NMR::lib3mf_release(*it);
  }
  template <typename T>
  T* hold(T* handle) {
    if (handle != nullptr) held_.push_back(handle);
    return handle;
  }

 private:
  std::vector<NMR::PLib3MFBase*> held_;
};

// A 3MF model made through lib3mf's C interface: once a call is refused, ok() stays false
// and no later call that depends on it is made.
class Lib3mfModel {
 public:
  Lib3mfModel() {
    check(NMR::lib3mf_createmodel(&model_));
    handles_.hold(model_);
  }
  bool ok() const { return ok_; }

  // One base material a colour, named colour1, colour2, ...
  void addColours(const std::vector<std::array<float, 3>>& colours);
  void addSolid(const Solid& solid);
  // The 3MF file's bytes.
  void write(std::string* bytes);

 private:
  void check(LIB3MFRESULT result) { ok_ = ok_ && result == LIB3MF_OK; }

  Lib3mfHandles handles_;
  bool ok_ = true;
  NMR::PLib3MFModel* model_ = nullptr;
  DWORD groupId_ = 0;
  std::vector<DWORD> materials_;
};

void Lib3mfModel::addColours(const std::vector<std::array<float, 3>>& colours) {
  using namespace NMR;
  PLib3MFModelBaseMaterial* group = nullptr;
  if (ok_) check(lib3mf_model_setunit(model_, MODELUNIT_MILLIMETER));
  if (ok_) check(lib3mf_model_addbasematerialgroup(model_, &group));
  handles_.hold(group);
  if (ok_) check(lib3mf_basematerial_getresourceid(group, &groupId_));
  for (size_t c = 0; ok_ && c < colours.size(); ++c) {
    const auto byte = [](float v) { return static_cast<BYTE>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
    const std::array<float, 3>& rgb = colours[c];
    DWORD index = 0;
    const std::string name = "colour" + std::to_string(c + 1);
    check(lib3mf_basematerial_addmaterialutf8(group, name.c_str(), byte(rgb[0]), byte(rgb[1]),
                                              byte(rgb[2]), &index));
    // Given alone, the colour comes out fully transparent: state it opaque.
    if (ok_) {
      check(lib3mf_basematerial_setdisplaycolorrgba(group, index, byte(rgb[0]), byte(rgb[1]),
                                                    byte(rgb[2]), 255));
    }
    materials_.push_back(index);
  }
}

void Lib3mfModel::addSolid(const Solid& solid) {
  using namespace NMR;
  if (!ok_) return;
  std::vector<MODELMESHVERTEX> points(solid.points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    points[i].m_fPosition[0] = static_cast<FLOAT>(solid.points[i].x);
    points[i].m_fPosition[1] = static_cast<FLOAT>(solid.points[i].y);
    points[i].m_fPosition[2] = static_cast<FLOAT>(solid.points[i].z);
  }
  std::vector<MODELMESHTRIANGLE> triangles(solid.triangles.size());
  for (size_t t = 0; t < triangles.size(); ++t) {
    for (int k = 0; k < 3; ++k) triangles[t].m_nIndices[k] = static_cast<DWORD>(solid.triangles[t][k]);
  }
  PLib3MFModelMeshObject* object = nullptr;
  check(lib3mf_model_addmeshobject(model_, &object));
  handles_.hold(object);
  if (ok_) check(lib3mf_object_setnameutf8(object, solid.name.c_str()));
  if (ok_) {
    check(lib3mf_meshobject_setgeometry(object, points.data(), static_cast<DWORD>(points.size()),
                                        triangles.data(), static_cast<DWORD>(triangles.size())));
  }
  PLib3MFDefaultPropertyHandler* objectColour = nullptr;
  if (ok_ && !solid.colours.empty()) {
    check(lib3mf_object_createdefaultpropertyhandler(object, &objectColour));
    handles_.hold(objectColour);
    if (ok_) {
      check(lib3mf_defaultpropertyhandler_setbasematerial(objectColour, groupId_,
                                                          materials_[solid.colours[0]]));
    }
  }
  PLib3MFPropertyHandler* triangleColours = nullptr;
  if (ok_) check(lib3mf_meshobject_createpropertyhandler(object, &triangleColours));
  handles_.hold(triangleColours);
  for (size_t t = 0; ok_ && t < solid.colours.size(); ++t) {
    check(lib3mf_propertyhandler_setbasematerial(triangleColours, static_cast<DWORD>(t), groupId_,
                                                 materials_[solid.colours[t]]));
  }
  PLib3MFModelBuildItem* item = nullptr;
  if (ok_) check(lib3mf_model_addbuilditem(model_, object, nullptr, &item));
  handles_.hold(item);
}

void Lib3mfModel::write(std::string* bytes) {
  using namespace NMR;
  PLib3MFModelWriter* writer = nullptr;
  if (ok_) check(lib3mf_model_querywriter(model_, "3mf", &writer));
  handles_.hold(writer);
  ULONG64 size = 0;
  if (ok_) check(lib3mf_writer_getstreamsize(writer, &size));
  bytes->assign(static_cast<size_t>(size), '\0');
  if (ok_) check(lib3mf_writer_writetobuffer(writer, reinterpret_cast<BYTE*>(bytes->data()), size));
}

bool write3mf(const SceneMesh& mesh, const std::string& path, std::vector<model::OutputFile>* files,
              std::string* error) {
  Lib3mfModel model;
  model.addColours(mesh.colours);
  for (const Solid& solid : mesh.solids) model.addSolid(solid);
  std::string bytes;
  model.write(&bytes);
  if (!model.ok()) {
    *error = path + ": cannot write: the 3MF library refused the model";
    return false;
  }
  files->push_back({path, bytes});
  return true;
}

}  // namespace

bool meshFormatOf(const std::string& name, MeshFormat* format) {
  static const std::pair<const char*, MeshFormat> kFormats[] = {{"stl", MeshFormat::kStl},
                                                                {"obj", MeshFormat::kObj},
                                                                {"ply", MeshFormat::kPly},
                                                                {"glb", MeshFormat::kGlb},
                                                                {"3mf", MeshFormat::k3mf}};
  const std::string extension = lowerExtension(name);
  for (const auto& [text, kind] : kFormats) {
    if (extension == text) {
      *format = kind;
      return true;
    }
  }
  return false;
}

std::string materialFileOf(const std::string& objName) {
  const size_t slash = objName.rfind('/');
  const size_t dot = objName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return objName + ".mtl";
  }
  return objName.substr(0, dot) + ".mtl";
}

bool writeMesh(const SceneMesh& mesh, MeshFormat format, const std::string& path,
               std::string* error) {
  std::vector<model::OutputFile> files;
  const bool made = format == MeshFormat::k3mf ? write3mf(mesh, path, &files, error)
                                               : writeThroughAssimp(mesh, format, path, &files, error);
  return made && model::writeFilesWhole(files, error);
}

}  // namespace orvex::exporting
