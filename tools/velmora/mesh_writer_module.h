#pragma once
// Loads the mesh writers module (assimp and tinygltf behind it) the first time a mesh is
// exported: beside the velmora executable in the build tree, or where it is installed.

#include <memory>

#include "export_mesh.h"

// Throws CommandFailure (exit 1) when the module cannot be loaded.
std::unique_ptr<MeshFileWriter> MakeMeshFileWriter(MeshFormat format, UpAxis up,
                                                   const EmbeddedTexture* texture);
