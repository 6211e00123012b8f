#include "image/png_file.h"

#include <spng.h>

#include <bit>
#include <cstring>
#include <memory>

namespace image {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::size_t SignatureSize = 8;

// Deflate expands at most 1032-fold (258 bytes from one 2-bit code); a little slack for the
// zlib header and checksum.
constexpr std::uint64_t MaxInflateRatio = 1040;
constexpr std::uint64_t InflateSlack = 1024;

std::uint32_t ReadBe32(Bytes bytes, std::size_t offset) {
    return (std::uint32_t{bytes[offset]} << 24) | (std::uint32_t{bytes[offset + 1]} << 16) |
           (std::uint32_t{bytes[offset + 2]} << 8) | bytes[offset + 3];
}

// The compressed image data the file actually holds: the IDAT chunks' bytes, as far as the
// file reaches.
std::uint64_t ImageDataBytes(Bytes file) {
    std::uint64_t total = 0;
    std::uint64_t at = SignatureSize;
    while (at + 8 <= file.size()) {
        const std::uint64_t length = ReadBe32(file, at);
        const std::uint8_t* type = file.data() + at + 4;
        if (std::memcmp(type, "IDAT", 4) == 0) {
            total += std::min<std::uint64_t>(length, file.size() - (at + 8));
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        at += 12 + length;
    }
    return total;
}

std::uint64_t ChannelsOf(std::uint8_t colourType) {
    switch (colourType) {
        case SPNG_COLOR_TYPE_TRUECOLOR:
            return 3;
        case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
            return 2;
        case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
            return 4;
        default:  // grey, indexed
            return 1;
    }
}

struct ContextFree {
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

}  // namespace

bool IsPngFile(std::span<const std::uint8_t> file) {
    return file.size() >= SignatureSize &&
           std::memcmp(file.data(), "\x89PNG\r\n\x1a\n", SignatureSize) == 0;
}

ImageStatus DecodePngFile(std::span<const std::uint8_t> file, TextureImage& image) {
    image = TextureImage{};
    if (!IsPngFile(file)) {
        return ImageStatus::Unrecognised;
    }
    // Checksums are not verified (as before with stb_image): they guard against damage in
    // transit, not against hostile files, which the decoder must survive either way.
    const std::unique_ptr<spng_ctx, ContextFree> context(spng_ctx_new(SPNG_CTX_IGNORE_ADLER32));
    if (!context) {
        return ImageStatus::Corrupt;
    }
    spng_ctx* png = context.get();
    // Text and other ancillary chunks are not kept; bound what they may cost anyway.
    if (spng_set_crc_action(png, SPNG_CRC_USE, SPNG_CRC_USE) != 0 ||
        spng_set_image_limits(png, MaxImageSide, MaxImageSide) != 0 ||
        spng_set_chunk_limits(png, std::size_t{1} << 24, std::size_t{1} << 26) != 0 ||
        spng_set_png_buffer(png, file.data(), file.size()) != 0) {
        return ImageStatus::Corrupt;
    }
    spng_ihdr header{};
    if (spng_get_ihdr(png, &header) != 0 || !TextureSizeAcceptable(header.width, header.height)) {
        return ImageStatus::Corrupt;
    }
    const std::uint64_t sampleBytes = std::uint64_t{header.width} * header.height *
                                      ChannelsOf(header.color_type) * header.bit_depth / 8;
    if (ImageDataBytes(file) * MaxInflateRatio + InflateSlack < sampleBytes) {
        return ImageStatus::Corrupt;  // the data cannot expand to the announced picture
    }
    std::size_t decodedBytes = 0;
    if (spng_decoded_image_size(png, SPNG_FMT_RGBA8, &decodedBytes) != 0 ||
        decodedBytes != std::size_t{header.width} * header.height * 4) {
        return ImageStatus::Corrupt;
    }

    TextureLevel picture{header.width, header.height,
                         std::vector<std::uint32_t>(std::size_t{header.width} * header.height)};
    if (spng_decode_image(png, picture.texels.data(), decodedBytes, SPNG_FMT_RGBA8,
                          SPNG_DECODE_TRNS) != 0) {
        return ImageStatus::Corrupt;
    }
    // R, G, B, A bytes to D3DCOLOR: on little-endian machines, red and blue trade places.
    for (std::uint32_t& texel : picture.texels) {
        if constexpr (std::endian::native == std::endian::little) {
            texel = (texel & 0xFF00FF00u) | ((texel >> 16) & 0xFFu) | ((texel & 0xFFu) << 16);
        } else {
            texel = (texel << 24) | (texel >> 8);
        }
    }
    spng_trns transparency{};
    image.hasAlpha = header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                     header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                     spng_get_trns(png, &transparency) == 0;
    BuildMipChain(std::move(picture), image);
    return ImageStatus::Ok;
}

}  // namespace image
