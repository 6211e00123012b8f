// The world model on small worlds written in the test: its range, the patches a frame gets from
// near and far, full detail streamed in on request under the memory cap, the summary cache, the
// change hooks and bad files.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <set>

#include "support/deadline.h"
#include "world/lod_tree.h"
#include "world/sector_place.h"
#include "world/sector_store.h"
#include "world/summary_file.h"
#include "world/world_files.h"
#include "world/world_model.h"

namespace {

namespace fs = std::filesystem;
using world::Camera;
using world::ModelOptions;
using world::SectorSource;
using world::WorldModel;
using world_test::Rolling;
using world_test::WriteSector;

// A camera high above the middle of an n x n world, looking down as the viewer's first camera.
Camera Above(int n, double height) {
    return {630.0 * n, 630.0 * n, height, 0.0, 3.1};
}

std::vector<SectorSource> WriteRollingWorld(const fs::path& terrain, int n) {
    std::vector<SectorSource> sources;
    for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) {
            sources.push_back(
                WriteSector(terrain, std::to_string(a) + "_" + std::to_string(b), Rolling(a, b)));
        }
    }
    return sources;
}

TEST(WorldModelTest, NearGroundArrivesInFullDetailOnRequestAndFarGroundIsOneNode) {
    TemporaryDirectory folder;
    std::vector<SectorSource> sources = WriteRollingWorld(folder.path(), 2);
    sources.push_back(WriteSector(folder.path(), "1_1", [](int r, int c) -> std::uint16_t {
        return r == 5 && c == 7 ? 60 : (r == 9 && c == 9 ? 9000 : Rolling(1, 1)(r, c));
    }));
    WorldModel model(sources, {});
    EXPECT_EQ(model.Range().Low(), 2000);  // water (60) does not set it
    EXPECT_EQ(model.Range().Range(), 9000u - 2000u);
    const WorldModel::Bounds extent = model.Extent();
    EXPECT_EQ(extent.maxX, 2520.0);
    EXPECT_EQ(extent.minZ, 15.0);

    // Full detail wanted: the first frame has only the coarse levels and asks for the rest.
    const Camera camera = Above(2, 4000.0);
    world::FrameSelection frame = model.Select(camera, 640, 480, 0.0);
    ASSERT_EQ(frame.patches.size(), 4u);
    EXPECT_EQ(frame.missingSectors, 4u);
    for (const world::TerrainPatch& patch : frame.patches) {
        EXPECT_EQ(patch.step, world::CoarseStep);
    }
    model.WaitForRequests();
    frame = model.Select(camera, 640, 480, 0.0);
    EXPECT_EQ(frame.missingSectors, 0u);
    ASSERT_EQ(frame.patches.size(), 4u);
    for (const world::TerrainPatch& patch : frame.patches) {
        ASSERT_EQ(patch.step, 1);
        ASSERT_EQ(patch.side, GridSide);
        const int a = static_cast<int>(patch.originX / 126);
        const int b = static_cast<int>(patch.originY / 126);
        const auto expected = a == 1 && b == 1 ? 9000 : Rolling(a, b)(9, 9);
        EXPECT_EQ((*patch.heights)[9 * GridSide + 9], expected) << a << "_" << b;
        EXPECT_GT(patch.skirtDepth, 0.0f);
    }

    // From far away, at a coarse bound, the world is one patch: the tree's root.
    frame = model.Select(Above(2, 1e6), 640, 480, 4.0);
    ASSERT_EQ(frame.patches.size(), 1u);
    EXPECT_EQ(frame.patches[0].side, world::NodeSide);
    // Looking up into the sky, nothing.
    EXPECT_TRUE(model.Select({1260, 1260, 5000, 0, 0}, 640, 480, 1.0).patches.empty());
}

