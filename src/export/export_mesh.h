#pragma once
// The viewer's terrain mesh taken out to a file's space. The viewer's Direct3D space is
// left-handed and the files' are right-handed, so positions are mirrored once: Z up gets
// (x, -y, z) and Y up gets (x, z, y). Every triangle then runs counter-clockwise seen from
// above, its normal towards the sky, and the terrain seen from above looks as the viewer shows
// it. glTF is Y up by definition; OBJ, PLY and STL carry no up axis, so the caller chooses the
// one the programs that open them assume.
//
// The namespace is mesh_export, not export as the folder is named: export is a C++ keyword.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "terrain/terrain_vertex.h"

namespace mesh_export {

enum class UpAxis { Z, Y };

// The triangles of the 126 strips, three vertex numbers each (vertex 127 c + r, as
// BuildTerrainMesh lays them out), wound counter-clockwise from above in the files' spaces.
const std::vector<std::uint16_t>& SectorTriangles();

// A vertex position in the file's space, the sector moved by (offsetX, offsetY) in the viewer's.
std::array<float, 3> FilePosition(const TerrainVertex& vertex, UpAxis up, float offsetX,
                                  float offsetY);

// The vertex's grey shade, 0 to 1.
float VertexGrey(const TerrainVertex& vertex);

// Collects sector meshes and writes them as one file, one mesh per sector.
class MeshFileWriter {
public:
    virtual ~MeshFileWriter() = default;
    // vertices: TerrainVertexCount of them. The offset places the sector in the world.
    virtual void AddSector(const std::string& name, const TerrainVertex* vertices, float offsetX,
                           float offsetY) = 0;
    // Hands the whole file's bytes to sink; throws std::exception when it cannot be built.
    virtual void Write(const std::function<void(const void*, std::size_t)>& sink) = 0;
};

enum class MeshFormat { Gltf, Glb, Obj, Ply, Stl };

// The ground texture glTF embeds.
struct EmbeddedTexture {
    std::vector<std::uint8_t> bytes;
    std::string mimeType;  // image/png or image/jpeg
};

// The writers live in a module of their own (mesh_writer_module.h), so that programs and commands
// that export no mesh do not pay for loading assimp and tinygltf. Its one entry point; texture may
// be null and is used by glTF and GLB only; up is ignored by them, which are always Y up.
extern "C" MeshFileWriter* VelmoraMakeMeshFileWriter(MeshFormat format, UpAxis up,
                                                     const EmbeddedTexture* texture);

}  // namespace mesh_export
