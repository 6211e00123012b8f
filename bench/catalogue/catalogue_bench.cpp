// Scanning a world of 10,000 sector directories into the sector table, against a bare readdir of
// the same terrain directory; and the install-root lookup in a 20 MB system.reg, against reading
// the file once.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/install_root.h"
#include "app/platform/wine/wine_prefix.h"
#include "app/registry_reader.h"
#include "catalogue/sector_table.h"

namespace {

namespace fs = std::filesystem;

// A Wine prefix with a 20 MB system.reg whose game key comes last, and one world of 100 x 100
// sectors; made once, removed at exit.
class BenchPrefix {
public:
    BenchPrefix() {
        std::string pattern = (fs::temp_directory_path() / "velmora-bench-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        fs::create_directories(root_ / "dosdevices");
        fs::create_directory_symlink("../drive_c", root_ / "dosdevices" / "c:");
        terrain_ = root_ / "drive_c" / "Q" / "world_cache" / "Bigquarlend" / "terrain";
        fs::create_directories(terrain_);
        for (int x = 0; x < 100; ++x) {
            for (int y = 0; y < 100; ++y) {
                fs::create_directory(terrain_ / (std::to_string(x) + "_" + std::to_string(y)));
            }
        }
        std::ofstream reg(root_ / "system.reg", std::ios::binary);
        reg << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
        for (int key = 0; reg.tellp() < (20 << 20); ++key) {
            reg << "[Software\\\\Vendor" << key % 97 << "\\\\Product" << key
                << "] 1700000000\n#time=1d9a0b0c0d0e0f0\n@=\"C:\\\\Program Files\\\\Product" << key
                << "\"\n\"Version\"=dword:0000000" << key % 10
                << "\n\"Blob\"=hex:00,11,22,33,44,55,66,77,88,99,aa,bb,cc,dd,ee,ff,00,11,22,33,\\\n"
                   "  44,55,66,77\n\n";
        }
        reg << "[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend] 1700000000\n"
               "@=\"C:\\\\Q\"\n";
        reg.close();
        setenv("WINEPREFIX", root_.c_str(), 1);
        wine::ResetPrefixSelection();
    }
    ~BenchPrefix() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    const fs::path& root() const { return root_; }
    const fs::path& terrain() const { return terrain_; }

private:
    fs::path root_;
    fs::path terrain_;
};

const BenchPrefix& Prefix() {
    static const BenchPrefix prefix;
    return prefix;
}

void BM_BareReaddirOfTerrain(benchmark::State& state) {
    const fs::path& terrain = Prefix().terrain();
    for (auto _ : state) {
        DIR* directory = opendir(terrain.c_str());
        std::size_t entries = 0;
        while (const dirent* entry = readdir(directory)) {
            benchmark::DoNotOptimize(entry->d_name[0]);
            ++entries;
        }
        closedir(directory);
        benchmark::DoNotOptimize(entries);
    }
}
BENCHMARK(BM_BareReaddirOfTerrain)->Unit(benchmark::kMicrosecond);

void BM_ScanSectors(benchmark::State& state) {
    Prefix();
    InstallRoot = "C:\\Q";
    for (auto _ : state) {
        ScanSectors("Big");
        benchmark::DoNotOptimize(SectorTable.GetCount());
    }
    state.counters["sectors"] = SectorTable.GetCount();
}
BENCHMARK(BM_ScanSectors)->Unit(benchmark::kMicrosecond);

void BM_ReadSystemRegOnce(benchmark::State& state) {
    const fs::path file = Prefix().root() / "system.reg";
    std::string buffer(fs::file_size(file), '\0');
    for (auto _ : state) {
        std::ifstream in(file, std::ios::binary);
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(buffer.size()));
}
BENCHMARK(BM_ReadSystemRegOnce)->Unit(benchmark::kMillisecond);

void BM_InstallRootLookup(benchmark::State& state) {
    Prefix();
    for (auto _ : state) {
        CString root;
        RegistryReader reader;
        benchmark::DoNotOptimize(reader.ReadValue(InstallRootKey, "", root));
    }
}
BENCHMARK(BM_InstallRootLookup)->Unit(benchmark::kMillisecond);

}  // namespace
