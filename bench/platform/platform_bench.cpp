// Registry key lookup against reading system.reg once, and its peak memory on a key of millions of
// values; directory search against a bare readdir.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/platform/mfc/file_find.h"
#include "app/platform/win32/registry.h"
#include "app/platform/wine/registry_hive_file.h"
#include "app/platform/wine/wine_prefix.h"

namespace fs = std::filesystem;

namespace {

// A temporary prefix with a 20 MB system.reg and a directory of 10,000 subdirectories, built
// once and removed at exit.
class BenchPrefix {
public:
    BenchPrefix() {
        std::string pattern = (fs::temp_directory_path() / "velmora-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        root_ = pattern;
        fs::create_directories(root_ / "drive_c" / "sectors");
        fs::create_directories(root_ / "dosdevices");
        fs::create_directory_symlink("../drive_c", root_ / "dosdevices" / "c:");
        setenv("WINEPREFIX", root_.c_str(), 1);
        wine::ResetPrefixSelection();
        WriteHive();
        for (int i = 0; i < 10000; ++i) {
            fs::create_directory(root_ / "drive_c" / "sectors" /
                                 (std::to_string(i / 100) + "_" + std::to_string(i % 100)));
        }
    }
    ~BenchPrefix() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    fs::path Hive() const { return root_ / "system.reg"; }
    fs::path Root() const { return root_; }
    fs::path Sectors() const { return root_ / "drive_c" / "sectors"; }

private:
    // Sections shaped like a real prefix's: several values, some with continued hex lines; the
    // key that is looked up comes last.
    void WriteHive() {
        std::ofstream out(Hive(), std::ios::binary);
        out << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
        std::size_t written = 0;
        for (int i = 0; written < (20u << 20); ++i) {
            std::string section = "[Software\\\\Classes\\\\CLSID\\\\{" + std::to_string(i) +
                                  "-0000-0000-C000-000000000046}\\\\InprocServer32] 1700000000\n"
                                  "#time=1d9a1b2c3d4e5f6\n"
                                  "@=\"C:\\\\windows\\\\system32\\\\ole32.dll\"\n"
                                  "\"ThreadingModel\"=\"Both\"\n"
                                  "\"Data\"=hex:00,11,22,33,44,55,66,77,88,99,aa,bb,cc,dd,ee,ff,"
                                  "00,11,22,33,44,55,\\\n  66,77,88,99,aa,bb,cc,dd,ee,ff\n"
                                  "\"Flags\"=dword:00000001\n\n";
            out << section;
            written += section.size();
        }
        out << "[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend] 1700000000\n"
               "@=\"C:\\\\Games\\\\Quarlend\"\n";
    }

    fs::path root_;
};

BenchPrefix& Prefix() {
    static BenchPrefix prefix;
    return prefix;
}

void BM_ReadSystemRegOnce(benchmark::State& state) {
    const fs::path hive = Prefix().Hive();
    std::vector<char> buffer(1u << 20);
    for (auto _ : state) {
        const int descriptor = open(hive.c_str(), O_RDONLY);
        std::size_t total = 0;
        ssize_t got = 0;
        while ((got = read(descriptor, buffer.data(), buffer.size())) > 0) {
            total += static_cast<std::size_t>(got);
        }
        close(descriptor);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(fs::file_size(hive)));
}
BENCHMARK(BM_ReadSystemRegOnce)->Unit(benchmark::kMillisecond);

void BM_RegistryKeyLookup(benchmark::State& state) {
    Prefix();
    for (auto _ : state) {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\MolvaneStudios\\Quarlend", &key) !=
            ERROR_SUCCESS) {
            state.SkipWithError("key not found");
            break;
        }
        char name[512];
        BYTE data[512];
        DWORD nameChars = 512;
        DWORD dataBytes = 512;
        benchmark::DoNotOptimize(
            RegEnumValueA(key, 0, name, &nameChars, nullptr, nullptr, data, &dataBytes));
        RegCloseKey(key);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(fs::file_size(Prefix().Hive())));
}
BENCHMARK(BM_RegistryKeyLookup)->Unit(benchmark::kMillisecond);

// A 48 MB system.reg whose install-root key holds 4,000,000 empty values ("abcdef"=""), 12 bytes
// of file each; made at run time.
fs::path WriteWideKeyHive(const fs::path& root) {
    const fs::path path = root / "wide-key.reg";
    std::ofstream out(path, std::ios::binary);
    out << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
           "[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend] 1700000000\n";
    std::string line = "\"000000\"=\"\"\n";
    for (int i = 0; i < 4'000'000; ++i) {
        int rest = i;
        for (std::size_t digit = 6; digit >= 1; --digit) {
            line[digit] = "0123456789abcdefghijklmnopqrstuvwxyz"[rest % 36];
            rest /= 36;
        }
        out << line;
    }
    return path;
}

// The resident memory of this process in KiB: now ("VmRSS") or at its peak ("VmHWM").
long StatusKib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == field) {
            long kib = 0;
            status >> kib;
            return kib;
        }
    }
    return -1;
}