// Skirts hang far below the ground, but only to close gaps within the ground's own heights: a
// sector whose ground is out of view is left out, however deep its skirts.
TEST(WorldModelTest, GroundBeyondTheTopOfTheViewIsLeftOut) {
    TemporaryDirectory folder;
    std::vector<SectorSource> sources;
    for (int b = 0; b < 10; ++b) {
        sources.push_back(WriteSector(
            folder.path(), "0_" + std::to_string(b), [b](int r, int c) -> std::uint16_t {
                // A spike far behind makes the skirts deep.
                return b == 9 && r == 60 && c == 120 ? 9000 : Rolling(0, b)(r, c);
            }));
    }
    WorldModel model(sources, {});
    // 1,000 units over the highest ground (625) and looking along +y, 36 degrees down: the top
    // of the view meets the ground (500 to 625) between y = 3,660 and 4,190, in 0_3.
    const Camera camera{630.0, -500.0, 1625.0, 0.0, 2.2};
    std::set<std::int64_t> shown;
    for (const world::TerrainPatch& patch : model.Select(camera, 1280, 720, 0.0).patches) {
        shown.insert(patch.originY / 126);
    }
    EXPECT_EQ(shown, (std::set<std::int64_t>{0, 1, 2, 3}));
}

TEST(WorldModelTest, ResidentDataStaysUnderTheCapAndTheFrameStillCompletes) {
    TemporaryDirectory folder;
    const std::vector<SectorSource> sources = WriteRollingWorld(folder.path(), 4);
    ModelOptions options;
    options.cacheBytes = 5 * world::SectorStore::SectorBytes();
    WorldModel model(sources, options);
    world::FrameSelection frame;
    for (int round = 0; round < 20; ++round) {
        frame = model.Select(Above(4, 12000.0), 800, 800, 0.0);
        if (frame.missingSectors == 0) {
            break;
        }
        model.WaitForRequests();
    }
    EXPECT_EQ(frame.missingSectors, 0u);
    EXPECT_EQ(frame.patches.size(), 16u);
    std::size_t fine = 0;
    for (const world::TerrainPatch& patch : frame.patches) {
        fine += patch.step == 1 ? 1 : 0;
    }
    EXPECT_GE(fine, 1u);
    EXPECT_LE(fine, 5u);
}

TEST(WorldModelTest, SummariesAreKeptBetweenOpensAndNeverTrustedOverAChangedFile) {
    TemporaryDirectory folder;
    const fs::path terrain = folder.path() / "terrain";
    const std::vector<SectorSource> sources = WriteRollingWorld(terrain, 2);
    ModelOptions options;
    options.summaryFolder = folder.path() / "cache";
    const std::uint16_t greatest =
        WorldModel(sources, options).Range().Low() +
        static_cast<std::uint16_t>(WorldModel(sources, {}).Range().Range());
    ASSERT_EQ(
        std::distance(fs::directory_iterator(options.summaryFolder), fs::directory_iterator()), 1);
    const fs::path cache = fs::directory_iterator(options.summaryFolder)->path();

    // A file rewritten with the same size and time is taken from the cache: proof that it is used.
    struct stat before {};
    ASSERT_EQ(stat(sources[0].hostPath.c_str(), &before), 0);
    WriteSector(terrain, "0_0", [](int, int) -> std::uint16_t { return 30000; });
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, sources[0].hostPath.c_str(), times, 0), 0);
    EXPECT_EQ(WorldModel(sources, options).Range().Range(), greatest - 2000u);

    // A new time: read again. A lister's stamp stands for its look at the file, so a stamp
    // taken before the change still finds the kept summary, and one taken after does not.
    const timespec later[2] = {before.st_atim, {before.st_mtim.tv_sec + 5, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, sources[0].hostPath.c_str(), later, 0), 0);
    std::vector<SectorSource> stamped = sources;
    stamped[0].listed =
        world::FileStamp{static_cast<std::uint64_t>(before.st_size),
                         std::int64_t{before.st_mtim.tv_sec} * 1000000000 + before.st_mtim.tv_nsec};
    EXPECT_EQ(WorldModel(stamped, options).Range().Range(), greatest - 2000u);
    stamped[0].listed = world::StampOfFile(AT_FDCWD, sources[0].hostPath.c_str());
    ASSERT_TRUE(stamped[0].listed.has_value());
    EXPECT_EQ(WorldModel(stamped, options).Range().Range(), 30000u - 2000u);
    EXPECT_EQ(WorldModel(sources, options).Range().Range(), 30000u - 2000u);

    // A damaged cache is ignored and written anew.
    WriteFile(cache, "not a summary file");
    EXPECT_EQ(WorldModel(sources, options).Range().Range(), 30000u - 2000u);
    EXPECT_TRUE(world::LoadSummaryFile(cache, SIZE_MAX).has_value());
}

