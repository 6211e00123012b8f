#pragma once
// The first pass's summaries kept on disk between runs, one file per world. Each entry is keyed
// by its heightmap's path, size and modification time, so a changed file is read again and never
// drawn from a stale summary. The file ends in a checksum of everything before it: a file that
// is cut short, corrupt or of another format is ignored (and later rewritten), never trusted.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "world/sector_source.h"
#include "world/sector_summary.h"

namespace world {

struct SummaryKey {
    std::string path;
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const SummaryKey&) const = default;
};

struct SummaryEntry {
    SummaryKey key;
    SectorSummary summary;
};

// The entries of a summary file's bytes, or nullopt when the bytes are not a whole, intact
// summary file of this format.
std::optional<std::vector<SummaryEntry>> ParseSummaryFile(std::span<const std::uint8_t> bytes);

std::vector<std::uint8_t> SerialiseSummaryFile(const std::vector<SummaryEntry>& entries);

// The key of the file at path as it is now; nullopt when it cannot be looked at.
std::optional<SummaryKey> KeyOfFile(const std::string& path);

// The stamp of the file at `below`, looked up from the open folder `folder` (or AT_FDCWD) and
// following links; nullopt when it cannot be looked at or is not a regular file.
std::optional<FileStamp> StampOfFile(int folder, const char* below);

// $XDG_CACHE_HOME/velmora, else ~/.cache/velmora.
std::filesystem::path DefaultSummaryFolder();

// The file in `folder` that keeps the summaries of the world whose terrain lies in `terrain`.
std::filesystem::path SummaryFileFor(const std::filesystem::path& folder,
                                     const std::filesystem::path& terrain);

// The most bytes a summary file of entries with paths of these lengths can take.
std::size_t SummaryFileBytesFor(const std::vector<std::size_t>& pathLengths);

// Reads the file at path: nullopt when it is missing, unreadable, not a regular file, larger than
// maxBytes, cut short while it is read, or invalid. Never blocks on a FIFO; never reads more than
// its header of a file that is too large.
std::optional<std::vector<SummaryEntry>> LoadSummaryFile(const std::filesystem::path& path,
                                                         std::size_t maxBytes);

// Writes the file whole under a temporary name renamed onto it (false when it cannot).
bool StoreSummaryFile(const std::filesystem::path& path, const std::vector<SummaryEntry>& entries);

}  // namespace world
