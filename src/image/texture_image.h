#pragma once
// A decoded texture: 32-bit texels with power-of-two sides and a full mip chain, or the levels a
// DDS file carries; the limits every image format is held to, and the chain's building.

#include <cstdint>
#include <vector>

namespace image {

// One mip level: rows top to bottom, each texel a D3DCOLOR (0xAARRGGBB), which in memory is the
// B, G, R, A byte order of D3DFMT_A8R8G8B8 / D3DFMT_X8R8G8B8.
struct TextureLevel {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> texels;
};

struct TextureImage {
    // False: every alpha byte is 0xFF and the texture is X8R8G8B8.
    bool hasAlpha = false;
    // Level 0 first, each level half the size of the one before (at least 1), down to 1 x 1.
    std::vector<TextureLevel> levels;
};

enum class ImageStatus {
    Ok,
    Unreadable,    // missing, not a regular file, or a read error
    Unrecognised,  // not a format the loader knows
    Corrupt,       // a known format, but truncated, inconsistent or too large
};

// The largest texture side a Direct3D 9 device is asked for: pictures whose sides, rounded up to
// powers of two, exceed it are refused before any pixel memory is allocated, as D3DX refuses a
// texture the device cannot create.
inline constexpr std::uint32_t MaxImageSide = 8192;
// Files larger than this are refused before they are read on: the largest texture's 32-bit
// texels with all their mip levels (an uncompressed DDS, the largest form any accepted format
// takes), plus room for headers and metadata.
inline constexpr std::uint64_t MaxImageFileBytes =
    std::uint64_t{MaxImageSide} * MaxImageSide * 4 / 3 * 4 + (std::uint64_t{1} << 20);

// The smallest power of two at or above `side` (side >= 1).
std::uint32_t RoundUpToPowerOfTwo(std::uint32_t side);

// True when a picture of these sides becomes a texture the device accepts: both at least 1 and,
// rounded up to powers of two, at most MaxImageSide.
bool TextureSizeAcceptable(std::uint64_t width, std::uint64_t height);

// Builds the texture's levels from one decoded picture: scales it to power-of-two sides and
// appends the box-filtered chain down to 1 x 1.
void BuildMipChain(TextureLevel picture, TextureImage& image);

}  // namespace image
