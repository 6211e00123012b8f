#include "image/image_file.h"

#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include <stb/stb_image.h>

#include "image/dds_file.h"
#include "image/jpeg_file.h"
#include "image/png_file.h"
#include "image/pnm_file.h"
#include "image/radiance_file.h"
#include "image/texture_image.h"

namespace image {

namespace {

using Bytes = std::span<const std::uint8_t>;

std::uint32_t ReadLe16(Bytes bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t ReadLe32(Bytes bytes, std::size_t offset) {
    return ReadLe16(bytes, offset) | (ReadLe16(bytes, offset + 2) << 16);
}

bool StartsWith(Bytes bytes, std::string_view signature) {
    return bytes.size() >= signature.size() &&
           std::memcmp(bytes.data(), signature.data(), signature.size()) == 0;
}

// --- TGA: no signature, so every header field must make sense -------------------------------

constexpr std::size_t TgaHeaderSize = 18;

struct TgaHeader {
    std::uint32_t idLength, colorMapType, imageType;
    std::uint32_t colorMapLength, colorMapEntryBits;
    std::uint32_t width, height, pixelBits, descriptor;
};

TgaHeader ParseTgaHeader(Bytes file) {
    return {file[0],
            file[1],
            file[2],
            ReadLe16(file, 5),
            file[7],
            ReadLe16(file, 12),
            ReadLe16(file, 14),
            file[16],
            file[17]};
}

// Walks the pixel data of a TGA file and reports whether it covers every pixel: exactly for
// uncompressed images, packet by packet for run-length encoded ones.
bool TgaPixelDataComplete(Bytes file, const TgaHeader& header, std::size_t dataOffset) {
    const std::uint64_t pixelBytes = (header.pixelBits + 7) / 8;
    const std::uint64_t pixels = std::uint64_t{header.width} * header.height;
    if (header.imageType < 8) {
        return dataOffset + pixels * pixelBytes <= file.size();
    }
    std::uint64_t covered = 0;
    std::size_t at = dataOffset;
    while (covered < pixels) {
        if (at >= file.size()) {
            return false;
        }
        const std::uint8_t packet = file[at++];
        const std::uint64_t count = (packet & 0x7Fu) + 1u;
        const std::uint64_t payload = (packet & 0x80u) ? pixelBytes : count * pixelBytes;
        if (at + payload > file.size()) {
            return false;
        }
        at += static_cast<std::size_t>(payload);
        covered += count;
    }
    return true;
}

bool IsPlausibleTga(Bytes file) {
    if (file.size() < TgaHeaderSize) {
        return false;
    }
    const TgaHeader header = ParseTgaHeader(file);
    const std::uint32_t baseType = header.imageType & ~8u;  // 9, 10, 11 are RLE of 1, 2, 3
    if (header.imageType < 1 || header.imageType > 11 || baseType < 1 || baseType > 3) {
        return false;
    }
    if ((header.descriptor & 0xC0u) != 0 || (header.descriptor & 0x0Fu) > 8) {
        return false;
    }
    if (header.width == 0 || header.height == 0) {
        return false;
    }
    std::size_t colorMapBytes = 0;
    if (baseType == 1) {  // colour-mapped
        const bool entryOk = header.colorMapEntryBits == 15 || header.colorMapEntryBits == 16 ||
                             header.colorMapEntryBits == 24 || header.colorMapEntryBits == 32;
        if (header.colorMapType != 1 || !entryOk || header.colorMapLength == 0 ||
            header.pixelBits != 8) {
            return false;
        }
        colorMapBytes = header.colorMapLength * ((header.colorMapEntryBits + 7) / 8);
    } else {
        if (header.colorMapType != 0 || header.colorMapLength != 0) {
            return false;
        }
        const bool trueColour =
            baseType == 2 && (header.pixelBits == 15 || header.pixelBits == 16 ||
                              header.pixelBits == 24 || header.pixelBits == 32);
        const bool grey = baseType == 3 && (header.pixelBits == 8 || header.pixelBits == 16);
        if (!trueColour && !grey) {
            return false;
        }
    }
    const std::size_t dataOffset = TgaHeaderSize + header.idLength + colorMapBytes;
    if (dataOffset > file.size()) {
        return false;
    }
    // Too large to check cheaply: let the size limits refuse it.
    if (!TextureSizeAcceptable(header.width, header.height)) {
        return true;
    }
    return TgaPixelDataComplete(file, header, dataOffset);
}

// --- BMP: stb reads it without noticing a short file ---------------------------------------

bool BmpPixelDataComplete(Bytes file) {
    if (file.size() < 26) {
        return false;
    }
    const std::uint32_t dataOffset = ReadLe32(file, 10);
    const std::uint32_t headerSize = ReadLe32(file, 14);
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    if (headerSize == 12) {
        width = ReadLe16(file, 18);
        height = ReadLe16(file, 20);
        bits = ReadLe16(file, 24);
    } else {
        if (file.size() < 34) {
            return false;
        }
        const auto signedHeight = static_cast<std::int32_t>(ReadLe32(file, 22));
        width = static_cast<std::int32_t>(ReadLe32(file, 18)) < 0 ? 0 : ReadLe32(file, 18);
        height = signedHeight < 0 ? 0 - static_cast<std::int64_t>(signedHeight) : signedHeight;
        bits = ReadLe16(file, 28);
        compression = ReadLe32(file, 30);
    }
    // Only what stb reads: uncompressed pixels of 1 to 32 bits, or 16- and 32-bit ones with
    // channel masks. stb allocates the picture before it refuses other depths, so they never
    // reach it.
    const bool depthRead =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    const bool layoutRead =
        compression == 0 || ((compression == 3 || compression == 6) && (bits == 16 || bits == 32));
    if (!depthRead || !layoutRead || !TextureSizeAcceptable(width, height)) {
        return false;
    }
    const std::uint64_t rowBytes = (width * bits + 31) / 32 * 4;
    return std::uint64_t{dataOffset} + rowBytes * height <= file.size();
}

// --- stb_image decoding of BMP and TGA, after the checks above --------------------------------

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

ImageStatus DecodeWithStb(Bytes file, TextureImage& image) {
    if (file.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return ImageStatus::Corrupt;
    }
    const int length = static_cast<int>(file.size());
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(file.data(), length, &width, &height, &channels)) {
        return ImageStatus::Corrupt;
    }
    if (width <= 0 || height <= 0 ||
        !TextureSizeAcceptable(static_cast<std::uint64_t>(width),
                               static_cast<std::uint64_t>(height))) {
        return ImageStatus::Corrupt;
    }
    int decodedWidth = 0;
    int decodedHeight = 0;
    const std::unique_ptr<stbi_uc, StbFree> pixels(stbi_load_from_memory(
        file.data(), length, &decodedWidth, &decodedHeight, &channels, STBI_rgb_alpha));
    if (!pixels || decodedWidth != width || decodedHeight != height) {
        return ImageStatus::Corrupt;
    }

    // Grey + alpha and RGBA carry alpha; everything else becomes X8R8G8B8.
    const bool hasAlpha = channels == 2 || channels == 4;
    TextureLevel picture;
    picture.width = static_cast<std::uint32_t>(width);
    picture.height = static_cast<std::uint32_t>(height);
    picture.texels.resize(std::size_t{picture.width} * picture.height);
    const stbi_uc* rgba = pixels.get();
    for (std::uint32_t& texel : picture.texels) {
        const std::uint32_t alpha = hasAlpha ? rgba[3] : 0xFFu;
        texel = (alpha << 24) | (std::uint32_t{rgba[0]} << 16) | (std::uint32_t{rgba[1]} << 8) |
                rgba[2];
        rgba += 4;
    }
    image.hasAlpha = hasAlpha;
    BuildMipChain(std::move(picture), image);
    return ImageStatus::Ok;
}

}  // namespace

ImageFormat DetectImageFormat(std::span<const std::uint8_t> file) {
    if (IsPngFile(file)) {
        return ImageFormat::Png;
    }
    if (IsJpegFile(file)) {
        return ImageFormat::Jpeg;
    }
    if (StartsWith(file, "BM") && file.size() >= 26) {
        return ImageFormat::Bmp;
    }
    if (IsDdsFile(file)) {
        return ImageFormat::Dds;
    }
    if (IsPnmFile(file)) {
        return ImageFormat::Ppm;
    }
    if (IsRadianceFile(file)) {
        return ImageFormat::Hdr;
    }
    if (IsPlausibleTga(file)) {
        return ImageFormat::Tga;
    }
    return ImageFormat::Unknown;
}

ImageStatus DecodeTextureImage(std::span<const std::uint8_t> file, TextureImage& image) {
    image = TextureImage{};
    switch (DetectImageFormat(file)) {
        case ImageFormat::Unknown:
            return ImageStatus::Unrecognised;
        case ImageFormat::Dds:
            return DecodeDdsFile(file, image);
        case ImageFormat::Png:
            return DecodePngFile(file, image);
        case ImageFormat::Jpeg:
            return DecodeJpegFile(file, image);
        case ImageFormat::Ppm:
            return DecodePnmFile(file, image);
        case ImageFormat::Hdr:
            return DecodeRadianceFile(file, image);
        case ImageFormat::Bmp:
            if (!BmpPixelDataComplete(file)) {
                return ImageStatus::Corrupt;
            }
            break;
        case ImageFormat::Tga:
            break;
    }
    const ImageStatus status = DecodeWithStb(file, image);
    if (status != ImageStatus::Ok) {
        image = TextureImage{};
    }
    return status;
}

}  // namespace image
