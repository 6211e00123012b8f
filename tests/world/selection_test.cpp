// What a frame draws, checked against the ground itself on random worlds (places, holes, smooth
// and rough ground) seen from random cameras: every patch holds the ground's samples, is within
// the error bound on screen, and together they draw every piece of ground in view exactly once,
// holes nearby or not. And a sector rewritten while resident comes back in its new version.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "world/lod_tree.h"
#include "world/overview_camera.h"
#include "world/world_files.h"
#include "world/world_model.h"

namespace {

namespace fs = std::filesystem;
using world::Camera;
using world::SectorStride;
using world::TerrainPatch;
using world::WorldModel;

std::uint32_t Hash(std::int64_t x, std::int64_t y, std::uint32_t seed) {
    std::uint64_t h = static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull ^
                      static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Full ^ seed;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return static_cast<std::uint32_t>(h);
}

// A world whose ground is one function of the world sample, so that neighbours agree on their
// shared edges: waves everywhere, each place smooth or rough to its own degree, a few spikes.
class RandomWorld {
public:
    RandomWorld(std::uint32_t seed, const fs::path& terrain) : seed_(seed) {
        std::mt19937 random(seed);
        firstA = static_cast<int>(random() % 4);
        firstB = static_cast<int>(random() % 4);
        columns = 1 + static_cast<int>(random() % 5);
        rows = 1 + static_cast<int>(random() % 5);
        held_.assign(static_cast<std::size_t>(columns * rows), 0);
        for (char& held : held_) {
            held = random() % 10 < 7 ? 1 : 0;
        }
        held_[random() % held_.size()] = 1;
        const int samplesX = columns * SectorStride + 1;
        const int samplesY = rows * SectorStride + 1;
        ground_.resize(static_cast<std::size_t>(samplesX * samplesY));
        for (int x = 0; x < samplesX; ++x) {
            for (int y = 0; y < samplesY; ++y) {
                ground_[static_cast<std::size_t>(x * samplesY + y)] =
                    Ground(FirstX() + x, FirstY() + y);
            }
        }
        for (int a = firstA; a < firstA + columns; ++a) {
            for (int b = firstB; b < firstB + rows; ++b) {
                if (Holds(a, b)) {
                    sources.push_back(world_test::WriteSector(
                        terrain, std::to_string(a) + "_" + std::to_string(b), [&](int r, int c) {
                            return At(SectorStride * a + r, SectorStride * b + c);
                        }));
                }
            }
        }
    }

    std::int64_t FirstX() const { return std::int64_t{SectorStride} * firstA; }
    std::int64_t FirstY() const { return std::int64_t{SectorStride} * firstB; }
    bool Holds(std::int64_t a, std::int64_t b) const {
        return a >= firstA && b >= firstB && a < firstA + columns && b < firstB + rows &&
               held_[static_cast<std::size_t>((a - firstA) * rows + (b - firstB))] != 0;
    }
    // The sample at world sample (gx, gy), inside the box of places.
    std::uint16_t At(std::int64_t gx, std::int64_t gy) const {
        const std::int64_t samplesY = std::int64_t{rows} * SectorStride + 1;
        return ground_[static_cast<std::size_t>((gx - FirstX()) * samplesY + (gy - FirstY()))];
    }

    int firstA = 0;
    int firstB = 0;
    int columns = 0;
    int rows = 0;
    std::vector<world::SectorSource> sources;

private:
    std::uint16_t Ground(std::int64_t gx, std::int64_t gy) const {
        const double waves = 3000.0 + 500.0 * std::sin(gx / 47.0 + seed_ % 7) +
                             350.0 * std::cos(gy / 31.0) + 60.0 * std::sin((gx + gy) / 29.0);
        constexpr std::array<double, 4> Roughness = {0.0, 2.0, 12.0, 60.0};
        const double rough = Roughness[Hash(gx / SectorStride, gy / SectorStride, seed_) % 4] *
                             (Hash(gx, gy, seed_) % 100) / 100.0;
        const double spike = Hash(gx, gy, seed_ + 1) % 40000 == 0 ? 1500.0 : 0.0;
        return static_cast<std::uint16_t>(std::lround(waves + rough + spike));
    }

