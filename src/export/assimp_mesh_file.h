#pragma once
// OBJ, PLY and STL through assimp's exporters.

#include <memory>
#include <string>

#include "export/export_mesh.h"

namespace mesh_export {

// formatId: assimp's exporter id ("objnomtl", "plyb", "stlb").
std::unique_ptr<MeshFileWriter> MakeAssimpMeshFileWriter(const std::string& formatId, UpAxis up);

}  // namespace mesh_export
