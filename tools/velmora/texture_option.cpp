#include "texture_option.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "app/platform/wine/windows_path.h"
#include "text/printable_name.h"
#include "world/render/ground_image.h"

void UseTextureOption(world::render::HeadlessCanvas& canvas, const std::string& chosen,
                      const std::string& command) {
    namespace fs = std::filesystem;
    fs::path file;
    if (chosen.empty()) {
        // The viewer opens .\terrain.image, which Wine finds in any case.
        file = wine::ResolveWindowsPath(".\\terrain.image").hostPath;
        std::error_code ignored;
        if (!fs::exists(file, ignored)) {
            return;
        }
    } else {
        file = chosen;
    }
    try {
        canvas.SetGroundTexture(world::render::ReadGroundImage(file));
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "velmora %s: the texture %s is not used, the terrain is grey: %s\n",
                     command.c_str(), text::PrintableName(file.string()).c_str(), error.what());
    }
}
