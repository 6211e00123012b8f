#pragma once
// A Wine prefix of small demo worlds for one test, with the process pointed at it and its
// summaries kept in a cache folder of the test's own.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/install_root.h"
#include "catalogue/sector_table.h"
#include "demo/demo_world.h"
#include "support/temporary_prefix.h"

class CatalogueFixture : public ::testing::Test {
protected:
    // East: 2 x 2 sectors; West: 3 x 1.
    static constexpr demo::DemoWorld Worlds[] = {{"Eastquarlend", 2, 2, 0xE1u},
                                                 {"Westquarlend", 3, 1, 0x3Eu}};

    CatalogueFixture() { demo::WriteWorldPrefix(prefix_, Worlds); }
    ~CatalogueFixture() override {
        InstallRoot = "";
        SectorTable.RemoveAll();
    }

    std::filesystem::path Terrain(const std::string& folder) const {
        return prefix_ / "drive_c" / "Games" / "Quarlend" / "world_cache" / folder / "terrain";
    }
    std::filesystem::path Heightmap(const std::string& folder, const std::string& sector) const {
        return Terrain(folder) / sector / ("heightmap_" + sector + ".zdt");
    }

    TemporaryDirectory directory_;
    std::filesystem::path prefix_ = directory_.path() / "prefix";
    ScopedEnvironment winePrefix_{"WINEPREFIX", prefix_.c_str()};
    ScopedEnvironment cache_{"XDG_CACHE_HOME", (directory_.path() / "cache").c_str()};
};
