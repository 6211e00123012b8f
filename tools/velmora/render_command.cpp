// velmora render: the frame the viewer would draw for a sector, or the whole world drawn by the
// world renderer with levels of detail, drawn headless and saved as PNG.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <afx.h>
#include "camera/camera_state.h"
#include "command_list.h"
#include "files/output_error.h"
#include "files/output_file.h"
#include "headless_catalogue/catalogue_session.h"
#include "headless_catalogue/catalogue_world.h"
#include "map/map_error.h"
#include "map/rgba_png.h"
#include "output_failure.h"
#include "picture_size.h"
#include "render/d3d9/direct3d_backend.h"
#include "render/d3d9/gl/gl_backend.h"
#include "render/d3d9/gl/offscreen_target.h"
#include "render/renderer.h"
#include "shading_option.h"
#include "texture_option.h"
#include "world/overview_camera.h"
#include "world/render/headless_canvas.h"
#include "world_messages.h"

namespace {

namespace fs = std::filesystem;
using files::OutputFile;
using velmora::d3d9::gl::BackBufferPixels;
using velmora::d3d9::gl::OffscreenTarget;

struct RenderRequest {
    std::string world;
    std::string sector;
    std::string output;
    bool sized = false;
    UINT width = 800;
    UINT height = 800;
    // As CLI11 reads a float, through long double: the sector's frame keeps its float camera.
    std::vector<long double> camera;
    std::string texture;
    // The whole world.
    bool all = false;
    double maxError = 1.0;
    std::size_t cacheMegabytes = 256;
    bool skipUnreadable = false;
    world::Shading shading = world::Shading::Height;
};

// Writes an RGBA picture, top row first, into `file` and commits it.
void WritePng(const std::vector<std::uint8_t>& rgba, std::uint32_t width, std::uint32_t height,
              OutputFile& file) {
    map::WriteRgbaPng(rgba.data(), width, height,
                      [&file](const void* bytes, std::size_t size) { file.Write(bytes, size); });
    file.Commit();
}

// The whole world's frame, once every sector it wants is loaded.
int RunRenderAll(const RenderRequest& request) {
    const int width = request.sized ? static_cast<int>(request.width) : 1280;
    const int height = request.sized ? static_cast<int>(request.height) : 720;
    const std::size_t cacheBytes = request.cacheMegabytes << 20;
    const world::render::CanvasWarmUp warmUp;
    WorldMessages messages("render", request.skipUnreadable);
    headless_catalogue::CatalogueWorld world(request.world, cacheBytes, messages.Reports());
    messages.SayFirstPass(world);
    // The output is claimed before the drawing, so that a missing folder is said at once.
    OutputFile file(request.output, true);
    world::Camera camera = world::OverviewCamera(world.Model().Extent());
    if (request.camera.size() == 5) {
        camera = {static_cast<double>(request.camera[0]), static_cast<double>(request.camera[1]),
                  static_cast<double>(request.camera[2]), static_cast<double>(request.camera[3]),
                  static_cast<double>(request.camera[4])};
    }
    world::render::HeadlessCanvas canvas(width, height, cacheBytes);
    UseTextureOption(canvas, request.texture, "render");
    canvas.SetShading(request.shading);
    const world::FrameSelection frame =
        world.SelectSettled(camera, width, height, request.maxError);
    canvas.Draw(frame, camera, world.Model().Range());
    WritePng(canvas.Pixels(), static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
             file);
    messages.SayRemaining(world);
    return ExitSuccess;
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

int RunRender(const RenderRequest& request) {
    if (request.camera.size() == 5) {
        CameraX = static_cast<float>(request.camera[0]);
        CameraY = static_cast<float>(request.camera[1]);
        CameraZ = static_cast<float>(request.camera[2]);
        CameraYaw = static_cast<float>(request.camera[3]);
        CameraPitch = static_cast<float>(request.camera[4]);
    }
    headless_catalogue::CatalogueSession session;
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
    // Replaces an existing file, as this command always has, but never leaves a partial one.
    OutputFile file(request.output, true);
    WritePng(pixels->rgba, pixels->width, pixels->height, file);
    return ExitSuccess;
}

int RunRenderCommand(const RenderRequest& request) {
    try {
        return request.all ? RunRenderAll(request) : RunRender(request);
    } catch (const map::MapError& failure) {
        throw CommandFailure(ExitFailure, failure.what());
    } catch (const files::OutputError& failure) {
        throw OutputFailure(failure);
    }
}

}  // namespace

void AddRenderCommand(CLI::App& velmora, ChosenCommand& chosen) {
    auto request = std::make_shared<RenderRequest>();
    CLI::App* render = AddSubcommand(
        velmora, "render", "draws the viewer's frame of a sector, or the whole world, to PNG",
        "Draws the frame the viewer would show for SECTOR of WORLD, headless (OpenGL through "
        "EGL,\nno display needed), and writes it to FILE.png (replacing it).\n"
        "With --all instead of SECTOR: every sector of WORLD at its place, with the viewer's "
        "shading\nover the world's one range, its texture tiling, field of view and camera, "
        "and no far\nplane; far ground is drawn coarser, at most --max-error pixels off "
        "(0: full detail).\nThe frame is drawn once every sector it wants is loaded. Without "
        "--camera it looks at the\nwhole world from beyond its low-y edge (the top of `velmora "
        "map`'s picture), raised by\nhalf its larger side above its highest ground, along +y "
        "and down at its middle.\n"
        "An unknown world or sector exits with 2; an unreadable heightmap or a device that "
        "cannot\nbe made exits with 1 (with --all, --skip-unreadable reports an unreadable "
        "sector and\ndraws it as a hole). A texture that cannot be read leaves the terrain "
        "grey.");
    render->add_option("WORLD", request->world, "a world as `velmora worlds` lists it")->required();
    render->add_option("SECTOR", request->sector, "a sector as `velmora sectors` lists it");
    CLI::Option* all = render->add_flag("--all", request->all, "the whole world instead of SECTOR");
    render->add_option("--output", request->output, "the PNG file to write")
        ->required()
        ->type_name("FILE.png");
    AddSizeOption(
        *render,
        [request](unsigned width, unsigned height) {
            request->sized = true;
            request->width = width;
            request->height = height;
        },
        "back buffer size in pixels (default 800x800; 1280x720 with --all)");
    render
        ->add_option("--camera", request->camera,
                     "camera position and angles in radians (default 600,600,3000,0,3.1: the "
                     "viewer's start; with --all, the overview above)")
        ->delimiter(',')
        ->expected(5)
        ->type_name("X,Y,Z,YAW,PITCH");
    render
        ->add_option("--texture", request->texture,
                     "ground texture (default: terrain.image in the current directory, as the "
                     "viewer; without one the terrain is grey)")
        ->type_name("FILE");
    render
        ->add_option("--max-error", request->maxError,
                     "with --all: on-screen error allowed for coarser far ground, in pixels "
                     "(default 1; 0: full detail everywhere)")
        ->check(CLI::Range(0.0, 1000.0))
        ->needs(all)
        ->type_name("PX");
    render
        ->add_option("--cache-mb", request->cacheMegabytes,
                     "with --all: terrain kept in memory, and as much again on the GPU, in MiB "
                     "(default 256)")
        ->check(CLI::Range(std::size_t{16}, std::size_t{1} << 20))
        ->needs(all)
        ->type_name("N");
    render
        ->add_flag("--skip-unreadable", request->skipUnreadable,
                   "with --all: draws an unreadable heightmap as a hole instead of failing")
        ->needs(all);
    AddShadingOption(*render, request->shading,
                     "with --all: height (default, the viewer's grey), hillshade (light from the "
                     "north-west on the slopes) or both, as map shades")
        ->needs(all);
    render->callback([&chosen, request] {
        if (request->all && !request->sector.empty()) {
            throw CLI::ValidationError("SECTOR", "either a SECTOR or --all, not both");
        }
        if (!request->all && request->sector.empty()) {
            throw CLI::ValidationError("SECTOR", "a SECTOR is required (or --all)");
        }
        chosen = {"render", [request] { return RunRenderCommand(*request); }};
    });
}
