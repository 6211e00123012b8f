#include "image/jpeg_file.h"

#include <turbojpeg.h>

#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>

namespace image {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t BaselineFrame = 0xC0;
constexpr std::uint8_t ExtendedFrame = 0xC1;
constexpr std::uint8_t ProgressiveFrame = 0xC2;
constexpr std::uint8_t HuffmanTables = 0xC4;
constexpr std::uint8_t StartOfScan = 0xDA;
constexpr std::uint8_t EndOfImage = 0xD9;

bool IsRestart(std::uint8_t marker) {
    return marker >= 0xD0 && marker <= 0xD7;
}

// Any start-of-frame marker: C0 to CF except DHT (C4), JPG (C8) and DAC (CC).
bool IsFrame(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

struct Structure {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint64_t scanBytes = 0;  // entropy-coded data of every scan together
};

// Defined Huffman tables, by class (DC, AC) and slot.
using TableSet = std::array<std::array<bool, 4>, 2>;

bool ParseHuffmanTables(Bytes segment, TableSet& defined) {
    std::size_t at = 0;
    while (at < segment.size()) {
        if (at + 17 > segment.size()) {
            return false;
        }
        const std::uint8_t tableClass = segment[at] >> 4;
        const std::uint8_t slot = segment[at] & 0x0F;
        if (tableClass > 1 || slot > 3) {
            return false;
        }
        std::size_t symbols = 0;
        for (std::size_t i = 1; i <= 16; ++i) {
            symbols += segment[at + i];
        }
        if (symbols > 256 || at + 17 + symbols > segment.size()) {
            return false;
        }
        defined[tableClass][slot] = true;
        at += 17 + symbols;
    }
    return true;
}

// Every table the scan's components use must be defined: DC tables for the first pass over DC
// coefficients, AC tables for AC coefficients (progressive scans use one or the other).
bool ScanTablesDefined(Bytes segment, bool progressive, const TableSet& defined) {
    if (segment.empty()) {
        return false;
    }
    const std::size_t components = segment[0];
    if (components < 1 || components > 4 || segment.size() != 1 + 2 * components + 3) {
        return false;
    }
    const std::uint8_t spectralStart = segment[1 + 2 * components];
    const std::uint8_t approximationHigh = segment[3 + 2 * components] >> 4;
    const bool usesDc = !progressive || (spectralStart == 0 && approximationHigh == 0);
    const bool usesAc = !progressive || spectralStart > 0;
    for (std::size_t c = 0; c < components; ++c) {
        const std::uint8_t tables = segment[2 + 2 * c];
        const std::uint8_t dc = tables >> 4;
        const std::uint8_t ac = tables & 0x0F;
        if ((usesDc && (dc > 3 || !defined[0][dc])) || (usesAc && (ac > 3 || !defined[1][ac]))) {
            return false;
        }
    }
    return true;
}

// Walks the segments from start to end of image. False for anything the decoder must not see.
bool WalkSegments(Bytes file, Structure& structure) {
    TableSet defined{};
    bool haveFrame = false;
    bool progressive = false;
    bool haveScan = false;
    std::size_t at = 2;  // after the start-of-image marker
    for (;;) {
        if (at >= file.size() || file[at] != 0xFF) {
            return false;
        }
        while (at < file.size() && file[at] == 0xFF) {  // fill bytes
            ++at;
        }
        if (at >= file.size()) {
            return false;
        }
        const std::uint8_t marker = file[at++];
        if (marker == EndOfImage) {
            return haveFrame && haveScan;
        }
        if (marker == 0x01 || IsRestart(marker)) {
            continue;  // no length
        }
        if (at + 2 > file.size()) {
            return false;
        }
        const std::size_t length = (std::size_t{file[at]} << 8) | file[at + 1];
        if (length < 2 || at + length > file.size()) {
            return false;
        }
        const Bytes segment = file.subspan(at + 2, length - 2);
        if (IsFrame(marker)) {
            // One frame, Huffman-coded, sequential or progressive: lossless, hierarchical and
            // arithmetic-coded files are refused.
            if (haveFrame ||
                (marker != BaselineFrame && marker != ExtendedFrame &&
                 marker != ProgressiveFrame) ||
                segment.size() < 6) {
                return false;
            }
            haveFrame = true;
            progressive = marker == ProgressiveFrame;
            structure.height = (std::uint32_t{segment[1]} << 8) | segment[2];
            structure.width = (std::uint32_t{segment[3]} << 8) | segment[4];
        } else if (marker == HuffmanTables) {
            if (!ParseHuffmanTables(segment, defined)) {
                return false;
            }
        } else if (marker == StartOfScan) {
            if (!haveFrame || !ScanTablesDefined(segment, progressive, defined)) {
                return false;
            }
            haveScan = true;
        }
        at += length;
        if (marker == StartOfScan) {
            // Entropy-coded data runs to the next marker that is neither a stuffed 0xFF 0x00
            // nor a restart marker.
            const std::size_t dataStart = at;
            while (at + 1 < file.size() &&
                   !(file[at] == 0xFF && file[at + 1] != 0x00 && !IsRestart(file[at + 1]))) {
                ++at;
            }
            if (at + 1 >= file.size()) {
                return false;
            }
            structure.scanBytes += at - dataStart;
        }
    }
}

struct DecompressorFree {
    void operator()(void* handle) const { tjDestroy(handle); }
};

}  // namespace

bool IsJpegFile(std::span<const std::uint8_t> file) {
    return file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF;
}

ImageStatus DecodeJpegFile(std::span<const std::uint8_t> file, TextureImage& image) {
    image = TextureImage{};
    if (!IsJpegFile(file)) {
        return ImageStatus::Unrecognised;
    }
    Structure structure;
    if (file.size() > std::numeric_limits<unsigned long>::max() || !WalkSegments(file, structure) ||
        !TextureSizeAcceptable(structure.width, structure.height)) {
        return ImageStatus::Corrupt;
    }
    // Huffman coding spends at least one bit on every 8 x 8 block of the frame's largest
    // component, so shorter scan data cannot cover the frame.
    const std::uint64_t blocks =
        std::uint64_t{(structure.width + 7) / 8} * ((structure.height + 7) / 8);
    if (structure.scanBytes * 8 < blocks) {
        return ImageStatus::Corrupt;
    }

    const std::unique_ptr<void, DecompressorFree> decompressor(tjInitDecompress());
    if (!decompressor) {
        return ImageStatus::Corrupt;
    }
    const auto length = static_cast<unsigned long>(file.size());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(decompressor.get(), file.data(), length, &width, &height, &subsampling,
                            &colourspace) != 0 ||
        width <= 0 || height <= 0 || static_cast<std::uint32_t>(width) != structure.width ||
        static_cast<std::uint32_t>(height) != structure.height) {
        return ImageStatus::Corrupt;
    }

    TextureLevel picture{structure.width, structure.height,
                         std::vector<std::uint32_t>(std::size_t{structure.width} * height)};
    // D3DCOLOR texels hold B, G, R, A in memory on little-endian machines.
    constexpr int PixelFormat = std::endian::native == std::endian::little ? TJPF_BGRA : TJPF_ARGB;
    if (tjDecompress2(decompressor.get(), file.data(), length,
                      reinterpret_cast<unsigned char*>(picture.texels.data()), width, 0, height,
                      PixelFormat, TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS) != 0) {
        return ImageStatus::Corrupt;
    }
    image.hasAlpha = false;
    BuildMipChain(std::move(picture), image);
    return ImageStatus::Ok;
}

}  // namespace image
