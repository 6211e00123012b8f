// A catalogue world as the world model holds it: the first pass told as it goes, unreadable
// sectors held until the caller asks, and frames that wait for their sectors.

#include "headless_catalogue/catalogue_world.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "headless_catalogue/catalogue_error.h"
#include "headless_catalogue/catalogue_fixture.h"
#include "world/overview_camera.h"

namespace {

namespace fs = std::filesystem;
using headless_catalogue::CatalogueError;
using headless_catalogue::CatalogueWorld;
using headless_catalogue::WorldReports;

class CatalogueWorldTest : public CatalogueFixture {
protected:
    WorldReports Recording() {
        WorldReports reports;
        reports.progress = [this](std::size_t done, std::size_t total) {
            progress_.emplace_back(done, total);
        };
        reports.unreadable = [this](const std::string& path, const std::string&) {
            unreadable_.push_back(path);
        };
        return reports;
    }

    std::vector<std::pair<std::size_t, std::size_t>> progress_;
    std::vector<std::string> unreadable_;
};

TEST_F(CatalogueWorldTest, MakesTheWorldsModelAndSettlesAFrameOnItsSectors) {
    CatalogueWorld world("east", std::size_t{64} << 20, Recording());
    EXPECT_EQ(world.Model().SectorCount(), 4u);
    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_.back(), std::make_pair(std::size_t{4}, std::size_t{4}));

    double waited = 0.0;
    const world::FrameSelection frame =
        world.SelectSettled(world::OverviewCamera(world.Model().Extent()), 320, 200, 0.0, &waited);
    EXPECT_EQ(frame.missingSectors, 0u);
    EXPECT_FALSE(frame.patches.empty());
    EXPECT_GE(waited, 0.0);
    EXPECT_TRUE(unreadable_.empty());
}

TEST_F(CatalogueWorldTest, UnreadableSectorsAreToldWhenAskedForOnTheCallersTerms) {
    // A folder where the heightmap file should be: no regular file to read.
    const fs::path broken = Heightmap("Eastquarlend", "1_0");
    fs::remove(broken);
    fs::create_directory(broken);

    CatalogueWorld world("East", std::size_t{64} << 20, Recording());
    EXPECT_TRUE(unreadable_.empty());
    world.TellUnreadable();
    ASSERT_EQ(unreadable_.size(), 1u);
    EXPECT_TRUE(fs::equivalent(unreadable_[0], broken)) << unreadable_[0];
    world.TellUnreadable();
    EXPECT_EQ(unreadable_.size(), 1u);

    // A handler that throws ends the work where it is told.
    WorldReports failing;
    failing.unreadable = [](const std::string& path, const std::string&) {
        throw std::runtime_error("cannot read " + path);
    };
    CatalogueWorld again("East", std::size_t{64} << 20, std::move(failing));
    EXPECT_THROW(again.SelectSettled(world::OverviewCamera(again.Model().Extent()), 64, 64, 1.0),
                 std::runtime_error);
}

TEST_F(CatalogueWorldTest, AWorldTheCatalogueDoesNotListIsAnUnknownName) {
    try {
        CatalogueWorld world("North", std::size_t{64} << 20, {});
        ADD_FAILURE() << "an unknown world was made";
    } catch (const CatalogueError& error) {
        EXPECT_EQ(error.reason, CatalogueError::Reason::UnknownName);
    }
}

}  // namespace
