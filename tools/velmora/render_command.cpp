// velmora render: the frame the viewer would draw for a sector, drawn headless and saved as PNG.

#include <stb/stb_image_write.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <afx.h>
#include "camera/camera_state.h"
#include "catalogue_session.h"
#include "command.h"
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
    std::optional<std::string> texture;
};

[[noreturn]] void Usage(const std::string& problem) {
    throw CommandFailure(ExitUsage, problem + "; see --help");
}

// Parses the comma-separated floats of an option value; nullopt unless there are exactly count.
std::optional<std::vector<float>> ParseFloats(std::string_view text, std::size_t count) {
    std::vector<float> values;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string field(text.substr(0, comma));
        std::size_t used = 0;
        try {
            values.push_back(std::stof(field, &used));
        } catch (const std::exception&) {
            return std::nullopt;
        }
        if (used != field.size()) {
            return std::nullopt;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    return values.size() == count ? std::optional(values) : std::nullopt;
}

std::optional<UINT> ParseSide(std::string_view text) {
    UINT value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 8192) {
        return std::nullopt;
    }
    return value;
}

RenderRequest ParseRequest(std::span<const std::string_view> arguments) {
    RenderRequest request;
    std::vector<std::string_view> positional;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (!argument.starts_with("--")) {
            positional.push_back(argument);
            continue;
        }
        if (i + 1 == arguments.size()) {
            Usage(std::string(argument) + " needs a value");
        }
        const std::string_view value = arguments[++i];
        if (argument == "--output") {
            request.output = value;
        } else if (argument == "--size") {
            const std::size_t x = value.find('x');
            const auto width = ParseSide(value.substr(0, x));
            const auto height =
                x == std::string_view::npos ? std::nullopt : ParseSide(value.substr(x + 1));
            if (!width || !height) {
                Usage("--size takes WIDTHxHEIGHT, each 1 to 8192");
            }
            request.width = *width;
            request.height = *height;
        } else if (argument == "--camera") {
            const auto camera = ParseFloats(value, 5);
            if (!camera) {
                Usage("--camera takes X,Y,Z,YAW,PITCH");
            }
            CameraX = (*camera)[0];
            CameraY = (*camera)[1];
            CameraZ = (*camera)[2];
            CameraYaw = (*camera)[3];
            CameraPitch = (*camera)[4];
        } else if (argument == "--texture") {
            request.texture = fs::absolute(std::string(value)).string();
        } else {
            Usage("unknown option " + std::string(argument));
        }
    }
    if (positional.size() != 2) {
        Usage("WORLD and SECTOR are needed");
    }
    if (request.output.empty()) {
        Usage("--output FILE.png is needed");
    }
    request.world = positional[0];
    request.sector = positional[1];
    return request;
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
    const int stride = static_cast<int>(pixels.width * 4);
    if (stbi_write_png(output.c_str(), static_cast<int>(pixels.width),
                       static_cast<int>(pixels.height), 4, pixels.rgba.data(), stride) == 0) {
        throw CommandFailure(ExitFailure, "cannot write " + output);
    }
}

int RunRender(std::span<const std::string_view> arguments) {
    const RenderRequest request = ParseRequest(arguments);
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
        TextureDirectory textureDirectory(request.texture);
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

const Command RenderCommand{
    "render",
    "WORLD SECTOR --output FILE.png [--size WxH] [--camera X,Y,Z,YAW,PITCH] [--texture FILE]",
    "draws the viewer's frame of a sector to PNG",
    "Draws the frame the viewer would show for SECTOR of WORLD, headless (OpenGL through EGL,\n"
    "no display needed), and writes it to FILE.png.\n"
    "  --size WxH                 back buffer size in pixels (default 800x800)\n"
    "  --camera X,Y,Z,YAW,PITCH   camera position and angles in radians\n"
    "                             (default 600,600,3000,0,3.1: the viewer's start)\n"
    "  --texture FILE             ground texture (default: terrain.image in the current\n"
    "                             directory, as the viewer; without one the terrain is grey)\n"
    "An unknown world or sector exits with 2; an unreadable heightmap or a device that cannot\n"
    "be made exits with 1.\n",
    RunRender};