    std::uint32_t seed_;
    std::vector<char> held_;
    std::vector<std::uint16_t> ground_;
};

// The height, in samples, the patch draws at world sample (gx, gy): cells cut along their
// (i, j)-(i + 1, j + 1) diagonal as the viewer cuts them; nothing where it draws no triangle.
std::optional<double> DrawnAt(const TerrainPatch& patch, double gx, double gy) {
    const double u = (gx - static_cast<double>(patch.originX)) / patch.step;
    const double v = (gy - static_cast<double>(patch.originY)) / patch.step;
    const int last = patch.side - 1;
    if (u < 0.0 || v < 0.0 || u > last || v > last) {
        return std::nullopt;
    }
    const int i = std::min(static_cast<int>(u), last - 1);
    const int j = std::min(static_cast<int>(v), last - 1);
    const double s = u - i;
    const double t = v - j;
    const int ci = s >= t ? i + 1 : i;
    const int cj = s >= t ? j : j + 1;
    const auto at = [&](int pi, int pj) { return static_cast<std::size_t>(pi * patch.side + pj); };
    if (patch.present && ((*patch.present)[at(i, j)] == 0 || (*patch.present)[at(ci, cj)] == 0 ||
                          (*patch.present)[at(i + 1, j + 1)] == 0)) {
        return std::nullopt;
    }
    const double h00 = (*patch.heights)[at(i, j)];
    const double h11 = (*patch.heights)[at(i + 1, j + 1)];
    const double hc = (*patch.heights)[at(ci, cj)];
    return s >= t ? h00 + s * (hc - h00) + t * (h11 - hc) : h00 + t * (hc - h00) + s * (h11 - hc);
}

struct Exercised {
    std::size_t nodes = 0;
    std::size_t coarserThanFull = 0;
    std::size_t pointsInView = 0;
};

void CheckFrame(const RandomWorld& world, const Camera& camera, int width, int height,
                double maxError, const std::vector<TerrainPatch>& patches, Exercised& exercised) {
    const double tanY = std::tan(world::FieldOfView / 2.0);
    const double tanX = tanY * width / height;
    const double pixelsPerUnit = height / (2.0 * tanY);
    for (const TerrainPatch& patch : patches) {
        const std::int64_t span = std::int64_t{patch.side - 1} * patch.step;
        exercised.nodes += patch.side == world::NodeSide ? 1 : 0;
        exercised.coarserThanFull += patch.step > 1 ? 1 : 0;
        for (int i = 0; i < patch.side; ++i) {
            for (int j = 0; j < patch.side; ++j) {
                const auto at = static_cast<std::size_t>(i * patch.side + j);
                if (!patch.present || (*patch.present)[at] != 0) {
                    ASSERT_EQ((*patch.heights)[at], world.At(patch.originX + i * patch.step,
                                                             patch.originY + j * patch.step))
                        << "point " << i << "," << j << " of the patch at " << patch.originX << ","
                        << patch.originY << " step " << patch.step;
                }
            }
        }
        // The greatest vertical distance between what it draws and the ground's samples below
        // it, and the box of that ground.
        double error = 0.0;
        std::uint16_t least = 65535;
        std::uint16_t greatest = 0;
        for (std::int64_t a = patch.originX / SectorStride;
             a < (patch.originX + span) / SectorStride; ++a) {
            for (std::int64_t b = patch.originY / SectorStride;
                 b < (patch.originY + span) / SectorStride; ++b) {
                if (!world.Holds(a, b)) {
                    continue;
                }
                for (int r = 0; r <= SectorStride; ++r) {
                    for (int c = 0; c <= SectorStride; ++c) {
                        const std::int64_t gx = SectorStride * a + r;
                        const std::int64_t gy = SectorStride * b + c;
                        const std::uint16_t sample = world.At(gx, gy);
                        least = std::min(least, sample);
                        greatest = std::max(greatest, sample);
                        if (const auto drawn = DrawnAt(patch, double(gx), double(gy))) {
                            error = std::max(error, std::abs(*drawn - sample));
                        }
                    }
                }
            }
        }
        const auto away = [](double value, double low, double high) {
            return value < low ? low - value : (value > high ? value - high : 0.0);
        };
        const double dx = away(camera.x, 10.0 * patch.originX, 10.0 * (patch.originX + span));
        const double dy = away(camera.y, 10.0 * patch.originY, 10.0 * (patch.originY + span));
        const double dz = away(camera.z, 0.25 * least, 0.25 * greatest);
        const double distance = std::max(world::NearPlane, std::sqrt(dx * dx + dy * dy + dz * dz));
        const double onScreen = error * 0.25 * pixelsPerUnit / distance;
        ASSERT_LE(onScreen, maxError * (1.0 + 1e-5))
            << "the patch at " << patch.originX << "," << patch.originY << " step " << patch.step
            << " is off by " << error << " samples " << distance << " units away";
    }
    // Points inside every sector's cells, off every patch's grid lines and diagonals: those well
    // inside the view are drawn by exactly one patch.
    for (std::int64_t a = world.firstA; a < world.firstA + world.columns; ++a) {
        for (std::int64_t b = world.firstB; b < world.firstB + world.rows; ++b) {
            if (!world.Holds(a, b)) {
                continue;
            }
            for (int m = 0; m < 14; ++m) {
                for (int n = 0; n < 14; ++n) {
                    const double gx = SectorStride * a + 9 * m + 0.3;
                    const double gy = SectorStride * b + 9 * n + 0.6;
                    const double z =
                        0.25 * world.At(SectorStride * a + 9 * m, SectorStride * b + 9 * n + 1);
                    const auto view = world::ToView(camera, 10.0 * gx - camera.x,
                                                    10.0 * gy - camera.y, z - camera.z);
                    if (view[2] < 2.0 || std::abs(view[0]) > 0.98 * view[2] * tanX ||
                        std::abs(view[1]) > 0.98 * view[2] * tanY) {
                        continue;
                    }
                    ++exercised.pointsInView;
                    const auto drawing = std::count_if(
                        patches.begin(), patches.end(), [&](const TerrainPatch& patch) {
                            return DrawnAt(patch, gx, gy).has_value();
                        });
                    ASSERT_EQ(drawing, 1) << "ground of sector " << a << "_" << b << " at sample "
                                          << gx << "," << gy << " in view";
                }
            }
        }
    }
}

TEST(SelectionTest, EveryPatchIsWithinTheBoundAndAllGroundInViewIsDrawnOnce) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    constexpr std::array<double, 6> Bounds = {0.5, 1.0, 2.0, 4.0, 8.0, 16.0};
    Exercised exercised;
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        TemporaryDirectory folder;
        const RandomWorld world(seed, folder.path());
        WorldModel model(world.sources, {});
        for (int view = 0; view < 6; ++view) {
            // Looking at a point of the box (or a little beyond it) from 30 to 20,000 units.
            const double targetX =
                1260.0 * (world.firstA + (world.columns + 0.4) * unit(random) - 0.2);
            const double targetY =
                1260.0 * (world.firstB + (world.rows + 0.4) * unit(random) - 0.2);
            const double distance = std::pow(10.0, 1.5 + 2.8 * unit(random));
            const double yaw = 2.0 * std::numbers::pi * unit(random);
            const double down = (10.0 + 80.0 * unit(random)) * std::numbers::pi / 180.0;
            const Camera camera = world::LookingAlong(
                targetX - std::sin(yaw) * distance * std::cos(down),
                targetY - std::cos(yaw) * distance * std::cos(down),
                750.0 + distance * std::sin(down), std::sin(yaw), std::cos(yaw), down);
            const int width = 150 + static_cast<int>(random() % 1150);
            const int height = 150 + static_cast<int>(random() % 900);
            const double maxError = Bounds[random() % Bounds.size()];
            world::FrameSelection frame;
            for (int round = 0; round < 8; ++round) {
                frame = model.Select(camera, width, height, maxError);
                if (frame.missingSectors == 0) {
                    break;
                }
                model.WaitForRequests();
            }
            ASSERT_EQ(frame.missingSectors, 0u);
            SCOPED_TRACE("world " + std::to_string(seed) + ", view " + std::to_string(view) +
                         ", bound " + std::to_string(maxError));
            CheckFrame(world, camera, width, height, maxError, frame.patches, exercised);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
    // The worlds and cameras reach what the checks are about.
    EXPECT_GT(exercised.nodes, 10u);
    EXPECT_GT(exercised.coarserThanFull, 100u);
    EXPECT_GT(exercised.pointsInView, 10000u);
}

std::uint16_t Rewritten(int r, int c) {
    return static_cast<std::uint16_t>(world_test::Rolling(0, 0)(r, c) + 700 + (r * c) % 50);
}

// The game rewrites a sector the frame shows in full detail: at once its new ground shows (coarse
// while the new samples stream in), then its full detail again, in a version a renderer that keeps
// patches by key and version cannot take for the old one.
TEST(SelectionTest, ASectorRewrittenWhileResidentComesBackInFullDetailInItsNewVersion) {
    TemporaryDirectory folder;
    std::vector<world::SectorSource> sources = {
        world_test::WriteSector(folder.path(), "0_0", world_test::Rolling(0, 0)),
        world_test::WriteSector(folder.path(), "1_0", world_test::Rolling(1, 0))};
    WorldModel model(sources, {});
    const Camera camera{1260.0, 630.0, 3000.0, 0.0, 3.1};
    const auto settled = [&] {
        world::FrameSelection frame;
        for (int round = 0; round < 10 && (round == 0 || frame.missingSectors > 0); ++round) {
            model.WaitForRequests();
            frame = model.Select(camera, 640, 480, 0.0);
        }
        return frame;
    };
    const auto sector00 = [](const world::FrameSelection& frame) {
        for (const TerrainPatch& patch : frame.patches) {
            if (patch.originX == 0 && patch.originY == 0) {
                return patch;
            }
        }
        ADD_FAILURE() << "sector 0_0 is not drawn";
        return TerrainPatch{};
    };
    const TerrainPatch before = sector00(settled());
    ASSERT_EQ(before.step, 1);

    model.SectorWritten(world_test::WriteSector(folder.path(), "0_0", Rewritten));
    const auto holdsTheNewGround = [](const TerrainPatch& patch) {
        for (int i = 0; i < patch.side; ++i) {
            for (int j = 0; j < patch.side; ++j) {
                if ((*patch.heights)[static_cast<std::size_t>(i * patch.side + j)] !=
                    Rewritten(i * patch.step, j * patch.step)) {
                    return false;
                }
            }
        }
        return true;
    };
    const TerrainPatch first = sector00(model.Select(camera, 640, 480, 0.0));
    ASSERT_TRUE(first.heights);
    EXPECT_TRUE(holdsTheNewGround(first)) << "step " << first.step;
    const TerrainPatch after = sector00(settled());
    ASSERT_TRUE(after.heights);
    EXPECT_EQ(after.step, 1);
    EXPECT_TRUE(holdsTheNewGround(after));
    EXPECT_TRUE(after.key != before.key || after.version != before.version);
}

}  // namespace
