#include "world/summary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "world/file_descriptor.h"

namespace world {

namespace {

namespace fs = std::filesystem;

constexpr std::array<std::uint8_t, 8> Magic = {'V', 'L', 'M', 'S', 'U', 'M', '0', '1'};
// Bounds that keep a corrupt count or length from asking for absurd memory.
constexpr std::uint32_t MaxEntries = 1u << 24;
constexpr std::uint32_t MaxPathBytes = 4096;
constexpr std::size_t SummaryBytes = sizeof(std::uint16_t) * CoarseSide * CoarseSide +
                                     sizeof(float) * LevelSteps.size() + 3 * sizeof(std::uint16_t);

// What one entry takes on disk, its path `pathBytes` long.
constexpr std::size_t EntryBytes(std::size_t pathBytes) {
    return sizeof(std::uint32_t) + pathBytes + sizeof(std::uint64_t) + sizeof(std::int64_t) +
           SummaryBytes;
}

// Reads exactly `size` bytes at `offset`; false on an error or when the file ends before them.
bool ReadWhole(int fd, std::uint8_t* into, std::size_t size, off_t offset) {
    std::size_t received = 0;
    while (received < size) {
        const ssize_t count =
            pread(fd, into + received, size - received, offset + static_cast<off_t>(received));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        received += static_cast<std::size_t>(count);
    }
    return true;
}

std::uint64_t Fnv1a(std::span<const std::uint8_t> bytes) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const std::uint8_t byte : bytes) {
        hash = (hash ^ byte) * 0x100000001b3u;
    }
    return hash;
}

class Writer {
public:
    template <typename T>
    void Put(T value) {
        std::array<std::uint8_t, sizeof(T)> raw{};
        std::memcpy(raw.data(), &value, sizeof(T));
        bytes.insert(bytes.end(), raw.begin(), raw.end());  // little-endian hosts only
    }
    std::vector<std::uint8_t> bytes;
};

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    template <typename T>
    bool Get(T& value) {
        if (bytes_.size() - at_ < sizeof(T)) {
            return false;
        }
        std::memcpy(&value, bytes_.data() + at_, sizeof(T));
        at_ += sizeof(T);
        return true;
    }
    bool GetText(std::size_t length, std::string& text) {
        if (bytes_.size() - at_ < length) {
            return false;
        }
        text.assign(reinterpret_cast<const char*>(bytes_.data() + at_), length);
        at_ += length;
        return true;
    }
    std::size_t Left() const { return bytes_.size() - at_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

bool GetSummary(Reader& in, SectorSummary& summary) {
    for (std::uint16_t& sample : summary.coarse) {
        if (!in.Get(sample)) {
            return false;
        }
    }
    for (float& error : summary.levelErrors) {
        // A stored error is a distance between samples: finite, and 0 to 65535.
        if (!in.Get(error) || !(error >= 0.0f && error <= 65535.0f)) {
            return false;
        }
    }
    return in.Get(summary.rangeLow) && in.Get(summary.greatest) && in.Get(summary.least) &&
           summary.least <= summary.greatest;
}

}  // namespace

std::optional<std::vector<SummaryEntry>> ParseSummaryFile(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t Checksum = sizeof(std::uint64_t);
    if (bytes.size() < Magic.size() + sizeof(std::uint32_t) + Checksum ||
        !std::equal(Magic.begin(), Magic.end(), bytes.begin())) {
        return std::nullopt;
    }
    const std::span<const std::uint8_t> body = bytes.first(bytes.size() - Checksum);
    std::uint64_t stored = 0;
    std::memcpy(&stored, bytes.data() + body.size(), Checksum);
    if (stored != Fnv1a(body)) {
        return std::nullopt;
    }
    Reader in(body.subspan(Magic.size()));
    std::uint32_t count = 0;
    if (!in.Get(count) || count > MaxEntries || count > in.Left() / EntryBytes(1)) {
        return std::nullopt;
    }
    std::vector<SummaryEntry> entries(count);
    for (SummaryEntry& entry : entries) {
        std::uint32_t pathBytes = 0;
        if (!in.Get(pathBytes) || pathBytes == 0 || pathBytes > MaxPathBytes ||
            !in.GetText(pathBytes, entry.key.path) || !in.Get(entry.key.size) ||
            !in.Get(entry.key.modifiedNanoseconds) || !GetSummary(in, entry.summary)) {
            return std::nullopt;
        }
    }
    if (in.Left() != 0) {
        return std::nullopt;
    }
    return entries;
}

