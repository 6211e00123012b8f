// velmora render --all and flyover on small worlds written here: a world of one sector drawn as
// the viewer draws that sector, rough ground drawn coarsely without the clear colour showing
// through, and the frames of a flight.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "demo/demo_world.h"
#include "support/file_size_limit.h"
#include "support/temporary_prefix.h"
#include "tools/png_picture.h"
#include "tools/velmora_process.h"

namespace {

namespace fs = std::filesystem;
using velmora_process::Outcome;
using velmora_process::RunVelmora;

// A world sample's height from its place in the world, so that neighbours share their edges.
using WorldSamples = std::function<std::uint16_t(int x, int y)>;

// A prefix whose one world, "Test", holds sectors 0_0 to (a-1)_(b-1); a folder without a
// ground texture and one with the demo's. Summaries are kept in a folder of the test's own.
class TestWorld {
public:
    TestWorld(int a, int b, const WorldSamples& sample) {
        prefix_.WriteSystemReg(
            "WINE REGISTRY Version 2\n\n#arch=win64\n\n"
            "[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend] 1\n@=\"C:\\\\Q\"\n");
        for (int sa = 0; sa < a; ++sa) {
            for (int sb = 0; sb < b; ++sb) {
                const std::string name = std::to_string(sa) + "_" + std::to_string(sb);
                std::string bytes(24, '\0');
                for (int r = 0; r < 127; ++r) {
                    for (int c = 0; c < 127; ++c) {
                        const std::uint16_t value = sample(126 * sa + r, 126 * sb + c);
                        bytes.push_back(static_cast<char>(value & 0xFF));
                        bytes.push_back(static_cast<char>(value >> 8));
                    }
                }
                WriteFile(prefix_.driveC() / "Q" / "world_cache" / "Testquarlend" / "terrain" /
                              name / ("heightmap_" + name + ".zdt"),
                          bytes);
            }
        }
        fs::create_directories(Plain());
        const std::vector<std::uint8_t> texture = demo::DemoGroundTexturePng();
        WriteFile(Textured() / "terrain.image",
                  std::string_view(reinterpret_cast<const char*>(texture.data()), texture.size()));
    }

    fs::path Plain() const { return prefix_.path() / "plain"; }
    fs::path Textured() const { return prefix_.path() / "textured"; }

    // Runs velmora in `folder` and returns what it printed.
    Outcome Run(const std::vector<std::string>& arguments, const fs::path& folder) const {
        return RunVelmora(prefix_.path(), arguments, folder);
    }

    // Draws a picture with the given arguments; fails the test when velmora does.
    Picture Draw(std::vector<std::string> arguments, const fs::path& folder) {
        const fs::path output = prefix_.path() / ("picture" + std::to_string(++pictures_) + ".png");
        arguments.insert(arguments.end(), {"--output", output.string()});
        const Outcome drawn = Run(arguments, folder);
        EXPECT_EQ(drawn.exitCode, 0) << drawn.err;
        return DecodePng(output, SPNG_FMT_RGBA8);
    }

    fs::path Folder(const std::string& name) const { return prefix_.path() / name; }
    fs::path SummaryFolder() const { return cache_.path() / "velmora"; }

    // Writes sector `name`'s heightmap file as these bytes.
    void WriteSectorFile(const std::string& name, std::string_view bytes) const {
        WriteFile(prefix_.driveC() / "Q" / "world_cache" / "Testquarlend" / "terrain" / name /
                      ("heightmap_" + name + ".zdt"),
                  bytes);
    }

private:
    TemporaryDirectory cache_;
    ScopedEnvironment cacheHome_{"XDG_CACHE_HOME", cache_.path().c_str()};
    TemporaryPrefix prefix_;
    int pictures_ = 0;
};

bool IsClear(const Picture& picture, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* pixel = picture.Rgba(x, y);
    return pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 255;
}

double ClearShare(const Picture& picture) {
    std::size_t clear = 0;
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            clear += IsClear(picture, x, y) ? 1 : 0;
        }
    }
    return double(clear) / (double(picture.width) * picture.height);
}

// Pixels where any channel differs by more than one.
std::size_t Differing(const Picture& a, const Picture& b) {
    std::size_t differing = 0;
    for (std::size_t p = 0; p + 3 < a.bytes.size() && p + 3 < b.bytes.size(); p += 4) {
        for (std::size_t k = 0; k < 3; ++k) {
            if (std::abs(int(a.bytes[p + k]) - int(b.bytes[p + k])) > 1) {
                ++differing;
                break;
            }
        }
    }
    return differing;
}

