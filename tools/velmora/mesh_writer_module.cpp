#include "mesh_writer_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>

#include "command.h"

namespace {

namespace fs = std::filesystem;

using MakeWriter = MeshFileWriter* (*)(MeshFormat, UpAxis, const EmbeddedTexture*);

MakeWriter LoadEntryPoint() {
    // The module stays loaded until the process ends: writers made by it may live that long.
    static const MakeWriter entry = []() -> MakeWriter {
        std::error_code error;
        const fs::path executable = fs::read_symlink("/proc/self/exe", error);
        if (error) {
            throw CommandFailure(ExitFailure, "cannot find the velmora executable's folder");
        }
        const fs::path folder = executable.parent_path();
        std::string problems;
        for (const fs::path& candidate :
             {folder / VELMORA_MESH_WRITERS_NAME, folder / VELMORA_MESH_WRITERS_INSTALLED}) {
            void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (module == nullptr) {
                problems += std::string("; ") + dlerror();
                continue;
            }
            if (void* symbol = dlsym(module, "VelmoraMakeMeshFileWriter")) {
                return reinterpret_cast<MakeWriter>(symbol);
            }
            problems += "; " + candidate.string() + " has no mesh writers";
        }
        throw CommandFailure(ExitFailure, "cannot load the mesh writers" + problems);
    }();
    return entry;
}

}  // namespace

std::unique_ptr<MeshFileWriter> MakeMeshFileWriter(MeshFormat format, UpAxis up,
                                                   const EmbeddedTexture* texture) {
    std::unique_ptr<MeshFileWriter> writer(LoadEntryPoint()(format, up, texture));
    if (!writer) {
        throw CommandFailure(ExitFailure, "no mesh writer for this format");
    }
    return writer;
}