// Makes the peak of resident memory ("VmHWM") start again from what is resident now.
bool ResetPeakMemory() {
    const int descriptor = open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool written = write(descriptor, "5", 1) == 1;
    close(descriptor);
    return written;
}

// The peak resident memory of one lookup, above what the process held before it: free heap
// memory is handed back and the kernel's high-water mark reset first, so that neither the
// pages an earlier lookup left behind nor the file's generation count.
void BM_WideKeyLookupPeakMemory(benchmark::State& state) {
    static const fs::path hive = WriteWideKeyHive(Prefix().Root());
    const double fileMib = static_cast<double>(fs::file_size(hive)) / (1 << 20);
    double peakMib = 0;
    std::size_t values = 0;
    for (auto _ : state) {
        malloc_trim(0);
        if (!ResetPeakMemory()) {
            state.SkipWithError("cannot reset the peak of resident memory");
            break;
        }
        const long before = StatusKib("VmRSS:");
        {
            std::optional<std::vector<wine::RegistryValue>> key =
                wine::ReadRegistryKey(hive, "Software\\MolvaneStudios\\Quarlend");
            if (!key) {
                state.SkipWithError("key not found");
                break;
            }
            values = key->size();
            peakMib = std::max(peakMib, static_cast<double>(StatusKib("VmHWM:") - before) / 1024);
        }
    }
    state.counters["file_MiB"] = fileMib;
    state.counters["peak_MiB"] = peakMib;
    state.counters["peak_per_file"] = peakMib / fileMib;
    state.counters["values_kept"] = static_cast<double>(values);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(fs::file_size(hive)));
}
BENCHMARK(BM_WideKeyLookupPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BareReaddir(benchmark::State& state) {
    const fs::path sectors = Prefix().Sectors();
    for (auto _ : state) {
        DIR* directory = opendir(sectors.c_str());
        std::size_t count = 0;
        while (const dirent* entry = readdir(directory)) {
            count += entry->d_type == DT_DIR ? 1 : 0;
        }
        closedir(directory);
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_BareReaddir)->Unit(benchmark::kMicrosecond);

void BM_FileFindSectors(benchmark::State& state) {
    Prefix();
    for (auto _ : state) {
        CFileFind finder;
        std::size_t count = 0;
        BOOL more = finder.FindFile("C:\\Sectors\\*_*");
        while (more) {
            more = finder.FindNextFile();
            if (finder.MatchesMask(FILE_ATTRIBUTE_DIRECTORY) && !finder.IsDots()) {
                ++count;
            }
        }
        finder.Close();
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_FileFindSectors)->Unit(benchmark::kMicrosecond);

// The catalogue's full loop: also title and path of every sector.
void BM_FileFindSectorsWithTitleAndPath(benchmark::State& state) {
    Prefix();
    for (auto _ : state) {
        CFileFind finder;
        std::size_t length = 0;
        BOOL more = finder.FindFile("C:\\Sectors\\*_*");
        while (more) {
            more = finder.FindNextFile();
            if (finder.MatchesMask(FILE_ATTRIBUTE_DIRECTORY) && !finder.IsDots()) {
                length += static_cast<std::size_t>(finder.GetFileTitle().GetLength() +
                                                   finder.GetFilePath().GetLength());
            }
        }
        finder.Close();
        benchmark::DoNotOptimize(length);
    }
}
BENCHMARK(BM_FileFindSectorsWithTitleAndPath)->Unit(benchmark::kMicrosecond);

}  // namespace
