#pragma once
// glTF 2.0 through tinygltf, Y up: one self-contained file (.gltf with its data inline, or .glb)
// with the ground texture embedded as the base colour, sampled as the viewer samples it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/export_mesh.h"

namespace mesh_export {

std::unique_ptr<MeshFileWriter> MakeGltfMeshFileWriter(bool binary,
                                                       std::optional<EmbeddedTexture> texture);

}  // namespace mesh_export
