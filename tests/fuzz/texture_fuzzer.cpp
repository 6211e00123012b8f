// The texture loader on one image format: whatever the bytes, a refusal or a well-formed chain
// of levels within the size a Direct3D 9 device accepts.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "render/d3d9/image_file.h"

namespace {

#if defined(FUZZ_FORMAT_png)
constexpr ImageFormat Format = ImageFormat::Png;
#elif defined(FUZZ_FORMAT_jpeg)
constexpr ImageFormat Format = ImageFormat::Jpeg;
#elif defined(FUZZ_FORMAT_bmp)
constexpr ImageFormat Format = ImageFormat::Bmp;
#elif defined(FUZZ_FORMAT_tga)
constexpr ImageFormat Format = ImageFormat::Tga;
#elif defined(FUZZ_FORMAT_pnm)
constexpr ImageFormat Format = ImageFormat::Ppm;
#elif defined(FUZZ_FORMAT_hdr)
constexpr ImageFormat Format = ImageFormat::Hdr;
#else
#error "FUZZ_FORMAT_ names the format"
#endif

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    if (DetectImageFormat(file) != Format) {
        return -1;  // another format's input: not worth keeping in this corpus
    }
    TextureImage image;
    if (DecodeTextureImage(file, image) != ImageStatus::Ok) {
        Require(image.levels.empty());
        return 0;
    }
    Require(!image.levels.empty());
    Require(TextureSizeAcceptable(image.levels.front().width, image.levels.front().height));
    for (std::size_t i = 0; i < image.levels.size(); ++i) {
        const TextureLevel& level = image.levels[i];
        Require(level.texels.size() == std::size_t{level.width} * level.height);
        if (i > 0) {
            const TextureLevel& above = image.levels[i - 1];
            Require(level.width == (above.width > 1 ? above.width / 2 : 1));
            Require(level.height == (above.height > 1 ? above.height / 2 : 1));
        }
    }
    Require(image.levels.back().width == 1 && image.levels.back().height == 1);
    return 0;
}
