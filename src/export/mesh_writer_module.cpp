#include "export/mesh_writer_module.h"

#include <dlfcn.h>

#include <string>

#include "export/export_error.h"

namespace mesh_export {

MeshWriterModule::MeshWriterModule(const std::vector<std::filesystem::path>& candidates) {
    std::string problems;
    for (const std::filesystem::path& candidate : candidates) {
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            problems += std::string("; ") + dlerror();
            continue;
        }
        if (void* symbol = dlsym(module, "VelmoraMakeMeshFileWriter")) {
            entry_ = reinterpret_cast<Entry>(symbol);
            return;
        }
        problems += "; " + candidate.string() + " has no mesh writers";
    }
    throw ExportError("cannot load the mesh writers" + problems);
}

std::unique_ptr<MeshFileWriter> MeshWriterModule::MakeWriter(MeshFormat format, UpAxis up,
                                                             const EmbeddedTexture* texture) const {
    std::unique_ptr<MeshFileWriter> writer(entry_(format, up, texture));
    if (!writer) {
        throw ExportError("no mesh writer for this format");
    }
    return writer;
}

}  // namespace mesh_export