// A world no longer wanted: its first pass stops at the next sector and keeps nothing.
TEST(WorldModelTest, AFirstPassAskedToStopGivesUpAndKeepsNoSummaries) {
    TemporaryDirectory folder;
    const std::vector<SectorSource> sources = WriteRollingWorld(folder.path() / "terrain", 4);
    std::stop_source stop;
    std::size_t seen = 0;
    ModelOptions options;
    options.summaryFolder = folder.path() / "cache";
    options.stop = stop.get_token();
    options.progress = [&](std::size_t done, std::size_t) {
        seen = std::max(seen, done);
        if (done == 3) {
            stop.request_stop();
        }
    };
    EXPECT_THROW(WorldModel(sources, options), world::FirstPassStopped);
    EXPECT_LT(seen, sources.size());
    EXPECT_FALSE(fs::exists(options.summaryFolder));
}

TEST(WorldModelTest, ChangeHooksMoveTheRangeAndTheGround) {
    TemporaryDirectory folder;
    WorldModel model(WriteRollingWorld(folder.path(), 1), {});
    const std::uint32_t range = model.Range().Range();
    const SectorSource added =
        WriteSector(folder.path(), "1_0", [](int, int) -> std::uint16_t { return 20000; });
    EXPECT_TRUE(model.SectorWritten(added));
    EXPECT_EQ(model.Range().Range(), 20000u - 2000u);
    EXPECT_EQ(model.Extent().maxX, 2520.0);
    EXPECT_EQ(model.Select(Above(1, 8000), 400, 400, 1.0).patches.size(), 2u);
    EXPECT_TRUE(model.SectorRemoved("1_0"));
    EXPECT_EQ(model.Range().Range(), range);
    EXPECT_EQ(model.Select(Above(1, 8000), 400, 400, 1.0).patches.size(), 1u);
    EXPECT_FALSE(model.SectorRemoved("7_7"));
    EXPECT_FALSE(model.SectorWritten({"rocks", folder.path() / "rocks"}));
    EXPECT_THAT(model.Unplaced(), testing::Contains("rocks"));

    // A burst, in its order: 1_0 comes back, 2_0 comes and goes again.
    const SectorSource far =
        WriteSector(folder.path(), "2_0", [](int, int) -> std::uint16_t { return 30000; });
    EXPECT_TRUE(model.SectorsChanged({{added, false}, {far, false}, {{"2_0", {}}, true}}));
    EXPECT_EQ(model.Range().Range(), 20000u - 2000u);
    EXPECT_EQ(model.Extent().maxX, 2520.0);
}

TEST(WorldModelTest, BadFilesAreHolesOrFailuresAndFarPlacesStayCheap) {
    TemporaryDirectory folder;
    std::vector<SectorSource> sources = WriteRollingWorld(folder.path(), 2);
    fs::remove(sources[1].hostPath);
    fs::create_directory(sources[1].hostPath);  // a directory named like a heightmap
    fs::remove(sources[2].hostPath);
    ASSERT_EQ(mkfifo(sources[2].hostPath.c_str(), 0600), 0);  // must not block
    WriteFile(sources[3].hostPath, "short");                  // no samples past the header
    sources.push_back({"off_grid", folder.path() / "x"});
    ASSERT_TRUE(FinishesWithin(std::chrono::seconds(20), [&sources] {
        ModelOptions quiet;
        quiet.unreadable = [](const std::string&, const std::string&, const std::string&) {};
        WorldModel(sources, quiet);
    })) << "the first pass waits on a FIFO";
    EXPECT_THROW(WorldModel(sources, {}), std::runtime_error);

    std::set<std::string> reported;
    ModelOptions options;
    options.unreadable = [&](const std::string& name, const std::string&,
                             const std::string& reason) {
        EXPECT_FALSE(reason.empty());
        reported.insert(name);
    };
    WorldModel model(sources, options);
    EXPECT_EQ(reported, (std::set<std::string>{"0_1", "1_0", "1_1"}));
    EXPECT_THAT(model.Unplaced(), testing::ElementsAre("off_grid"));
    EXPECT_EQ(model.Select(Above(2, 5000), 400, 400, 1.0).patches.size(), 1u);

    // Two sectors 99,999 places apart: the tree is sparse, and a frame over either is small.
    TemporaryDirectory far;
    const std::vector<SectorSource> apart = {WriteSector(far.path(), "0_0", Rolling(0, 0)),
                                             WriteSector(far.path(), "99999_99999", Rolling(1, 1))};
    WorldModel sparse(apart, {});
    const Camera overFar{1260.0 * 99999 + 630, 1260.0 * 99999 + 630, 3000, 0, 3.1};
    world::FrameSelection frame = sparse.Select(overFar, 400, 400, 0.0);
    sparse.WaitForRequests();
    frame = sparse.Select(overFar, 400, 400, 0.0);
    ASSERT_EQ(frame.patches.size(), 1u);
    EXPECT_EQ(frame.patches[0].originX, 126ll * 99999);
    EXPECT_EQ(frame.patches[0].step, 1);
}

