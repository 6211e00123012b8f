#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/install_root.h"
#include "catalogue/catalogue_controls.h"
#include "catalogue/heightmap_path.h"
#include "catalogue/sector_table.h"
#include "catalogue/world_list.h"
#include "support/temporary_prefix.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

namespace fs = std::filesystem;

class CatalogueTest : public testing::Test {
protected:
    void SetUp() override {
        InstallRoot = "C:\\Q";
        cache = prefix.driveC() / "Q" / "world_cache";
        fs::create_directories(cache);
    }
    void TearDown() override {
        InstallRoot = "";
        SectorTable.RemoveAll();
    }

    void MakeSector(const std::string& world, const std::string& sector) {
        fs::create_directories(cache / world / "terrain" / sector);
    }

    std::string Lookup(const char* sector) {
        CString directory;
        return SectorTable.Lookup(sector, directory) ? directory.GetString() : "<none>";
    }

    TemporaryPrefix prefix;
    fs::path cache;
    CatalogueControls controls;
};

TEST_F(CatalogueTest, WorkedExampleFromWorldToHeightmapPath) {
    MakeSector("Eastquarlend", "12_7");
    FillWorldList(controls.worldCombo);
    EXPECT_THAT(controls.Worlds(), ElementsAre("East"));
    EXPECT_EQ(controls.WorldComboText(), "East");

    ScanSectors("East");
    EXPECT_EQ(Lookup("12_7"), "C:\\Q\\world_cache\\Eastquarlend\\terrain\\12_7");
    EXPECT_EQ(HeightmapPath(Lookup("12_7").c_str(), "12_7"),
              "C:\\Q\\world_cache\\Eastquarlend\\terrain\\12_7\\heightmap_12_7.zdt");
}

TEST_F(CatalogueTest, WorldNamesDropTheExactGameWordOnly) {
    for (const char* name : {"quarlend", "quarlendquarlend", "AquarlendBquarlend", "EastQUARLEND",
                             "West.2quarlend", "Northquarlend"}) {
        fs::create_directories(cache / name);
    }
    WriteFile(cache / "Filequarlend", "a file is no world");
    fs::create_directories(cache / "Elsewhere");

    FillWorldList(controls.worldCombo);
    // Two empty names (quarlend, quarlendquarlend) are both added; the combo sorts the rest.
    EXPECT_THAT(controls.Worlds(), ElementsAre("", "", "AB", "EastQUARLEND", "North", "West"));
    EXPECT_EQ(controls.worldCombo.GetCurSel(), 0);
}

TEST_F(CatalogueTest, ScanningAWorldNameSearchesNameAndGameWord) {
    MakeSector("quarlend", "1_1");
    MakeSector("quarlendquarlend", "2_2");
    MakeSector("AquarlendBquarlend", "3_3");
    MakeSector("EastQUARLEND", "4_4");
    MakeSector("West.2quarlend", "5_5");
    MakeSector("Westquarlend", "6_6");

    ScanSectors("");  // finds quarlend\terrain, not quarlendquarlend's sectors
    FillSectorList(controls.sectorList);
    EXPECT_THAT(controls.Sectors(), ElementsAre("1_1"));

    ScanSectors("AB");  // searches ABquarlend, which does not exist
    FillSectorList(controls.sectorList);
    EXPECT_THAT(controls.Sectors(), IsEmpty());

    ScanSectors("EastQUARLEND");  // searches EastQUARLENDquarlend
    EXPECT_TRUE(SectorTable.IsEmpty());

    ScanSectors("West");  // the title of West.2quarlend leads to Westquarlend
    FillSectorList(controls.sectorList);
    EXPECT_THAT(controls.Sectors(), ElementsAre("6_6"));
}