std::uint16_t Rolling(int x, int y) {
    // Hills, and water (samples of 100 or less, white) in one corner.
    const double hills = 900 + 500 * std::sin(x / 11.0) * std::cos(y / 17.0) + 3 * (x + y);
    return static_cast<std::uint16_t>(x + y < 40 ? 60 : hills);
}

const std::vector<std::string> Cameras = {"600,600,3000,0,3.1", "200,-900,1500,0.3,2.2",
                                          "1400,700,900,-1.2,2.6", "630,-900,1200,3.14159,4.3"};

TEST(VelmoraWorldTest, AWorldOfOneSectorIsDrawnAsTheViewerDrawsIt) {
    TestWorld world(1, 1, Rolling);
    for (const std::string& camera : Cameras) {
        const std::vector<std::string> view = {"--size", "256x256", "--camera", camera};
        std::vector<std::string> all = {"render", "Test", "--all", "--max-error", "0"};
        std::vector<std::string> sector = {"render", "Test", "0_0"};
        all.insert(all.end(), view.begin(), view.end());
        sector.insert(sector.end(), view.begin(), view.end());

        const Picture grey = world.Draw(all, world.Plain());
        const Picture viewerGrey = world.Draw(sector, world.Plain());
        ASSERT_EQ(grey.width, 256u);
        EXPECT_GT(ClearShare(grey), 0.02) << camera;
        EXPECT_LT(ClearShare(grey), 0.98) << camera;
        EXPECT_LE(Differing(grey, viewerGrey), 66u) << camera;  // 0.1 %

        // Mip-mapped against the viewer's one level: the same outline, the same colours on
        // average.
        const Picture textured = world.Draw(all, world.Textured());
        const Picture viewerTextured = world.Draw(sector, world.Textured());
        std::size_t outline = 0;
        std::size_t ground = 0;
        std::array<double, 3> sum{};
        std::array<double, 3> viewerSum{};
        for (std::uint32_t y = 0; y < 256; ++y) {
            for (std::uint32_t x = 0; x < 256; ++x) {
                const bool clear = IsClear(textured, x, y);
                if (clear != IsClear(viewerTextured, x, y)) {
                    ++outline;
                } else if (!clear) {
                    ++ground;
                    for (std::size_t k = 0; k < 3; ++k) {
                        sum[k] += textured.Rgba(x, y)[k];
                        viewerSum[k] += viewerTextured.Rgba(x, y)[k];
                    }
                }
            }
        }
        EXPECT_LE(outline, 66u) << camera;
        ASSERT_GT(ground, 0u);
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_NEAR(sum[k] / ground, viewerSum[k] / ground, 2.0) << camera << " channel " << k;
        }
    }
}

// Tilted planes seen from straight above: each shading lights a plane as the map lights it, so
// a plane facing the light (from the north-west) is brighter than one facing away by as much as
// the map's hillshade makes it; and the default is the height shading, byte for byte.
TEST(VelmoraWorldTest, ReliefShadingLightsPlanesAsTheMapDoes) {
    struct Plane {
        const char* facing;
        int perRow;
        int perColumn;
    };
    const std::vector<Plane> planes = {
        {"flat", 0, 0},   {"west", 8, 0},       {"east", -8, 0},        {"north", 0, 8},
        {"south", 0, -8}, {"north-west", 5, 5}, {"south-east", -5, -5}, {"north-east", -5, 5}};
    const std::vector<std::string> overhead = {"--size", "96x96", "--camera",
                                               "630,630,2600,0,3.14"};
    std::map<std::string, int> lit;
    for (const Plane& plane : planes) {
        TestWorld world(1, 1, [&](int x, int y) {
            return static_cast<std::uint16_t>(2000 + plane.perRow * x + plane.perColumn * y);
        });
        std::vector<std::string> all = {"render", "Test", "--all"};
        all.insert(all.end(), overhead.begin(), overhead.end());
        const auto drawn = [&](const std::vector<std::string>& more) {
            std::vector<std::string> arguments = all;
            arguments.insert(arguments.end(), more.begin(), more.end());
            return world.Draw(arguments, world.Plain());
        };
        const Picture byDefault = drawn({});
        const Picture height = drawn({"--shading", "height"});
        const Picture hill = drawn({"--shading", "hillshade"});
        const Picture both = drawn({"--shading", "both"});
        EXPECT_EQ(byDefault.bytes, height.bytes) << plane.facing;
        const Picture map = world.Draw({"map", "Test", "--shading", "hillshade"}, world.Plain());

        const int mapped = map.Rgba(63, 63)[0];
        const int shown = hill.Rgba(48, 48)[0];
        EXPECT_NEAR(shown, mapped, 1) << plane.facing;
        // Grey, the same everywhere on a plane.
        EXPECT_EQ(hill.Rgba(20, 70)[1], hill.Rgba(48, 48)[1]) << plane.facing;
        const int grey = height.Rgba(48, 48)[0];
        EXPECT_NEAR(both.Rgba(48, 48)[0], grey * shown / 255, 1) << plane.facing;
        lit[plane.facing] = shown;
    }
    EXPECT_EQ(lit["flat"], 180);  // 45 degrees up: 255 sin 45
    EXPECT_GT(lit["west"], lit["flat"]);
    EXPECT_GT(lit["north-west"], lit["west"]);
    EXPECT_LT(lit["east"], lit["flat"]);
    EXPECT_LT(lit["south-east"], lit["east"]);
    EXPECT_EQ(lit["west"], lit["north"]);
    EXPECT_EQ(lit["east"], lit["south"]);
    // Across the light, neither towards nor away: as bright as flat ground tilted as much.
    EXPECT_LT(lit["north-east"], lit["flat"]);
}

