// velmora render: the frame the viewer would draw for a sector, drawn headless and saved as PNG.

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <afx.h>
#include "camera/camera_state.h"
#include "catalogue_session.h"
#include "command.h"
#include "output_file.h"
#include "png_stream.h"
#include "render/d3d9/direct3d_backend.h"
#include "render/d3d9/gl/gl_backend.h"
#include "render/d3d9/gl/offscreen_target.h"
#include "render/renderer.h"

namespace {

namespace fs = std::filesystem;
using velmora::d3d9::gl::BackBufferPixels;
using velmora::d3d9::gl::OffscreenTarget;

struct RenderRequest {
    std::string world;
    std::string sector;
    std::string output;
    UINT width = 800;
    UINT height = 800;
    std::vector<float> camera;
    std::string texture;
};

// WIDTHxHEIGHT, each 1 to 8192.
std::optional<std::pair<UINT, UINT>> ParseSize(const std::string& text) {
    const auto side = [](std::string_view digits) -> std::optional<UINT> {
        UINT value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size() || value == 0 ||
            value > 8192) {
            return std::nullopt;
        }
        return value;
    };
    const std::size_t x = text.find('x');
    if (x == std::string::npos) {
        return std::nullopt;
    }
    const auto width = side(std::string_view(text).substr(0, x));
    const auto height = side(std::string_view(text).substr(x + 1));
    if (!width || !height) {
        return std::nullopt;
    }
    return std::pair{*width, *height};
}

// The device reads its ground texture from .\terrain.image; for --texture it runs in a scratch
// directory where that name leads to the chosen file.
class TextureDirectory {
public:
    explicit TextureDirectory(const std::optional<std::string>& texture) {
        if (!texture) {
            return;
        }
        std::string pattern = (fs::temp_directory_path() / "velmora-render-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw CommandFailure(ExitFailure, "cannot make a scratch directory");
        }
        scratch_ = pattern;
        fs::create_symlink(*texture, *scratch_ / "terrain.image");
        previous_ = fs::current_path();
        fs::current_path(*scratch_);
    }
    ~TextureDirectory() {
        if (!scratch_) {
            return;
        }
        std::error_code ignored;
        fs::current_path(previous_, ignored);
        fs::remove_all(*scratch_, ignored);
    }
    TextureDirectory(const TextureDirectory&) = delete;
    TextureDirectory& operator=(const TextureDirectory&) = delete;

private:
    std::optional<fs::path> scratch_;
    fs::path previous_;
};

// Releases the renderer before the offscreen target that its device draws into.
class RendererScope {
public:
    RendererScope() = default;
    ~RendererScope() { DestroyRenderer(); }
    RendererScope(const RendererScope&) = delete;
    RendererScope& operator=(const RendererScope&) = delete;
};

void WritePng(const std::string& output, const BackBufferPixels& pixels) {
    // Replaces an existing file, as this command always has, but never leaves a partial one.
    OutputFile file(output, true);
    PngStream png(file, pixels.width, pixels.height, PngPixels::Rgba8);
    for (UINT row = 0; row < pixels.height; ++row) {
        png.WriteRow(pixels.rgba.data() + std::size_t{row} * png.RowBytes());
    }
    file.Commit();
}

int RunRender(const RenderRequest& request) {
    if (request.camera.size() == 5) {
        CameraX = request.camera[0];
        CameraY = request.camera[1];
        CameraZ = request.camera[2];
        CameraYaw = request.camera[3];
        CameraPitch = request.camera[4];
    }
    CatalogueSession session;
    const std::string heightmap = session.HeightmapPath(request.world, request.sector);

    ScopedDirect3DBackend backend(velmora::d3d9::gl::GlBackend());
    const std::shared_ptr<OffscreenTarget> target =
        OffscreenTarget::Create(request.width, request.height);
    if (!target) {
        throw CommandFailure(ExitFailure, "no OpenGL 4.5 context can be made (EGL)");
    }

    RendererScope renderer;
    bool created = false;
    {
        TextureDirectory textureDirectory(
            request.texture.empty() ? std::nullopt
                                    : std::optional(fs::absolute(request.texture).string()));
        created = CreateRenderer(target->Window());
    }
    if (!created) {
        // A failed device creation has already said why, in its message box on stderr.
        const bool reported =
            RendererDevice && RendererDevice->d3d != nullptr && RendererDevice->device == nullptr;
        throw CommandFailure(ExitFailure, reported ? "" : "the renderer cannot be created");
    }
    try {
        if (!RendererTerrain->LoadHeightmap(heightmap.c_str())) {
            throw CommandFailure(ExitFailure, "cannot read the heightmap file " + heightmap);
        }
    } catch (const CFileException& error) {
        throw CommandFailure(ExitFailure, error.what());
    }
    RenderFrame();

    const std::optional<BackBufferPixels> pixels =
        velmora::d3d9::gl::ReadBackBuffer(RendererDevice->device);
    if (!pixels) {
        throw CommandFailure(ExitFailure, "cannot read the rendered frame back");
    }
    WritePng(request.output, *pixels);
    return ExitSuccess;
}

}  // namespace

void AddRenderCommand(CLI::App& velmora, ChosenCommand& chosen) {
    auto request = std::make_shared<RenderRequest>();
    CLI::App* render = AddSubcommand(
        velmora, "render", "draws the viewer's frame of a sector to PNG",
        "Draws the frame the viewer would show for SECTOR of WORLD, headless (OpenGL through "
        "EGL,\nno display needed), and writes it to FILE.png (replacing it).\n"
        "An unknown world or sector exits with 2; an unreadable heightmap or a device that "
        "cannot\nbe made exits with 1.");
    render->add_option("WORLD", request->world, "a world as `velmora worlds` lists it")->required();
    render->add_option("SECTOR", request->sector, "a sector as `velmora sectors` lists it")
        ->required();
    render->add_option("--output", request->output, "the PNG file to write")
        ->required()
        ->type_name("FILE.png");
    render
        ->add_option_function<std::string>(
            "--size",
            [request](const std::string& text) {
                const auto size = ParseSize(text);
                if (!size) {
                    throw CLI::ValidationError("--size", "takes WIDTHxHEIGHT, each 1 to 8192");
                }
                request->width = size->first;
                request->height = size->second;
            },
            "back buffer size in pixels (default 800x800)")
        ->type_name("WxH");
    render
        ->add_option("--camera", request->camera,
                     "camera position and angles in radians (default 600,600,3000,0,3.1: the "
                     "viewer's start)")
        ->delimiter(',')
        ->expected(5)
        ->type_name("X,Y,Z,YAW,PITCH");
    render
        ->add_option("--texture", request->texture,
                     "ground texture (default: terrain.image in the current directory, as the "
                     "viewer; without one the terrain is grey)")
        ->type_name("FILE");
    render->callback([&chosen, request] {
        chosen = {"render", [request] { return RunRender(*request); }};
    });
}