TEST_F(CatalogueTest, SectorsAreDirectoriesWithAnUnderscoreKeyedByTitle) {
    MakeSector("Eastquarlend", "3_4");
    MakeSector("Eastquarlend", "3_4.old");
    MakeSector("Eastquarlend", "Ab_Cd");
    MakeSector("Eastquarlend", "nounderscore");
    WriteFile(cache / "Eastquarlend" / "terrain" / "5_5", "a file");

    ScanSectors("East");
    FillSectorList(controls.sectorList);
    EXPECT_THAT(controls.Sectors(), ElementsAre("3_4", "Ab_Cd"));
    // 3_4 and 3_4.old share a title: one key, the path of whichever the search returned later.
    const std::string path = Lookup("3_4");
    EXPECT_TRUE(path == "C:\\Q\\world_cache\\Eastquarlend\\terrain\\3_4" ||
                path == "C:\\Q\\world_cache\\Eastquarlend\\terrain\\3_4.old")
        << path;
    // Keys keep the directory's letter case and look-ups match it exactly.
    EXPECT_EQ(Lookup("ab_cd"), "<none>");
    EXPECT_EQ(Lookup("Ab_Cd"), "C:\\Q\\world_cache\\Eastquarlend\\terrain\\Ab_Cd");
}

TEST_F(CatalogueTest, SectorListIsNaturallyOrderedAndFollowsTheWorldScannedLast) {
    for (const char* sector : {"10_2", "9_3", "10_10", "10_9", "0_0"}) {
        MakeSector("Eastquarlend", sector);
    }
    MakeSector("Westquarlend", "7_7");

    ScanSectors("East");
    FillSectorList(controls.sectorList);
    EXPECT_THAT(controls.Sectors(), ElementsAre("0_0", "9_3", "10_2", "10_9", "10_10"));
    EXPECT_EQ(controls.sectorList.GetCurSel(), LB_ERR);

    ScanSectors("West");
    FillSectorList(controls.sectorList);
    EXPECT_THAT(controls.Sectors(), ElementsAre("7_7"));
    EXPECT_EQ(Lookup("0_0"), "<none>");
}

TEST_F(CatalogueTest, DirectoryCaseNeedNotMatchThePath) {
    InstallRoot = "c:\\q";
    fs::create_directories(prefix.driveC() / "Q" / "World_Cache" / "Eastquarlend" / "TERRAIN" /
                           "1_2");
    fs::remove_all(cache);
    FillWorldList(controls.worldCombo);
    EXPECT_THAT(controls.Worlds(), ElementsAre("East"));
    ScanSectors("East");
    // Paths keep the caller's spelling of the directories, then the names as found.
    EXPECT_EQ(Lookup("1_2"), "c:\\q\\world_cache\\Eastquarlend\\terrain\\1_2");
}

TEST_F(CatalogueTest, TrailingBackslashInTheInstallRootIsKept) {
    InstallRoot = "C:\\Q\\";
    MakeSector("Eastquarlend", "1_1");
    FillWorldList(controls.worldCombo);
    EXPECT_THAT(controls.Worlds(), ElementsAre("East"));
    ScanSectors("East");
    EXPECT_EQ(Lookup("1_1").find("C:\\Q\\"), 0u);
    EXPECT_NE(Lookup("1_1"), "<none>");
}

TEST_F(CatalogueTest, NoWorldsLeavesTheComboEmptyAndScansTheEmptyName) {
    fs::remove_all(cache);
    FillWorldList(controls.worldCombo);
    EXPECT_THAT(controls.Worlds(), IsEmpty());
    EXPECT_EQ(controls.WorldComboText(), "");
    ScanSectors(controls.WorldComboText().c_str());
    FillSectorList(controls.sectorList);
    EXPECT_THAT(controls.Sectors(), IsEmpty());
}

TEST_F(CatalogueTest, EmptyInstallRootSearchesBelowTheCurrentDrivesRoot) {
    InstallRoot = "";
    fs::create_directories(prefix.driveC() / "world_cache" / "Southquarlend" / "terrain" / "2_3");
    ScopedCurrentDirectory inDriveC(prefix.driveC());
    FillWorldList(controls.worldCombo);
    EXPECT_THAT(controls.Worlds(), ElementsAre("South"));
    ScanSectors("South");
    EXPECT_EQ(Lookup("2_3"), "C:\\world_cache\\Southquarlend\\terrain\\2_3");
}

TEST_F(CatalogueTest, RefillingEmptiesTheControlsFirst) {
    MakeSector("Eastquarlend", "1_1");
    FillWorldList(controls.worldCombo);
    FillWorldList(controls.worldCombo);
    EXPECT_THAT(controls.Worlds(), ElementsAre("East"));
    ScanSectors("East");
    FillSectorList(controls.sectorList);
    FillSectorList(controls.sectorList);
    EXPECT_THAT(controls.Sectors(), ElementsAre("1_1"));
}

}  // namespace