// The height in samples of patch p's edge e (numbered 0 for i = 0, 1 for i = side - 1, 2 for
// j = 0, 3 for j = side - 1) at world sample t along its line, straight between its points;
// nothing beyond it or where a point is absent.
std::optional<double> EdgeAt(const world::TerrainPatch& p, int e, std::int64_t t) {
    const std::int64_t along = t - (e < 2 ? p.originY : p.originX);
    if (along < 0 || along > std::int64_t{p.side - 1} * p.step) {
        return std::nullopt;
    }
    const std::int64_t k = along / p.step;
    const double f = double(along % p.step) / p.step;
    const auto point = [&p, e](std::int64_t q) {
        const std::int64_t i = e == 0 ? 0 : e == 1 ? p.side - 1 : q;
        const std::int64_t j = e == 2 ? 0 : e == 3 ? p.side - 1 : q;
        return std::size_t(i * p.side + j);
    };
    const std::size_t first = point(k);
    const std::size_t second = f > 0.0 ? point(k + 1) : first;
    if (p.present && ((*p.present)[first] == 0 || (*p.present)[second] == 0)) {
        return std::nullopt;
    }
    return (*p.heights)[first] + f * ((*p.heights)[second] - (*p.heights)[first]);
}

std::int64_t LineOf(const world::TerrainPatch& p, int e) {
    const std::int64_t span = std::int64_t{p.side - 1} * p.step;
    return e == 0 ? p.originX : e == 1 ? p.originX + span : e == 2 ? p.originY : p.originY + span;
}

// Where two patches of different levels meet, the higher edge's skirt must reach the lower one:
// the first place it does not (empty: none), counting the samples where edges part.
std::string FirstCrack(const std::vector<world::TerrainPatch>& patches, std::size_t& parted) {
    constexpr int Opposite[] = {1, 0, 3, 2};
    for (const world::TerrainPatch& p : patches) {
        for (int e = 0; e < 4; ++e) {
            for (const world::TerrainPatch& q : patches) {
                const int o = Opposite[e];
                if (&p == &q || p.step == q.step || LineOf(p, e) != LineOf(q, o)) {
                    continue;
                }
                const std::int64_t from = e < 2 ? p.originY : p.originX;
                for (std::int64_t t = from; t <= from + std::int64_t{p.side - 1} * p.step; ++t) {
                    const std::optional<double> mine = EdgeAt(p, e, t);
                    const std::optional<double> theirs = EdgeAt(q, o, t);
                    if (!mine || !theirs || *mine <= *theirs) {
                        continue;
                    }
                    ++parted;
                    const double gap = (*mine - *theirs) * world::SampleHeight;
                    if (gap > p.skirtDepth) {
                        return "a gap of " + std::to_string(gap) + " under a skirt of " +
                               std::to_string(p.skirtDepth) + " at sample " + std::to_string(t) +
                               " of line " + std::to_string(LineOf(p, e)) + ", steps " +
                               std::to_string(p.step) + " and " + std::to_string(q.step);
                    }
                }
            }
        }
    }
    return "";
}

