#pragma once
// A sector file as the catalogue lists it: the sector's name ("12_7") and where its heightmap
// lies on this machine.

#include <cstdint>
#include <optional>
#include <string>

namespace world {

// A regular file's size and modification time, as one look at it found them.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const FileStamp&) const = default;
};

struct SectorSource {
    std::string name;
    // A plain string: a big world lists tens of thousands, and a std::filesystem::path keeps
    // every component of each apart.
    std::string hostPath;
    // The file's stamp when whoever listed it looked at it already, so that the first pass need
    // not look again; nullopt when it did not.
    std::optional<FileStamp> listed = std::nullopt;
};

}  // namespace world