std::vector<std::uint8_t> SerialiseSummaryFile(const std::vector<SummaryEntry>& entries) {
    Writer out;
    out.bytes.assign(Magic.begin(), Magic.end());
    out.Put(static_cast<std::uint32_t>(entries.size()));
    for (const SummaryEntry& entry : entries) {
        out.Put(static_cast<std::uint32_t>(entry.key.path.size()));
        out.bytes.insert(out.bytes.end(), entry.key.path.begin(), entry.key.path.end());
        out.Put(entry.key.size);
        out.Put(entry.key.modifiedNanoseconds);
        for (const std::uint16_t sample : entry.summary.coarse) {
            out.Put(sample);
        }
        for (const float error : entry.summary.levelErrors) {
            out.Put(error);
        }
        out.Put(entry.summary.rangeLow);
        out.Put(entry.summary.greatest);
        out.Put(entry.summary.least);
    }
    out.Put(Fnv1a(out.bytes));
    return std::move(out.bytes);
}

std::optional<FileStamp> StampOfFile(int folder, const char* below) {
    struct stat status {};
    if (fstatat(folder, below, &status, 0) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return FileStamp{static_cast<std::uint64_t>(status.st_size),
                     std::int64_t{status.st_mtim.tv_sec} * 1000000000 + status.st_mtim.tv_nsec};
}

std::optional<SummaryKey> KeyOfFile(const std::string& path) {
    const std::optional<FileStamp> stamp = StampOfFile(AT_FDCWD, path.c_str());
    if (!stamp) {
        return std::nullopt;
    }
    return SummaryKey{path, stamp->size, stamp->modifiedNanoseconds};
}

fs::path DefaultSummaryFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/') {
        return fs::path(cache) / "velmora";
    }
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".cache" / "velmora";
}

fs::path SummaryFileFor(const fs::path& folder, const fs::path& terrain) {
    const std::string text = terrain.lexically_normal().string();
    const std::uint64_t hash =
        Fnv1a({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    char name[40];
    std::snprintf(name, sizeof(name), "world-%016llx.summary",
                  static_cast<unsigned long long>(hash));
    return folder / name;
}

std::size_t SummaryFileBytesFor(const std::vector<std::size_t>& pathLengths) {
    std::size_t bytes = Magic.size() + sizeof(std::uint32_t) + sizeof(std::uint64_t);
    for (const std::size_t length : pathLengths) {
        bytes += EntryBytes(length);
    }
    return bytes;
}

std::optional<std::vector<SummaryEntry>> LoadSummaryFile(const fs::path& path,
                                                         std::size_t maxBytes) {
    // The path is not ours alone: another program may have left a FIFO there (O_NONBLOCK: the
    // open does not wait for a writer, and only a regular file is read), or may cut the file
    // short while it is read (read, not mapped: a shrinking file is a short read, not SIGBUS).
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (file.get() < 0 || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size <= 0) {
        return std::nullopt;
    }
    // A file larger than the world's sectors can fill is not theirs: refused before a byte of it
    // is read beyond its header.
    const auto size = static_cast<std::size_t>(status.st_size);
    std::array<std::uint8_t, Magic.size() + sizeof(std::uint32_t)> header{};
    if (size > maxBytes || !ReadWhole(file.get(), header.data(), header.size(), 0) ||
        !std::equal(Magic.begin(), Magic.end(), header.begin())) {
        return std::nullopt;
    }
    std::uint32_t count = 0;
    std::memcpy(&count, header.data() + Magic.size(), sizeof count);
    if (size <
        Magic.size() + sizeof count + sizeof(std::uint64_t) + std::size_t{count} * EntryBytes(1)) {
        return std::nullopt;
    }
    // Not zeroed first: every byte is read over.
    const std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]);
    if (!ReadWhole(file.get(), bytes.get(), size, 0)) {
        return std::nullopt;
    }
    return ParseSummaryFile({bytes.get(), size});
}

bool StoreSummaryFile(const fs::path& path, const std::vector<SummaryEntry>& entries) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    const std::vector<std::uint8_t> bytes = SerialiseSummaryFile(entries);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = write(fd, bytes.data() + written, bytes.size() - written);
        if (count <= 0) {
            break;
        }
        written += static_cast<std::size_t>(count);
    }
    const bool whole = written == bytes.size() && close(fd) == 0;
    if (!whole || std::rename(temporary.c_str(), path.c_str()) != 0) {
        if (written != bytes.size()) {
            close(fd);
        }
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace world