// Skirts hang from every edge deep enough for any neighbour, however the ground lies: on rough
// ground seen from near to far, before and after full detail arrives, and where two sectors'
// files disagree on their shared edge (one bumps up where the other dips) beside a finer level.
TEST(WorldModelTest, EverySkirtReachesTheNeighbouringEdge) {
    TemporaryDirectory folder;
    std::vector<SectorSource> rough;
    for (int a = 0; a < 8; ++a) {
        for (int b = 0; b < 8; ++b) {
            rough.push_back(WriteSector(
                folder.path() / "rough", std::to_string(a) + "_" + std::to_string(b),
                [a, b](int r, int c) -> std::uint16_t {
                    // Ridges on every scale (value noise at spans 64 to 2, halving in height),
                    // each sector's its own: shared edges disagree, as the game's files may.
                    const int x = 126 * a + r;
                    const int y = 126 * b + c;
                    const auto lattice = [a, b](int i, int j) {
                        std::uint32_t h = static_cast<std::uint32_t>(i) * 73856093u ^
                                          static_cast<std::uint32_t>(j) * 19349663u ^
                                          static_cast<std::uint32_t>(a * 8 + b) * 83492791u;
                        h = (h ^ (h >> 13)) * 0x5bd1e995u;
                        return double((h ^ (h >> 15)) % 1000) / 1000.0;
                    };
                    double height = 3000.0;
                    for (int span = 64, amplitude = 16000; span >= 2; span /= 2, amplitude /= 2) {
                        const double fx = double(x % span) / span;
                        const double fy = double(y % span) / span;
                        const int i = x / span;
                        const int j = y / span;
                        height += amplitude * ((1 - fx) * (1 - fy) * lattice(i, j) +
                                               fx * (1 - fy) * lattice(i + 1, j) +
                                               (1 - fx) * fy * lattice(i, j + 1) +
                                               fx * fy * lattice(i + 1, j + 1));
                    }
                    return static_cast<std::uint16_t>(height);
                }));
        }
    }
    // 0_0 bumps up where 1_0 dips on their shared edge, each bump a tent of 9 samples that 0_0's
    // level of step 9 draws exactly; a spike inside 1_0 that only its full detail holds draws it
    // at step 1 beside 0_0's step 9. The edges part by twice the bump, which is the world's error.
    const auto tent = [](int r, int c, int atR) {
        const double u = (r - atR) / 9.0;
        const double v = (c - 9) / 9.0;
        return std::max(0.0, 1.0 - std::max({std::abs(u), std::abs(v), std::abs(u - v)}));
    };
    const std::vector<SectorSource> disagreeing = {
        WriteSector(folder.path() / "disagreeing", "0_0",
                    [&tent](int r, int c) {
                        return static_cast<std::uint16_t>(
                            std::lround(5000 + 1800 * tent(r, c, 126)));
                    }),
        WriteSector(folder.path() / "disagreeing", "1_0", [&tent](int r, int c) {
            const double spike = r == 60 && c == 61 ? 900 : 0;
            return static_cast<std::uint16_t>(std::lround(5000 - 1800 * tent(r, c, 0) + spike));
        })};

    struct View {
        const std::vector<SectorSource>* world;
        double height;
        double maxErrorPixels;
    };
    const View views[] = {{&rough, 12000.0, 2.0},
                          {&rough, 30000.0, 2.0},
                          {&rough, 80000.0, 2.0},
                          {&rough, 200000.0, 2.0},
                          {&disagreeing, 3000.0, 0.5}};
    // One model a world, its sectors loaded by the views before: near and far ones mix.
    WorldModel roughModel(rough, {});
    WorldModel disagreeingModel(disagreeing, {});
    std::size_t roughParted = 0;
    std::size_t disagreeingParted = 0;
    for (const View& view : views) {
        const bool isRough = view.world == &rough;
        WorldModel& model = isRough ? roughModel : disagreeingModel;
        const Camera camera = Above(isRough ? 8 : 1, view.height);
        for (const bool loaded : {false, true}) {
            if (loaded) {
                model.WaitForRequests();
            }
            const std::string crack =
                FirstCrack(model.Select(camera, 1280, 720, view.maxErrorPixels).patches,
                           isRough ? roughParted : disagreeingParted);
            EXPECT_EQ(crack, "") << view.height << " above, " << (loaded ? "loaded" : "coarse");
        }
    }
    // Else the views above never put two levels side by side.
    EXPECT_GT(roughParted, 1000u);
    EXPECT_GT(disagreeingParted, 0u);
}

}  // namespace
