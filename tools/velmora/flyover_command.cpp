// velmora flyover: numbered frames of a flight over the whole world, drawn headless by the world
// renderer, for a video encoder to join.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "command_list.h"
#include "files/output_error.h"
#include "files/output_file.h"
#include "headless_catalogue/catalogue_world.h"
#include "map/map_error.h"
#include "map/rgba_png.h"
#include "output_failure.h"
#include "picture_size.h"
#include "progress_line.h"
#include "shading_option.h"
#include "text/printable_name.h"
#include "texture_option.h"
#include "world/camera_path.h"
#include "world/loop_camera.h"
#include "world/render/headless_canvas.h"
#include "world_messages.h"

namespace {

namespace fs = std::filesystem;
using text::PrintableName;
using Clock = std::chrono::steady_clock;

struct FlyoverRequest {
    std::string world;
    std::string output;
    int frames = 120;
    unsigned width = 1280;
    unsigned height = 720;
    std::string path;
    double maxError = 1.0;
    std::size_t cacheMegabytes = 256;
    std::string texture;
    bool force = false;
    bool skipUnreadable = false;
    world::Shading shading = world::Shading::Height;
};

std::string FrameName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04d.png", number);
    return name;
}

// The output folder may be missing or empty; one that holds anything is taken only with
// --force.
void CheckFolder(const fs::path& folder, bool force) {
    const std::string name = PrintableName(folder.string());
    std::error_code error;
    if (!fs::exists(folder, error)) {
        return;
    }
    if (!fs::is_directory(folder, error)) {
        throw CommandFailure(ExitFailure, name + " is not a folder");
    }
    if (!force && !fs::is_empty(folder, error)) {
        throw CommandFailure(ExitFailure, name + " is not empty (--force writes into it)");
    }
}

// The number of a frame file the command writes ("frame_0042.png": 42): four or more digits, at
// most nine; nullopt for any other name.
std::optional<long> FrameNumberOf(const std::string& file) {
    constexpr std::string_view Prefix = "frame_";
    constexpr std::string_view Suffix = ".png";
    if (file.size() < Prefix.size() + 4 + Suffix.size() || !file.starts_with(Prefix) ||
        !file.ends_with(Suffix)) {
        return std::nullopt;
    }
    const std::string digits =
        file.substr(Prefix.size(), file.size() - Prefix.size() - Suffix.size());
    if (digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stol(digits);
}

// Makes the folder when missing, and removes the frames a longer earlier run left past the new
// last one, so that the folder holds one flyover.
void PrepareFolder(const fs::path& folder, int frames) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        throw CommandFailure(
            ExitFailure,
            "cannot make the folder " + PrintableName(folder.string()) + ": " + error.message());
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (const std::optional<long> number = FrameNumberOf(entry.path().filename().string());
            number && *number > frames) {
            fs::remove(entry.path(), error);
        }
    }
}

// The nearest-rank percentile of sorted values.
double Percentile(const std::vector<double>& sorted, double share) {
    const auto rank =
        static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

int RunFlyover(const FlyoverRequest& request) {
    const int width = static_cast<int>(request.width);
    const int height = static_cast<int>(request.height);
    std::vector<world::Camera> path;
    if (!request.path.empty()) {
        path = world::ReadCameraPath(request.path);
    }
    const std::size_t cacheBytes = request.cacheMegabytes << 20;
    CheckFolder(request.output, request.force);
    const world::render::CanvasWarmUp warmUp;
    WorldMessages messages("flyover", request.skipUnreadable);
    headless_catalogue::CatalogueWorld world(request.world, cacheBytes, messages.Reports());
    messages.SayFirstPass(world);
    PrepareFolder(request.output, request.frames);
    const world::WorldModel::Bounds extent = world.Model().Extent();
    const auto cameraOf = [&](int frame) {
        return path.empty() ? world::LoopCamera(extent, frame, request.frames)
                            : world::PathCamera(path, frame, request.frames);
    };

    world::render::HeadlessCanvas canvas(width, height, cacheBytes);
    UseTextureOption(canvas, request.texture, "flyover");
    canvas.SetShading(request.shading);
    ProgressLine progress("flyover:", static_cast<std::size_t>(request.frames), "frames");
    std::vector<double> drawSeconds;
    double waited = 0.0;
    for (int frame = 0; frame < request.frames; ++frame) {
        const world::Camera camera = cameraOf(frame);
        const world::FrameSelection selection =
            world.SelectSettled(camera, width, height, request.maxError, &waited);
        // The next frame's sectors load while this one is drawn and written.
        if (frame + 1 < request.frames) {
            world.Model().Prefetch(cameraOf(frame + 1), width, height, request.maxError);
        }
        const Clock::time_point start = Clock::now();
        canvas.Draw(selection, camera, world.Model().Range());
        const std::vector<std::uint8_t> pixels = canvas.Pixels();
        drawSeconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        files::OutputFile file(fs::path(request.output) / FrameName(frame + 1), true);
        map::WriteRgbaPng(
            pixels.data(), request.width, request.height,
            [&file](const void* bytes, std::size_t size) { file.Write(bytes, size); });
        file.Commit();
        progress.Update(static_cast<std::size_t>(frame + 1));
    }

    messages.SayRemaining(world);
    std::sort(drawSeconds.begin(), drawSeconds.end());
    std::printf(
        "flyover: %d frames of %dx%d in %s; drawing and reading back a frame %.1f ms median, "
        "%.1f ms 95th percentile, %.1f ms max; %.2f s waiting for terrain data\n",
        request.frames, width, height, PrintableName(request.output).c_str(),
        1000.0 * Percentile(drawSeconds, 0.5), 1000.0 * Percentile(drawSeconds, 0.95),
        1000.0 * drawSeconds.back(), waited);
    return ExitSuccess;
}

}  // namespace

