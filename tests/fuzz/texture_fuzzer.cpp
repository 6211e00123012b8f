// The texture loader on one image format: whatever the bytes, a refusal or a well-formed chain
// of levels within the size a Direct3D 9 device accepts.

#include <cstddef>
#include <cstdint>
#include <span>

#include "texture_checks.h"

using namespace image;

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    if (DetectImageFormat(file) != Format) {
        return -1;  // another format's input: not worth keeping in this corpus
    }
    TextureImage image;
    const ImageStatus status = DecodeTextureImage(file, image);
    fuzz::RequireRefusedOrWellFormed(status, image);
    if (status != ImageStatus::Ok) {
        return 0;
    }
    // The loader, unlike a DDS file's own levels, always builds the whole chain.
    fuzz::Require(image.levels.back().width == 1 && image.levels.back().height == 1);
    return 0;
}
