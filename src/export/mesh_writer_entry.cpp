// The mesh writers module's entry point.

#include <optional>
#include <utility>

#include "export/assimp_mesh_file.h"
#include "export/export_mesh.h"
#include "export/gltf_mesh_file.h"

namespace mesh_export {

extern "C" MeshFileWriter* VelmoraMakeMeshFileWriter(MeshFormat format, UpAxis up,
                                                     const EmbeddedTexture* texture) {
    std::optional<EmbeddedTexture> embedded;
    if (texture != nullptr) {
        embedded = *texture;
    }
    // Ownership passes to the caller, who holds the writer in a unique_ptr at once.
    switch (format) {
        case MeshFormat::Gltf:
            return MakeGltfMeshFileWriter(false, std::move(embedded)).release();
        case MeshFormat::Glb:
            return MakeGltfMeshFileWriter(true, std::move(embedded)).release();
        case MeshFormat::Obj:
            return MakeAssimpMeshFileWriter("objnomtl", up).release();
        case MeshFormat::Ply:
            // ASCII: assimp 5.2.5's binary PLY writer declares uchar colours but writes floats.
            return MakeAssimpMeshFileWriter("ply", up).release();
        case MeshFormat::Stl:
            return MakeAssimpMeshFileWriter("stlb", up).release();
    }
    return nullptr;
}

}  // namespace mesh_export
