#pragma once
// The mesh writers module (mesh_writer_entry.cpp, with assimp and tinygltf behind it), loaded the
// first time a program exports a mesh. Where it lies is the program's to say.

#include <filesystem>
#include <memory>
#include <vector>

#include "export/export_mesh.h"

namespace mesh_export {

class MeshWriterModule {
public:
    // Loads the module from the first of `candidates` that loads and has the entry point. It is
    // never unloaded: writers made by it may live until the process ends. Throws ExportError
    // naming what went wrong with each candidate.
    explicit MeshWriterModule(const std::vector<std::filesystem::path>& candidates);

    // Throws ExportError when the module has no writer for the format.
    std::unique_ptr<MeshFileWriter> MakeWriter(MeshFormat format, UpAxis up,
                                               const EmbeddedTexture* texture) const;

private:
    using Entry = MeshFileWriter* (*)(MeshFormat, UpAxis, const EmbeddedTexture*);
    Entry entry_ = nullptr;
};

}  // namespace mesh_export
