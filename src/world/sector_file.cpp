#include "world/sector_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>

#include "world/file_descriptor.h"

namespace world {

namespace {

// Reads up to `size` bytes at `offset`, past interruptions and short reads.
bool ReadAt(int fd, void* buffer, std::size_t size, off_t offset, std::size_t& received) {
    received = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (received < size) {
        const ssize_t count =
            pread(fd, bytes + received, size - received, offset + static_cast<off_t>(received));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            break;
        }
        received += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace

bool ReadSectorFile(const std::filesystem::path& path, HeightmapSamples& samples,
                    std::string& reason) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) {
        reason = std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        reason = "not a regular file";
        return false;
    }
    samples.fill(0);
    std::size_t received = 0;
    if (!ReadAt(file.get(), samples.data(), HeightmapSampleBytes,
                static_cast<off_t>(HeightmapHeaderSize), received)) {
        reason = std::strerror(errno);
        return false;
    }
    if (received == 0) {
        reason = "holds no samples (empty, or only a header)";
        return false;
    }
    if constexpr (std::endian::native == std::endian::big) {
        for (std::uint16_t& sample : samples) {
            sample = static_cast<std::uint16_t>((sample >> 8) | (sample << 8));
        }
    }
    return true;
}

}  // namespace world