void AddFlyoverCommand(CLI::App& velmora, ChosenCommand& chosen) {
    auto request = std::make_shared<FlyoverRequest>();
    CLI::App* flyover = AddSubcommand(
        velmora, "flyover", "numbered frames of a flight over the whole world",
        "Draws a flight over every sector of WORLD, as `render --all` draws one frame, into\n"
        "DIR/frame_0001.png, frame_0002.png... The frames join into a video with\n"
        "  ffmpeg -framerate 30 -i DIR/frame_%04d.png -c:v libx264 -pix_fmt yuv420p flyover.mp4\n"
        "Without --path the flight is a loop around the world's middle, from +x towards +y\n"
        "(clockwise on `velmora map`'s picture), at a radius of 0.3 of its smaller side and at\n"
        "a fixed height above its highest ground (a tenth of its smaller side, 150 units at\n"
        "least), looking ahead and 20 degrees down. --path FILE gives cameras instead, one\n"
        "X,Y,Z,YAW,PITCH a line (# starts a comment), flown through smoothly (Catmull-Rom)\n"
        "from the first to the last.\n"
        "Each frame is drawn once every sector it wants is loaded; the next frame's sectors are\n"
        "fetched meanwhile. At the end one line tells the time spent drawing and reading back a\n"
        "frame and waiting for terrain data. A folder DIR that holds anything is refused without\n"
        "--force. An unknown world exits with 2; an unreadable heightmap with 1 unless\n"
        "--skip-unreadable.");
    flyover->add_option("WORLD", request->world, "a world, as listed or as its folder")->required();
    flyover->add_option("--output", request->output, "the folder of the frames")
        ->required()
        ->type_name("DIR");
    flyover->add_option("--frames", request->frames, "how many frames (default 120)")
        ->check(CLI::Range(1, 99999))
        ->type_name("N");
    AddSizeOption(
        *flyover,
        [request](unsigned width, unsigned height) {
            request->width = width;
            request->height = height;
        },
        "frame size in pixels (default 1280x720)");
    flyover->add_option("--path", request->path, "cameras to fly through, one a line")
        ->type_name("FILE");
    flyover
        ->add_option("--max-error", request->maxError,
                     "on-screen error allowed for coarser far ground, in pixels (default 1; 0: "
                     "full detail everywhere)")
        ->check(CLI::Range(0.0, 1000.0))
        ->type_name("PX");
    flyover
        ->add_option("--cache-mb", request->cacheMegabytes,
                     "terrain kept in memory, and as much again on the GPU, in MiB (default 256)")
        ->check(CLI::Range(std::size_t{16}, std::size_t{1} << 20))
        ->type_name("N");
    flyover
        ->add_option("--texture", request->texture,
                     "ground texture (default: terrain.image in the current directory)")
        ->type_name("FILE");
    AddShadingOption(*flyover, request->shading,
                     "height (default, the viewer's grey), hillshade (light from the north-west "
                     "on the slopes) or both, as map shades");
    flyover->add_flag("--force", request->force,
                      "writes into a folder that holds files, replacing its frames");
    flyover->add_flag("--skip-unreadable", request->skipUnreadable,
                      "draws an unreadable heightmap as a hole instead of failing");
    flyover->callback([&chosen, request] {
        chosen = {"flyover", [request] {
                      try {
                          return RunFlyover(*request);
                      } catch (const map::MapError& failure) {
                          throw CommandFailure(ExitFailure, failure.what());
                      } catch (const files::OutputError& failure) {
                          throw OutputFailure(failure);
                      }
                  }};
    });
}
