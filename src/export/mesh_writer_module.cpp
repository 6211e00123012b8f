#include "export/mesh_writer_module.h"

#include <string>

#include "export/export_error.h"
#include "modules/module_entry.h"

namespace mesh_export {

MeshWriterModule::MeshWriterModule(const std::vector<std::filesystem::path>& candidates) {
    std::string problems;
    entry_ = reinterpret_cast<Entry>(modules::FindModuleEntry(
        candidates, "VelmoraMakeMeshFileWriter", "mesh writers", problems));
    if (entry_ == nullptr) {
        throw ExportError("cannot load the mesh writers" + problems);
    }
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