// Clear pixels that no path of clear pixels (diagonal steps too) joins to the picture's
// border: the clear colour seen through the ground.
std::size_t ClearThroughGround(const Picture& picture) {
    const int width = int(picture.width);
    const int height = int(picture.height);
    std::vector<char> outside(std::size_t(width) * height, 0);
    std::vector<std::pair<int, int>> pending;
    const auto reach = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < width && y < height &&
            outside[std::size_t(y) * width + x] == 0 &&
            IsClear(picture, std::uint32_t(x), std::uint32_t(y))) {
            outside[std::size_t(y) * width + x] = 1;
            pending.emplace_back(x, y);
        }
    };
    for (int x = 0; x < width; ++x) {
        reach(x, 0);
        reach(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
        reach(0, y);
        reach(width - 1, y);
    }
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                reach(x + dx, y + dy);
            }
        }
    }
    std::size_t through = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            through += IsClear(picture, std::uint32_t(x), std::uint32_t(y)) &&
                               outside[std::size_t(y) * width + x] == 0
                           ? 1
                           : 0;
        }
    }
    return through;
}

TEST(VelmoraWorldTest, RoughGroundAtCoarseLevelsLetsNoClearColourThrough) {
    // Hills under noise of 40 units: far sectors are drawn coarser than near ones, and their
    // edges part by up to the noise. Looking low across the seams shows any crack.
    TestWorld world(3, 3, [](int x, int y) {
        std::uint32_t h = std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u;
        h = (h ^ (h >> 13)) * 0x5bd1e995u;
        return static_cast<std::uint16_t>(1500 + 600 * std::sin(x / 23.0) * std::cos(y / 31.0) +
                                          (h ^ (h >> 15)) % 160);
    });
    for (const std::string camera :
         {"1890,-200,700,3.14159,4.5", "1890,1890,2500,0,3.14159", "-300,-300,900,-2.356,4.4"}) {
        for (const std::string error : {"8", "32"}) {
            const Picture picture = world.Draw({"render", "Test", "--all", "--max-error", error,
                                                "--size", "320x240", "--camera", camera},
                                               world.Plain());
            ASSERT_EQ(picture.width, 320u);
            EXPECT_LT(ClearShare(picture), 0.7) << camera;
            EXPECT_EQ(ClearThroughGround(picture), 0u) << camera << " at --max-error " << error;
        }
    }
}

// A world of many unreadable files says the first few and counts the rest, rather than a line
// each; a place named twice ("00_1" beside "0_1") says which name is left out.
TEST(VelmoraWorldTest, UnreadableSectorsAreNamedAFewAtATimeAndAPlaceNamedTwiceIsSaid) {
    TestWorld world(1, 2, Rolling);
    for (int a = 1; a <= 9; ++a) {
        world.WriteSectorFile(std::to_string(a) + "_0", std::string(24, '\0'));
    }
    world.WriteSectorFile("00_1", std::string(24 + 2 * 127 * 127, '\x01'));
    const Outcome drawn = world.Run({"render", "Test", "--all", "--skip-unreadable", "--output",
                                     world.Folder("frame.png").string(), "--size", "64x64"},
                                    world.Plain());
    ASSERT_EQ(drawn.exitCode, 0) << drawn.err;
    std::size_t named = 0;
    std::size_t counted = 0;
    std::size_t shared = 0;
    std::istringstream lines(drawn.err);
    for (std::string line; std::getline(lines, line);) {
        named += line.find("drawn as a hole") != std::string::npos ? 1 : 0;
        counted += line == "velmora render: 4 more unreadable sectors drawn as holes" ? 1 : 0;
        shared += line.find("place another name gives, left out: ") != std::string::npos &&
                          line.find("0_1") != std::string::npos &&
                          line.find("is drawn there") != std::string::npos
                      ? 1
                      : 0;
    }
    EXPECT_EQ(named, 5u) << drawn.err;
    EXPECT_EQ(counted, 1u) << drawn.err;
    EXPECT_EQ(shared, 1u) << drawn.err;
}

