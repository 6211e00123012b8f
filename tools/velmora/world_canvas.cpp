#include "world_canvas.h"

#include <cstdio>
#include <stdexcept>
#include <system_error>

#include "app/platform/wine/windows_path.h"
#include "command.h"
#include "map/map_error.h"
#include "map/png_stream.h"
#include "output_file.h"
#include "world/render/ground_image.h"
#include "world_layout.h"

namespace fs = std::filesystem;

WorldCanvas::WorldCanvas(int width, int height, std::size_t bufferBytes)
    : width_(width), height_(height) {
    try {
        context_ = std::make_unique<gl::HeadlessContext>();
    } catch (const std::runtime_error& error) {
        throw CommandFailure(
            ExitFailure, std::string("no OpenGL 4.5 context can be made (EGL): ") + error.what());
    }
    framebuffer_ =
        std::make_unique<gl::OffscreenFramebuffer>(width, height, gl::ClipOrigin::UpperLeft);
    renderer_ = std::make_unique<world::render::WorldRenderer>(bufferBytes);
}

void WorldCanvas::UseTexture(const std::string& chosen, const std::string& command) {
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
        renderer_->SetGroundTexture(world::render::ReadGroundImage(file));
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "velmora %s: the texture %s is not used, the terrain is grey: %s\n",
                     command.c_str(), PrintableName(file.string()).c_str(), error.what());
    }
}

void WorldCanvas::Draw(const world::FrameSelection& frame, const world::Camera& camera,
                       const ShadingRange& range) {
    renderer_->Draw(frame, camera, range, framebuffer_->name(), width_, height_);
}

std::vector<std::uint8_t> WorldCanvas::Pixels() const {
    return framebuffer_->ReadPixels();
}

void WorldCanvas::WritePng(const std::vector<std::uint8_t>& rgba, OutputFile& file) const {
    try {
        map::PngStream png(
            [&file](const void* bytes, std::size_t size) { file.Write(bytes, size); },
            static_cast<std::uint32_t>(width_), static_cast<std::uint32_t>(height_),
            map::PngPixels::Rgba8);
        for (int row = 0; row < height_; ++row) {
            png.WriteRow(rgba.data() + std::size_t(row) * png.RowBytes());
        }
    } catch (const map::MapError& failure) {
        throw CommandFailure(ExitFailure, failure.what());
    }
    file.Commit();
}