// The summary cache is only a cache: a limit it does not fit under leaves it out, and the frame,
// which fits, is drawn (the process was killed by SIGXFSZ while writing the cache).
TEST(VelmoraWorldTest, AFileSizeLimitLeavesTheSummaryCacheOutAndTheFrameIsDrawn) {
    TestWorld world(8, 8, Rolling);  // a cache of some 17 KB
    const auto render = [&](const fs::path& frame) {
        return world.Run({"render", "Test", "--all", "--size", "16x16", "--output", frame.string()},
                         world.Plain());
    };
    Outcome limited;
    {
        const FileSizeLimit limit(8 * 1024);
        limited = render(world.Folder("limited.png"));
    }
    ASSERT_EQ(limited.exitCode, 0) << limited.err;
    EXPECT_GT(fs::file_size(world.Folder("limited.png")), 0u);
    EXPECT_FALSE(fs::exists(world.SummaryFolder()) && !fs::is_empty(world.SummaryFolder()));

    ASSERT_EQ(render(world.Folder("free.png")).exitCode, 0);
    EXPECT_FALSE(fs::is_empty(world.SummaryFolder()));
}

TEST(VelmoraWorldTest, AFlyoverDrawsDifferentFramesOfGroundAndFliesThroughItsPath) {
    TestWorld world(2, 2, Rolling);
    const fs::path loop = world.Folder("loop");
    const Outcome flown = world.Run(
        {"flyover", "Test", "--output", loop.string(), "--frames", "4", "--size", "192x108"},
        world.Plain());
    ASSERT_EQ(flown.exitCode, 0) << flown.err;
    EXPECT_NE(flown.out.find("4 frames"), std::string::npos) << flown.out;
    std::vector<Picture> frames;
    for (int k = 1; k <= 4; ++k) {
        frames.push_back(
            DecodePng(loop / ("frame_000" + std::to_string(k) + ".png"), SPNG_FMT_RGBA8));
        EXPECT_LT(ClearShare(frames.back()), 0.9) << "frame " << k;
    }
    EXPECT_FALSE(fs::exists(loop / "frame_0005.png"));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        for (std::size_t j = i + 1; j < frames.size(); ++j) {
            EXPECT_GT(Differing(frames[i], frames[j]), 192u * 108 / 20)
                << i + 1 << " and " << j + 1;
        }
    }
    // A folder that holds something is taken only with --force.
    const Outcome again = world.Run({"flyover", "Test", "--output", loop.string()}, world.Plain());
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;

    // A path's first and last frames are its first and last cameras.
    const std::vector<std::string> ends = {"300,-600,1500,3.14159,4.2", "2200,1800,900,0.8,2.5"};
    WriteFile(world.Folder("path.txt"), "# two cameras\n" + ends[0] + "\n\n" + ends[1] + "\n");
    const fs::path flight = world.Folder("flight");
    const Outcome followed =
        world.Run({"flyover", "Test", "--output", flight.string(), "--path",
                   world.Folder("path.txt").string(), "--frames", "3", "--size", "192x108"},
                  world.Plain());
    ASSERT_EQ(followed.exitCode, 0) << followed.err;
    for (const auto& [frame, camera] : {std::pair{1, ends[0]}, std::pair{3, ends[1]}}) {
        const Picture drawn = world.Draw(
            {"render", "Test", "--all", "--size", "192x108", "--camera", camera}, world.Plain());
        const Picture flownFrame =
            DecodePng(flight / ("frame_000" + std::to_string(frame) + ".png"), SPNG_FMT_RGBA8);
        EXPECT_EQ(Differing(drawn, flownFrame), 0u) << "frame " << frame;
    }
}

}  // namespace
